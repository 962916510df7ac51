; A test installer that puts a DLL into the System folder which a program already on the
; machine imports, so that undoing it must go through the DLL dependency check. It also
; puts its folder on the PATH line of autoexec.bat, changing a line rather than adding one,
; and leaves a 64-bit twin of the DLL in system32, a folder that is not tracked.
Unicode true
Target amd64-unicode
Name "SharedDll"
OutFile "shareddll-setup.exe"
InstallDir "$PROGRAMFILES64\SharedDll"
RequestExecutionLevel admin
SilentInstall silent

; Rewrites the text file $1, appending $3 to each line that begins with $2 (any case).
Function AppendToLine
  StrLen $4 $2
  FileOpen $5 "$1" r
  FileOpen $6 "$1.new" w
  loop:
    ClearErrors
    FileRead $5 $7
    IfErrors done
    StrCpy $8 $7 $4
    StrCmp $8 $2 0 keep
      StrCpy $9 $7 2 -2
      StrCmp $9 "$\r$\n" 0 +2
        StrCpy $7 $7 -2
      FileWrite $6 "$7$3$\r$\n"
      Goto loop
    keep:
    FileWrite $6 $7
    Goto loop
  done:
  FileClose $5
  FileClose $6
  Delete "$1"
  Rename "$1.new" "$1"
FunctionEnd

Section
  SetOutPath "$WINDIR\system"
  FileOpen $0 "$WINDIR\system\sharelib.dll" w
  FileWrite $0 "MZ shared library"
  FileClose $0
  FileOpen $0 "$SYSDIR\sharelib64.dll" w
  FileWrite $0 "MZ shared library, 64-bit"
  FileClose $0
  WriteRegStr HKLM "SOFTWARE\SharedVendor\ShareLib" "Installed" "1"

  StrCpy $1 "C:\autoexec.bat"
  StrCpy $2 "PATH "
  StrCpy $3 ";C:\SHARELIB"
  Call AppendToLine
SectionEnd
