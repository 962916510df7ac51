#include "core/startup.h"

#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace tessary {

bool TakeStartRequest(const std::string& settingsPath) {
  Settings settings(settingsPath);
  bool pass = settings.IsYes(settings::kRunBackup);
  settings.Delete(settings::kRunBackup);
  settings.Flush();
  return pass;
}

void LoadStartupState(AppState& state, const std::string& windowsDirectory, const std::string& currentDirectory) {
  state.WindowsDirectory = windowsDirectory;
  state.SettingsFilePath = SettingsPathFor(windowsDirectory);
  Settings settings(state.SettingsFilePath);
  state.BackupDirectory = ToUpperAscii(
      settings.Read(settings::kDirectory, currentDirectory.substr(0, 255), settings::kDirectory.bufferLength));
}

std::string LastBackupQuery(const std::string& backupDirectory) {
  std::optional<DosDateTime> stamp = FileDosDateTime(backupDirectory + "\\windir.tsb");
  if (!stamp) return NoBackupText(backupDirectory);
  return FormatLastBackupTime(*stamp);
}

void OfferFirstBackup(Host& host) {
  AppState& state = host.State();
  if (state.LastBackupText.find("No backup") == std::string::npos) return;
  Settings settings = host.AppSettings();
  if (!settings.IsYes(settings::kFirstRun)) return;
  settings.Delete(settings::kFirstRun);
  int answer = host.Prompts().Ask(
      "Since this is the first time running this version of Tessary, would you like to do a backup now? A backup is "
      "necessary before installing a program that you want to monitor or uninstall.",
      "Perform Backup?", mb::kYesNo, host.MainWindow());
  if (answer != id::kYes) return;
  RunMode saved = state.RunMode;
  state.RunMode = RunMode::Direct;
  host.RunCommand(Command::Backup);
  state.RunMode = saved;
}

void RunSentinoxPass(Host& host) {
  if (!host.State().SentinoxPass) return;
  host.RunCommand(Command::Compare);
  host.PruneSentinoxReports();
}

void ContinueSentinoxPass(Host& host, const std::string& reportPath) {
  AppState& state = host.State();
  state.SentinoxPass = false;
  if (!reportPath.empty() && FileExists(reportPath)) host.AppSettings().Write(settings::kLastSNCPath, reportPath);
  if (state.RunMode == RunMode::Sentinox)
    host.RunCommand(Command::Backup);
  else
    host.Quit();
}

void IdleStep(Host& host, IdleState& idle) {
  AppState& state = host.State();
  if (idle.restartUninstall) {
    idle.restartUninstall = false;
    host.RunCommand(Command::Uninstall);
  }
  if (idle.startupDone) return;
  idle.startupDone = true;
  if (state.RunMode == RunMode::Interactive) return;
  state.RunMode = RunMode::Interactive;
  Settings settings = host.AppSettings();
  if (EqualsNoCase(settings.Read(settings::kAutoOpenSNC), "no")) {
    host.Quit();
    return;
  }
  std::string last = settings.Read(settings::kLastSNCPath);
  if (last.empty()) {
    host.Quit();
    host.PumpMessages();
    return;
  }
  if (!FileExists(last)) {
    host.Prompts().Ask(
        "Unable to open last SNC file.\nThe last SNC may have reflected no changes, and may be blank.", last,
        mb::kOk, host.MainWindow());
    host.Quit();
    return;
  }
  host.PumpMessages();
  host.OpenInViewer(last);
}

}  // namespace tessary
