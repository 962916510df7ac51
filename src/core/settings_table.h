// Every key of the settings file tessary.ini (in the Windows directory), with the
// section and key forms the readers use, the default and the read buffer length.
// A reader that needs another default or length (the Options dialog reads a few keys
// that way) passes them to Settings::Read explicitly. No <windows.h> here.
#pragma once

namespace tessary {

struct SettingKey {
  const char* section;
  const char* key;
  const char* defaultValue;
  unsigned bufferLength;  // the value read is cut to bufferLength - 1 characters
};

namespace settings {

// [tessary]
inline constexpr SettingKey kDirectory{"tessary", "Directory", "", 256};  // default: the current directory
inline constexpr SettingKey kShowMax{"tessary", "ShowMax", "no", 5};
inline constexpr SettingKey kDocMax{"tessary", "docmax", "no", 5};
inline constexpr SettingKey kLargeIcon{"tessary", "LargeIcon", "no", 5};
inline constexpr SettingKey kFirstRun{"tessary", "FirstRun", "no", 10};
inline constexpr SettingKey kLocation{"tessary", "Location", "none", 254};
inline constexpr SettingKey kVersion{"tessary", "Version", "", 0};  // written by the installer only
inline constexpr SettingKey kLPath{"tessary", "LPath", "", 256};
inline constexpr SettingKey kWorkDir{"tessary", "WorkDir", "", 256};
inline constexpr SettingKey kLDesc{"tessary", "LDesc", "", 256};
inline constexpr SettingKey kEXEPath{"tessary", "EXEPath", "", 256};
// Deep tracking: today's install locations with all their subfolders ("yes"/"no").
inline constexpr SettingKey kDeepTracking{"tessary", "DeepTracking", "no", 5};

// [sentinox]
inline constexpr SettingKey kRunBackup{"sentinox", "RunBackup", "no", 9};
inline constexpr SettingKey kAutoOpenSNC{"sentinox", "AutoOpenSNC", "no", 5};
inline constexpr SettingKey kLastSNCPath{"sentinox", "LastSNCPath", "", 250};
inline constexpr SettingKey kKeepLastSNC{"sentinox", "KeepLastSNC", "no", 5};
inline constexpr SettingKey kLastSNC{"sentinox", "LastSNC", "", 5};  // the Options dialog reads it with "40"
inline constexpr SettingKey kConfirmSNCDelete{"sentinox", "ConfirmSNCDelete", "yes", 5};
inline constexpr SettingKey kUseSentinox{"sentinox", "UseSentinox", "no", 5};
inline constexpr SettingKey kEnableMessage{"sentinox", "EnableMessage", "none", 9};

// [compare]
inline constexpr SettingKey kDefaultName{"compare", "DefaultName", "Compare", 8};
inline constexpr SettingKey kBriefDescription{"compare", "BriefDescription", "no", 5};
inline constexpr SettingKey kKeepBlank{"compare", "KeepBlank", "yes", 9};  // the Options dialog reads 5
inline constexpr SettingKey kExcludeIni{"compare", "ExcludeIni", "no", 5};
inline constexpr SettingKey kExcludeGrp{"compare", "ExcludeGrp", "no", 5};

// [uninstall]
inline constexpr SettingKey kVerifyAllUninstall{"uninstall", "VerifyAllUninstall", "yes", 5};
inline constexpr SettingKey kDLLDepend{"uninstall", "DLLDepend", "yes", 5};

// [registry]
inline constexpr SettingKey kCompSentinox{"registry", "CompSentinox", "yes", 5};
inline constexpr SettingKey kShowProgress{"registry", "ShowProgress", "yes", 5};
inline constexpr SettingKey kCuruser{"registry", "Curuser", "no", 5};
inline constexpr SettingKey kCUsers{"registry", "CUsers", "no", 5};
inline constexpr SettingKey kCLocmach{"registry", "CLocmach", "no", 5};
inline constexpr SettingKey kCSoftware{"registry", "CSoftware", "no", 5};
inline constexpr SettingKey kCClasses{"registry", "CClasses", "no", 5};
inline constexpr SettingKey kCClsid{"registry", "CClsid", "no", 5};
inline constexpr SettingKey kCCrConfig{"registry", "CCrConfig", "no", 5};
inline constexpr SettingKey kCDynData{"registry", "CDynData", "no", 5};
// Registry values and their data, besides the key names (off by default).
inline constexpr SettingKey kRecordValues{"registry", "RecordValues", "no", 5};

// [Directories]
inline constexpr SettingKey kDirWin{"Directories", "Win", "yes", 5};
inline constexpr SettingKey kDirSys{"Directories", "Sys", "yes", 5};
inline constexpr SettingKey kDirRoots{"Directories", "Roots", "yes", 5};
inline constexpr SettingKey kDirFonts{"Directories", "Fonts", "yes", 5};
inline constexpr SettingKey kDirInf{"Directories", "Inf", "yes", 5};
inline constexpr SettingKey kDirHelp{"Directories", "Help", "yes", 5};
inline constexpr SettingKey kDirProg{"Directories", "Prog", "yes", 5};
// Opt1 to Opt5; the readers use the key forms "opt1" to "opt5".
inline constexpr SettingKey kOptDir[5] = {{"Directories", "opt1", "", 254},
                                          {"Directories", "opt2", "", 254},
                                          {"Directories", "opt3", "", 254},
                                          {"Directories", "opt4", "", 254},
                                          {"Directories", "opt5", "", 254}};

// [view]
inline constexpr SettingKey kViewTSC{"view", "viewTSC", "yes", 5};
inline constexpr SettingKey kViewSNC{"view", "viewSNC", "yes", 5};

}  // namespace settings
}  // namespace tessary
