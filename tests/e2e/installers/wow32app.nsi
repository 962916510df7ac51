; A 32-bit test installer (NSIS's default target): what a 32-bit setup program writes
; lands where Windows sends a 32-bit program. Program Files (x86) and its Common Files,
; the 32-bit System folder (its System32 is SysWOW64), HKLM\Software (its keys are under
; WOW6432Node, a COM class among the 32-bit classes), a file type, values in HKEY_CURRENT_USER, a per-user and an all-users shortcut. It also
; changes what was there before: a value under WOW6432Node and one in HKEY_CURRENT_USER
; (HKCU\Software\TessaryWow32Seed "Mode", HKLM\Software\TessaryWow32Seed "Channel"), and
; it replaces a file in Common Files (x86) (Wow32Shared\shared.dat). The test seeds them.
Unicode true
Target x86-unicode
Name "Wow32App"
OutFile "wow32app-setup.exe"
InstallDir "$PROGRAMFILES\Wow32Vendor\Wow32App"
RequestExecutionLevel admin
SilentInstall silent

!macro WriteText path text
  FileOpen $0 "${path}" w
  FileWrite $0 "${text}"
  FileClose $0
!macroend

Section
  SetShellVarContext current

  ; Program Files (x86): a folder of its own, nested.
  CreateDirectory "$INSTDIR\bin"
  !insertmacro WriteText "$INSTDIR\bin\wow32app.exe" "Wow32App program"
  !insertmacro WriteText "$INSTDIR\readme.txt" "Wow32App read-me"

  ; Common Files (x86): a runtime of its own, and a shared file it replaces.
  CreateDirectory "$COMMONFILES\Wow32Vendor"
  !insertmacro WriteText "$COMMONFILES\Wow32Vendor\wow32rt.dll" "Wow32App runtime"
  !insertmacro WriteText "$COMMONFILES\Wow32Shared\shared.dat" "Wow32App's shared data, version 2"

  ; The System folder as a 32-bit program sees it: SysWOW64.
  !insertmacro WriteText "$SYSDIR\wow32lib.dll" "Wow32App 32-bit library"

  ; HKLM\Software: under WOW6432Node.
  WriteRegStr HKLM "Software\Wow32Vendor\Wow32App" "InstallDir" "$INSTDIR"
  WriteRegDWORD HKLM "Software\Wow32Vendor\Wow32App" "Version" 2
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wow32App" "DisplayName" "Wow32App"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wow32App" "UninstallString" "$INSTDIR\uninst.exe"
  WriteRegStr HKLM "Software\TessaryWow32Seed" "Channel" "wow32app"
  WriteRegStr HKLM "Software\TessaryWow32Seed" "Added" "by wow32app"

  ; A 32-bit COM server (its class lands in the 32-bit classes) and a file type.
  WriteRegStr HKCR "CLSID\{3F2A9C41-7B6D-4E85-9A10-C2D3E4F50617}" "" "Wow32App Extension"
  WriteRegStr HKCR "CLSID\{3F2A9C41-7B6D-4E85-9A10-C2D3E4F50617}\InprocServer32" "" "$INSTDIR\bin\wow32ext.dll"
  WriteRegStr HKCR ".w32doc" "" "Wow32App.Document"
  WriteRegStr HKCR "Wow32App.Document\shell\open\command" "" '"$INSTDIR\bin\wow32app.exe" "%1"'

  ; The user's settings: a key of its own, a value added to a key that was there and one
  ; changed in it.
  WriteRegStr HKCU "Software\Wow32Vendor\Wow32App" "Theme" "dark"
  WriteRegDWORD HKCU "Software\Wow32Vendor\Wow32App" "Runs" 1
  WriteRegStr HKCU "Software\TessaryWow32Seed" "Mode" "wow32app"
  WriteRegStr HKCU "Software\TessaryWow32Seed" "Added" "by wow32app"

  ; A per-user Start-menu folder with its shortcut.
  CreateDirectory "$SMPROGRAMS\Wow32App"
  CreateShortcut "$SMPROGRAMS\Wow32App\Wow32App.lnk" "$INSTDIR\bin\wow32app.exe"

  ; An all-users shortcut on the public desktop, and one in the all-users Start menu.
  SetShellVarContext all
  CreateShortcut "$DESKTOP\Wow32App.lnk" "$INSTDIR\bin\wow32app.exe"
  CreateShortcut "$SMPROGRAMS\Wow32App.lnk" "$INSTDIR\bin\wow32app.exe"
SectionEnd
