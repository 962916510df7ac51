; A test installer that works in registry values: a Run entry, an App Paths key, the .txt
; association taken over from the program that had it, a folder added to the user's PATH,
; an existing value changed and one deleted, a binary and a multi-string value, and a
; service key. The test seeds HKEY_CURRENT_USER\Software\TessaryValuesE2E (Mode, Level,
; Obsolete), the user's PATH and the .txt association before it runs.
Unicode true
Target amd64-unicode
Name "ValuesApp"
OutFile "valuesapp-setup.exe"
InstallDir "C:\Program Files\ValuesVendor\ValuesApp"
RequestExecutionLevel admin
SilentInstall silent

Section
  SetRegView 64
  ; Started with Windows, and found by name.
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "ValuesApp" '"$INSTDIR\valuesapp.exe" /tray'
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\valuesapp.exe" "" "$INSTDIR\valuesapp.exe"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\valuesapp.exe" "Path" "$INSTDIR"

  ; .txt files now open with ValuesApp.
  WriteRegStr HKCR ".txt" "" "ValuesApp.Text"
  WriteRegStr HKCR ".txt" "PerceivedType" "document"

  ; The installation folder at the end of the user's PATH.
  ReadRegStr $1 HKCU "Environment" "PATH"
  WriteRegExpandStr HKCU "Environment" "PATH" "$1;$INSTDIR"

  ; Settings of a program that was there before: changed, deleted and added.
  WriteRegStr HKCU "Software\TessaryValuesE2E" "Mode" "new"
  WriteRegDWORD HKCU "Software\TessaryValuesE2E" "Level" 7
  DeleteRegValue HKCU "Software\TessaryValuesE2E" "Obsolete"
  WriteRegBin HKCU "Software\TessaryValuesE2E" "Blob" 00FF0D0A3E09
  WriteRegMultiStr /REGEDIT5 HKCU "Software\TessaryValuesE2E" "List" 6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00

  ; A service of its own.
  WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Services\ValuesAppSvc" "ImagePath" "$INSTDIR\valuessvc.exe"
  WriteRegDWORD HKLM "SYSTEM\CurrentControlSet\Services\ValuesAppSvc" "Start" 3
  WriteRegDWORD HKLM "SYSTEM\CurrentControlSet\Services\ValuesAppSvc" "Type" 16
SectionEnd
