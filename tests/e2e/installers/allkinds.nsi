; A test installer that does one thing of every kind the install summary knows: a Run
; value, a Startup-folder shortcut, a scheduled task (its file in the system Tasks folder
; and its task cache key), a service that starts automatically and a file in the drivers
; folder, a new file extension and an existing one taken over from the program that had
; it, a folder put first in the user's PATH and another variable added, Start-menu and
; desktop shortcuts, an Uninstall entry, a COM server and a context-menu handler for its
; own program id, an App Paths entry, a font (its file and its Fonts value), a file in
; System32 and a firewall rule value. The test makes what Windows has and Wine may lack
; before it runs (the system Tasks folder, the firewall's rules key), and seeds the .akt
; extension with the other program's handler and the user's PATH.
Unicode true
Target amd64-unicode
Name "AllKinds"
OutFile "allkinds-setup.exe"
InstallDir "$PROGRAMFILES64\AllKindsVendor\AllKinds"
RequestExecutionLevel admin
SilentInstall silent

!define CLSID "{A11C1DE5-0B5E-4E7A-9C3D-2F1E0D9C8B7A}"

!macro WriteText path text
  FileOpen $0 "${path}" w
  FileWrite $0 "${text}"
  FileClose $0
!macroend

Section
  SetShellVarContext current
  SetRegView 64

  SetOutPath "$INSTDIR"
  !insertmacro WriteText "$INSTDIR\allkinds.exe" "AllKinds program"
  !insertmacro WriteText "$INSTDIR\allkindssvc.exe" "AllKinds service"
  !insertmacro WriteText "$INSTDIR\allkindsext.dll" "AllKinds shell extension"

  ; Starts with Windows: a Run value, a Startup-folder shortcut, a scheduled task.
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "AllKinds" '"$INSTDIR\allkinds.exe" /tray'
  CreateShortcut "$SMSTARTUP\AllKinds.lnk" "$INSTDIR\allkinds.exe"
  !insertmacro WriteText "$SYSDIR\Tasks\AllKinds Update" "<Task><Exec>$INSTDIR\allkinds.exe /update</Exec></Task>"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Schedule\TaskCache\Tree\AllKinds Update" "Id" "{A11C1DE5-7A5C-4000-8000-000000000001}"

  ; A service that starts automatically, and a driver's file.
  WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Services\AllKindsSvc" "ImagePath" "$INSTDIR\allkindssvc.exe"
  WriteRegDWORD HKLM "SYSTEM\CurrentControlSet\Services\AllKindsSvc" "Start" 2
  WriteRegDWORD HKLM "SYSTEM\CurrentControlSet\Services\AllKindsSvc" "Type" 16
  !insertmacro WriteText "$SYSDIR\drivers\allkinds.sys" "AllKinds driver"

  ; File types: a new extension with its program id, and .akt taken over.
  WriteRegStr HKCR ".akd" "" "AllKinds.Document"
  WriteRegStr HKCR "AllKinds.Document\shell\open\command" "" '"$INSTDIR\allkinds.exe" "%1"'
  WriteRegStr HKCR ".akt" "" "AllKinds.Document"

  ; The environment: the installation's bin folder first in the user's PATH, and a variable.
  ReadRegStr $1 HKCU "Environment" "PATH"
  WriteRegExpandStr HKCU "Environment" "PATH" "$INSTDIR\bin;$1"
  WriteRegStr HKCU "Environment" "ALLKINDS_HOME" "$INSTDIR"

  ; Shortcuts in the Start menu and on the desktop.
  CreateDirectory "$SMPROGRAMS\AllKinds"
  CreateShortcut "$SMPROGRAMS\AllKinds\AllKinds.lnk" "$INSTDIR\allkinds.exe"
  CreateShortcut "$DESKTOP\AllKinds.lnk" "$INSTDIR\allkinds.exe"

  ; The uninstall entry.
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\AllKinds" "DisplayName" "AllKinds"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\AllKinds" "DisplayVersion" "2.5.1"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\AllKinds" "Publisher" "AllKinds Vendor"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\AllKinds" "UninstallString" '"$INSTDIR\uninstall.exe"'

  ; A COM server, and the context-menu handler it serves for the program's documents.
  WriteRegStr HKCR "CLSID\${CLSID}" "" "AllKinds context menu"
  WriteRegStr HKCR "CLSID\${CLSID}\InprocServer32" "" "$INSTDIR\allkindsext.dll"
  WriteRegStr HKCR "CLSID\${CLSID}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKCR "AllKinds.Document\shellex\ContextMenuHandlers\AllKinds" "" "${CLSID}"

  ; App Paths.
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\allkinds.exe" "" "$INSTDIR\allkinds.exe"

  ; A font: its file and its value.
  !insertmacro WriteText "$FONTS\allkinds.ttf" "AllKinds font"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts" "AllKinds Regular (TrueType)" "allkinds.ttf"

  ; A file in System32.
  !insertmacro WriteText "$SYSDIR\allkinds64.dll" "AllKinds library"

  ; A firewall rule.
  WriteRegStr HKLM "SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy\FirewallRules" "{A11C1DE5-F1E0-4000-8000-000000000002}" "v2.30|Action=Allow|Active=TRUE|Dir=In|Protocol=6|LPort=4711|App=$INSTDIR\allkinds.exe|Name=AllKinds|"
SectionEnd
