#include "options/options_engine.h"

#include "options/logic/options_logic.h"
#include "options/option_bindings.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessary {

namespace {

// The key form the Options dialog writes the retention count in.
constexpr SettingKey kWriteLastSnc{"sentinox", "LastSnc", "40", 5};

// The row of a table that stands for `field`.
template <class Form, std::size_t N>
const CheckBinding<Form>& RowOf(const CheckBinding<Form> (&table)[N], bool Form::*field) {
  for (const CheckBinding<Form>& row : table)
    if (row.field == field) return row;
  return table[0];  // every caller names a field of the table
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
  LoadChecks(s, kDirsChecks, f);
  for (int i = 0; i < 5; ++i) f.optional[i] = s.Read(settings::kOptDir[i]);
  return f;
}

bool SaveDirsForm(const Settings& s, Prompter& prompts, const DirsForm& f, WindowHandle owner) {
  WriteChecks(s, kDirsChecks, f);
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
  LoadChecks(s, kRegistryChecks, f);
  return f;
}

bool SaveRegistryForm(const Settings& s, const RegistryForm& f) {
  WriteChecks(s, kRegistryChecks, f);
  return !s.WriteFailed();
}

// ---- Options ----

SetupForm LoadSetupForm(EngineHost& host) {
  Settings s = host.AppSettings();
  AppState& state = host.State();
  state.BackupDirectory = s.Read(settings::kDirectory, CurrentDirectory(), 250);

  SetupForm f;
  f.backupTo = state.BackupDirectory;
  LoadChecks(s, kSetupChecks, f);
  f.numberBox = f.keepLastSnc ? s.Read(settings::kLastSNC, kDefaultKeptReports, 5) : std::string();
  return f;
}

SetupSave SaveSetupForm(EngineHost& host, SetupForm& f, CompanionControl& companions, WindowHandle owner) {
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
  WriteChecks(s, kSetupChecks, f, kWindowStep);

  // 4. Icons take effect at the next start.
  const CheckBinding<SetupForm>& icons = RowOf(kSetupChecks, &SetupForm::largeIcon);
  bool wasLarge = s.IsYes(icons.read);
  if (f.largeIcon) {
    if (!wasLarge)
      prompts.Ask("Large Icons will be shown the next time you start Tessary.", "Large icons enabled.", mb::kOk, owner);
    s.Write(icons.write, icons.on);
  } else if (wasLarge) {
    prompts.Ask("Small Icons will be shown the next time you start Tessary.", "Small icons enabled.", mb::kOk, owner);
    s.Write(icons.write, icons.off);
  }

  // 5. Compare, uninstall and Sentinox switches (deep tracking once it was switched on).
  WriteChecks(s, kSetupChecks, f, kSwitchStep);

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
  WriteChecks(s, kSetupChecks, f, kUninstallStep);
  s.Flush();
  if (!tracked || s.WriteFailed()) return notSaved();
  return SetupSave::Saved;
}

bool EnableSentinox(EngineHost& host, const std::string& programDirectory, CompanionControl& companions, WindowHandle owner) {
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

bool DisableSentinox(EngineHost& host, CompanionControl& companions) {
  Settings s = host.AppSettings();
  s.Write(settings::kUseSentinox, "no");
  s.Delete(settings::kEnableMessage);
  if (companions.CompanionRunning()) companions.CloseCompanion();
  const bool removed = companions.RemoveShortcut(companions.StartupFolder() + "\\sentinox.lnk");
  return removed && !s.WriteFailed();
}

}  // namespace tessary
