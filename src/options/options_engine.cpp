#include "options/options_engine.h"

#include "options/logic/options_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessary {

namespace {

// The key forms the option dialogs write.
constexpr SettingKey kWriteCuruser{"Registry", "curuser", "no", 5};
constexpr SettingKey kWriteShowMax{"tessary", "showmax", "no", 5};
constexpr SettingKey kWriteLargeIcon{"tessary", "largeicon", "no", 5};
constexpr SettingKey kWriteLastSnc{"sentinox", "LastSnc", "40", 5};

SettingKey InSection(const SettingKey& key, const char* section) {
  return SettingKey{section, key.key, key.defaultValue, key.bufferLength};
}

constexpr const char* kDirsMessages[5] = {
    "Directory #1 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.",
    "Directory #2 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.",
    "Directory #3 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.",
    "Directory #4 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.",
    "Directory #5 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.",
};

}  // namespace

// ---- Directories to Compare ----

DirsForm LoadDirsForm(const Settings& s) {
  DirsForm f;
  f.win = s.IsYes(settings::kDirWin);
  f.sys = s.IsYes(settings::kDirSys);
  f.roots = s.IsYes(settings::kDirRoots);
  f.prog = s.IsYes(settings::kDirProg);
  f.fonts = s.IsYes(settings::kDirFonts);
  f.inf = s.IsYes(settings::kDirInf);
  f.help = s.IsYes(settings::kDirHelp);
  for (int i = 0; i < 5; ++i) f.optional[i] = s.Read(settings::kOptDir[i]);
  return f;
}

bool SaveDirsForm(const Settings& s, Prompter& prompts, const DirsForm& f, WindowHandle owner) {
  s.WriteYesNo(settings::kDirWin, f.win);
  s.WriteYesNo(settings::kDirSys, f.sys);
  s.WriteYesNo(settings::kDirRoots, f.roots);
  s.WriteYesNo(settings::kDirFonts, f.fonts);
  s.WriteYesNo(settings::kDirInf, f.inf);
  s.WriteYesNo(settings::kDirHelp, f.help);
  s.WriteYesNo(settings::kDirProg, f.prog);
  for (int i = 0; i < 5; ++i) {
    std::string text = TrimOptionalDirectory(f.optional[i].substr(0, 254));
    if (text.empty()) {
      s.Write(settings::kOptDir[i], "");
      continue;
    }
    if (!PathExists(text)) {
      prompts.Ask(kDirsMessages[i], "Invalid Path.", mb::kOk, owner);
      return false;
    }
    s.Write(settings::kOptDir[i], text);
  }
  if (s.WriteFailed()) {
    prompts.Ask(kSettingsNotSaved, "File error", mb::kOk, owner);
    return false;
  }
  return true;
}

// ---- Branches to Compare in Registry ----

RegistryForm LoadRegistryForm(const Settings& s) {
  RegistryForm f;
  f.showProgress = s.IsYes(settings::kShowProgress);
  f.compSentinox = s.IsYes(settings::kCompSentinox);
  f.curuser = s.IsYes(settings::kCuruser);
  f.cusers = s.IsYes(settings::kCUsers);
  f.clocmach = s.IsYes(settings::kCLocmach);
  f.csoftware = s.IsYes(settings::kCSoftware);
  f.cclasses = s.IsYes(settings::kCClasses);
  f.cclsid = s.IsYes(settings::kCClsid);
  f.ccrconfig = s.IsYes(settings::kCCrConfig);
  f.cdyndata = s.IsYes(settings::kCDynData);
  f.values = s.IsYes(settings::kRecordValues);
  return f;
}

bool SaveRegistryForm(const Settings& s, const RegistryForm& f) {
  // This dialog spells the section "Registry"; section names match in any case.
  s.WriteYesNo(InSection(settings::kShowProgress, "Registry"), f.showProgress);
  s.WriteYesNo(InSection(settings::kCompSentinox, "Registry"), f.compSentinox);
  s.WriteYesNo(kWriteCuruser, f.curuser);
  s.WriteYesNo(InSection(settings::kCUsers, "Registry"), f.cusers);
  s.WriteYesNo(InSection(settings::kCLocmach, "Registry"), f.clocmach);
  s.WriteYesNo(InSection(settings::kCSoftware, "Registry"), f.csoftware);
  s.WriteYesNo(InSection(settings::kCClasses, "Registry"), f.cclasses);
  s.WriteYesNo(InSection(settings::kCClsid, "Registry"), f.cclsid);
  s.WriteYesNo(InSection(settings::kCCrConfig, "Registry"), f.ccrconfig);
  s.WriteYesNo(InSection(settings::kCDynData, "Registry"), f.cdyndata);
  if (f.values || s.IsYes(settings::kRecordValues)) s.WriteYesNo(InSection(settings::kRecordValues, "Registry"), f.values);
  return !s.WriteFailed();
}

// ---- Options ----

SetupForm LoadSetupForm(Host& host) {
  Settings s = host.AppSettings();
  AppState& state = host.State();
  state.BackupDirectory = s.Read(settings::kDirectory, CurrentDirectory(), 250);

  SetupForm f;
  f.backupTo = state.BackupDirectory;
  // Read as Compare reads it (8 characters, any letter case), so that the radio button
  // shows the name Compare will use and OK keeps it.
  f.nameCompare = EqualsNoCase(s.Read(settings::kDefaultName), "Compare");
  f.brief = s.IsYes(settings::kBriefDescription);
  f.keepBlank = s.IsYes(SettingKey{"compare", "KeepBlank", "yes", 5});
  f.excludeGrp = s.IsYes(settings::kExcludeGrp);
  f.excludeIni = s.IsYes(settings::kExcludeIni);
  f.deepTracking = s.IsYes(settings::kDeepTracking);
  f.showMax = s.IsYes(settings::kShowMax);
  f.docMax = s.IsYes(settings::kDocMax);
  f.largeIcon = s.IsYes(settings::kLargeIcon);
  f.dllDepend = s.IsYes(settings::kDLLDepend);
  f.verifyAll = s.IsYes(settings::kVerifyAllUninstall);
  f.useSentinox = s.IsYes(settings::kUseSentinox);
  f.autoOpenSnc = s.IsYes(settings::kAutoOpenSNC);
  f.keepLastSnc = s.IsYes(settings::kKeepLastSNC);
  f.numberBox = f.keepLastSnc ? s.Read(settings::kLastSNC, kDefaultKeptReports, 5) : std::string();
  f.confirmSncDelete = s.IsYes(settings::kConfirmSNCDelete);
  return f;
}

SetupSave SaveSetupForm(Host& host, SetupForm& f, CompanionControl& companions, WindowHandle owner) {
  Settings s = host.AppSettings();
  Prompter& prompts = host.Prompts();

  // 1. Retention.
  if (f.keepLastSnc) {
    s.Write(settings::kKeepLastSNC, "yes");
    std::string number = TakeNumberBoxText(f.numberBox);
    if (!KeepCountAccepted(number)) {
      prompts.Ask(
          "Number of SNC files retained must be at least 10, and no more than 200. Resetting to default of 40.", "",
          mb::kOk, owner);
      f.numberBox = kDefaultKeptReports;
      return SetupSave::StayOpen;
    }
    s.Write(kWriteLastSnc, number);
  } else {
    s.Write(settings::kKeepLastSNC, "no");
  }

  // 2. The backup directory.
  std::string directory = f.backupTo.substr(0, 254);
  s.Write(settings::kDirectory, directory);
  host.State().BackupDirectory = directory;

  // 3. Window settings.
  s.WriteYesNo(kWriteShowMax, f.showMax);
  s.WriteYesNo(settings::kDocMax, f.docMax);

  // 4. Icons take effect at the next start.
  bool wasLarge = s.IsYes(settings::kLargeIcon);
  if (f.largeIcon) {
    if (!wasLarge)
      prompts.Ask("Large Icons will be shown the next time you start Tessary.", "Large icons enabled.", mb::kOk, owner);
    s.Write(kWriteLargeIcon, "yes");
  } else if (wasLarge) {
    prompts.Ask("Small Icons will be shown the next time you start Tessary.", "Small icons enabled.", mb::kOk, owner);
    s.Write(kWriteLargeIcon, "no");
  }

  // 5. Compare, uninstall and Sentinox switches.
  s.WriteYesNo(settings::kConfirmSNCDelete, f.confirmSncDelete);
  s.WriteYesNo(settings::kKeepBlank, f.keepBlank);
  s.Write(settings::kDefaultName, f.nameCompare ? "Compare" : "date");
  s.WriteYesNo(settings::kDLLDepend, f.dllDepend);
  s.WriteYesNo(settings::kAutoOpenSNC, f.autoOpenSnc);
  s.WriteYesNo(settings::kExcludeIni, f.excludeIni);
  s.WriteYesNo(settings::kExcludeGrp, f.excludeGrp);
  s.WriteYesNo(settings::kBriefDescription, f.brief);
  // Deep tracking is written once it was switched on; a settings file that never had it
  // keeps its bytes.
  if (f.deepTracking || s.IsYes(settings::kDeepTracking)) s.WriteYesNo(settings::kDeepTracking, f.deepTracking);

  // 6. The directory of the product's programs.
  std::string location = s.Read(settings::kLocation);
  if (location == "none") location = CurrentDirectory();

  auto notSaved = [&] {
    prompts.Ask(kSettingsNotSaved, "File error", mb::kOk, owner);
    return SetupSave::StayOpen;
  };
  if (s.WriteFailed()) return notSaved();

  // 7. Tracking, on every OK.
  const bool tracked = f.useSentinox ? EnableSentinox(host, location, companions, owner) : DisableSentinox(host, companions);

  // 8.
  s.WriteYesNo(settings::kVerifyAllUninstall, f.verifyAll);
  s.Flush();
  if (!tracked || s.WriteFailed()) return notSaved();
  return SetupSave::Saved;
}

bool EnableSentinox(Host& host, const std::string& programDirectory, CompanionControl& companions, WindowHandle owner) {
  Settings s = host.AppSettings();
  s.Write(settings::kUseSentinox, "yes");
  std::string startup = companions.StartupFolder();
  s.Write(settings::kLPath, startup + "\\Sentinox.lnk");
  s.Write(settings::kWorkDir, programDirectory);
  s.Write(settings::kLDesc, "Sentinox");
  s.Write(settings::kEXEPath, programDirectory + "\\sentinox.exe");
  s.Flush();  // corvel.exe reads the keys from the file
  if (s.WriteFailed()) return false;
  // Quoted, so that an install directory with spaces starts the right program.
  unsigned started = companions.Start("\"" + programDirectory + "\\corvel.exe\"");
  if (started <= 31) {
    host.Prompts().Ask("Unable to create link. Make sure you haven't deleted any Tessary Executables", "Error",
                       mb::kOk, owner);
  }
  if (!companions.CompanionRunning() && !s.IsYes(settings::kEnableMessage)) {
    s.Write(settings::kEnableMessage, "yes");
    host.Prompts().Ask("Sentinox will be run the next time you start Windows.", "Sentinox Enabled", mb::kOk, owner);
  }
  return !s.WriteFailed();
}

bool DisableSentinox(Host& host, CompanionControl& companions) {
  Settings s = host.AppSettings();
  s.Write(settings::kUseSentinox, "no");
  s.Delete(settings::kEnableMessage);
  if (companions.CompanionRunning()) companions.CloseCompanion();
  companions.RemoveShortcut(companions.StartupFolder() + "\\sentinox.lnk");
  return !s.WriteFailed();
}

}  // namespace tessary
