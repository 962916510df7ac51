; A test installer that leaves its own uninstaller behind, as most setup programs do: the
; program in a folder of its own in Program Files, the uninstaller unins000.exe with its
; data file unins000.dat beside it, and the product's Uninstall key naming them.
Unicode true
Target amd64-unicode
Name "UninsApp"
OutFile "uninsapp-setup.exe"
InstallDir "$PROGRAMFILES64\UninsVendor\UninsApp"
RequestExecutionLevel admin
SilentInstall silent

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\UninsApp"

Section
  SetRegView 64
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\uninsapp.exe" w
  FileWrite $0 "UninsApp program"
  FileClose $0
  WriteUninstaller "$INSTDIR\unins000.exe"
  FileOpen $0 "$INSTDIR\unins000.dat" w
  FileWrite $0 "UninsApp uninstall log: $INSTDIR\uninsapp.exe"
  FileClose $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "UninsApp"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  Delete "$INSTDIR\uninsapp.exe"
  Delete "$INSTDIR\unins000.dat"
  Delete "$INSTDIR\unins000.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\UninsVendor"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
