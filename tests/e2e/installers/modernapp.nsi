; A test installer that writes where setup programs of today write, and deeper: a folder
; of its own in Program Files with a subfolder, a nested folder inside Common Files (a
; folder that was there before), a DLL in System32 and one in SysWOW64, a driver in
; System32\drivers, the user's AppData Roaming and Local, ProgramData, the all-users
; Start menu, and a file whose name holds characters beyond any ANSI code page.
Unicode true
Target amd64-unicode
Name "ModernApp"
OutFile "modernapp-setup.exe"
InstallDir "$PROGRAMFILES64\ModernVendor\ModernApp"
RequestExecutionLevel admin
SilentInstall silent

!macro WriteText path text
  FileOpen $0 "${path}" w
  FileWrite $0 "${text}"
  FileClose $0
!macroend

Section
  SetShellVarContext current

  ; Program Files: a folder of its own, nested.
  CreateDirectory "$INSTDIR\bin"
  !insertmacro WriteText "$INSTDIR\bin\modern.exe" "ModernApp program"
  !insertmacro WriteText "$INSTDIR\readme.txt" "ModernApp read-me"

  ; A nested folder inside Common Files.
  CreateDirectory "$COMMONFILES64\ModernVendor\bin"
  !insertmacro WriteText "$COMMONFILES64\ModernVendor\bin\modernrt.dll" "ModernApp runtime"

  ; The 64-bit and the 32-bit System folders, and a driver.
  !insertmacro WriteText "$SYSDIR\modern64.dll" "ModernApp 64-bit library"
  !insertmacro WriteText "$WINDIR\SysWOW64\modern32.dll" "ModernApp 32-bit library"
  !insertmacro WriteText "$SYSDIR\drivers\modern.sys" "ModernApp driver"

  ; The user's AppData, Roaming and Local.
  CreateDirectory "$APPDATA\ModernVendor"
  !insertmacro WriteText "$APPDATA\ModernVendor\settings.ini" "[ModernApp]$\r$\nTheme=dark$\r$\n"
  CreateDirectory "$LOCALAPPDATA\ModernVendor\ModernApp"
  !insertmacro WriteText "$LOCALAPPDATA\ModernVendor\ModernApp\state.dat" "state"

  ; ProgramData, the all-users Start menu, and a name of any language.
  SetShellVarContext all
  CreateDirectory "$APPDATA\ModernVendor"
  !insertmacro WriteText "$APPDATA\ModernVendor\license.dat" "licensed"
  !insertmacro WriteText "$APPDATA\Café Müller 日本語.dat" "names"
  CreateDirectory "$SMPROGRAMS\ModernApp"
  CreateShortcut "$SMPROGRAMS\ModernApp\ModernApp.lnk" "$INSTDIR\bin\modern.exe"
SectionEnd
