; A test installer that puts a DLL into the System folder which a program already on the
; machine imports, so that undoing it must go through the DLL dependency check.
Unicode true
Target amd64-unicode
Name "SharedDll"
OutFile "shareddll-setup.exe"
InstallDir "$PROGRAMFILES64\SharedDll"
RequestExecutionLevel admin
SilentInstall silent

Section
  SetOutPath "$WINDIR\system"
  FileOpen $0 "$WINDIR\system\sharelib.dll" w
  FileWrite $0 "MZ shared library"
  FileClose $0
  WriteRegStr HKLM "SOFTWARE\SharedVendor\ShareLib" "Installed" "1"
SectionEnd
