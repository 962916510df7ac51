; A test installer that changes every kind of place Tessary tracks: files and folders in
; Program Files, the Windows, System and Fonts folders, the desktop and the Start-menu
; programs folder; registry keys under HKEY_LOCAL_MACHINE\SOFTWARE, HKEY_CURRENT_USER and
; HKEY_CLASSES_ROOT (a CLSID among them); entries added, changed and deleted in win.ini,
; system.ini (a device= line in [386Enh]) and protocol.ini; lines added to autoexec.bat and
; config.sys; and it rewrites an existing file of the Windows folder. The test seeds
; [TessaryE2E] in win.ini, [386Enh] in system.ini, [NetTrans] in protocol.ini and the file
; newapp-common.dat before it runs; without those seeds the installer only adds.
Unicode true
Target amd64-unicode
Name "NewApp"
OutFile "newapp-setup.exe"
InstallDir "$PROGRAMFILES64\NewVendor\NewApp"
RequestExecutionLevel admin
SilentInstall silent

!macro WriteText path text
  FileOpen $0 "${path}" w
  FileWrite $0 "${text}"
  FileClose $0
!macroend

!macro AppendLine path line
  FileOpen $0 "${path}" a
  FileSeek $0 0 END
  FileWrite $0 "${line}$\r$\n"
  FileClose $0
!macroend

Section
  SetShellVarContext current

  ; Program Files, with a folder of its own and a sub-folder.
  SetOutPath "$INSTDIR"
  !insertmacro WriteText "$INSTDIR\newapp.exe" "NewApp program"
  !insertmacro WriteText "$INSTDIR\readme.txt" "NewApp read-me"
  CreateDirectory "$INSTDIR\data"
  !insertmacro WriteText "$INSTDIR\data\sample.dat" "sample"

  ; The Windows, System and Fonts folders.
  !insertmacro WriteText "$WINDIR\newapp.ini" "[NewApp]$\r$\nRuns=0$\r$\n"
  !insertmacro WriteText "$WINDIR\system\newapp.drv" "NewApp driver"
  !insertmacro WriteText "$WINDIR\fonts\newapp.fon" "NewApp font"

  ; The desktop and the Start-menu programs folder.
  CreateShortcut "$DESKTOP\NewApp.lnk" "$INSTDIR\newapp.exe"
  CreateDirectory "$SMPROGRAMS\NewApp"
  CreateShortcut "$SMPROGRAMS\NewApp\NewApp.lnk" "$INSTDIR\newapp.exe"

  ; The registry.
  WriteRegStr HKLM "SOFTWARE\NewVendor\NewApp" "Path" "$INSTDIR"
  WriteRegStr HKLM "SOFTWARE\NewVendor\NewApp\Settings" "Mode" "full"
  WriteRegStr HKCU "Software\NewVendor\NewApp" "User" "yes"
  WriteRegStr HKCR ".nwa" "" "NewApp.Document"
  WriteRegStr HKCR "NewApp.Document\shell\open\command" "" '"$INSTDIR\newapp.exe" "%1"'
  WriteRegStr HKCR "CLSID\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}\InprocServer32" "" "$WINDIR\system\newapp.drv"

  ; INI files: added, changed and deleted entries.
  WriteINIStr "$WINDIR\win.ini" "NewApp" "Path" "C:\NEWAPP"
  WriteINIStr "$WINDIR\win.ini" "TessaryE2E" "Mode" "new"
  DeleteINIStr "$WINDIR\win.ini" "TessaryE2E" "Obsolete"
  WriteINIStr "$WINDIR\system.ini" "386Enh" "device" "newapp.386"
  WriteINIStr "$WINDIR\protocol.ini" "NewNet" "Driver" "newnet.sys"
  ReadINIStr $1 "$WINDIR\system.ini" "386Enh" "MinTimeSlice"
  StrCmp $1 "" +3
    WriteINIStr "$WINDIR\system.ini" "386Enh" "MinTimeSlice" "40"
    DeleteINIStr "$WINDIR\system.ini" "386Enh" "KeyBufferDelay"
  ReadINIStr $1 "$WINDIR\protocol.ini" "NetTrans" "Lana"
  StrCmp $1 "" +3
    WriteINIStr "$WINDIR\protocol.ini" "NetTrans" "Lana" "1"
    DeleteINIStr "$WINDIR\protocol.ini" "NetTrans" "Stale"
  FlushINI "$WINDIR\win.ini"
  FlushINI "$WINDIR\system.ini"
  FlushINI "$WINDIR\protocol.ini"

  ; A file that was there before is replaced by the installer's own version.
  IfFileExists "$WINDIR\newapp-common.dat" 0 common_done
    !insertmacro WriteText "$WINDIR\newapp-common.dat" "NewApp common data, version 2"
  common_done:

  ; Boot files.
  !insertmacro AppendLine "C:\autoexec.bat" "SET NEWAPP=C:\NEWAPP"
  !insertmacro AppendLine "C:\config.sys" "DEVICE=C:\NEWAPP\NEWAPP.SYS"
SectionEnd
