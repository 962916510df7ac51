// Start-up and the Sentinox pass: the start request, the state read at start-up, the
// last-backup query, the first-run prompt and the idle step that ends a pass.
#pragma once

#include <string>

#include "core/host.h"
#include "core/startup_logic.h"

namespace tessary {

// Entry: reads [sentinox] RunBackup and deletes it (then flushes), so that a start
// request is honoured exactly once. True when it asked for a Sentinox pass.
bool TakeStartRequest(const std::string& settingsPath);

// Fills SettingsFilePath, WindowsDirectory and BackupDirectory (the [tessary]
// Directory setting, by default the current directory, in upper case).
void LoadStartupState(AppState& state, const std::string& windowsDirectory, const std::string& currentDirectory);

// The last-backup text of a backup directory: the time of its "windir.tsb", or the
// no-backup text.
std::string LastBackupQuery(const std::string& backupDirectory);

// The first-run prompt: when no backup exists and [tessary] FirstRun is "yes", deletes
// the key and offers a backup, which runs in Direct mode.
void OfferFirstBackup(Host& host);

// The automatic pass of a start request: Compare (which continues with
// ContinueSentinoxPass), then retention of old Sentinox reports.
void RunSentinoxPass(Host& host);

// What the Compare command does after its dialog while a Sentinox pass runs: clears
// the pass, remembers the report it wrote (when there is one) as [sentinox]
// LastSNCPath, and takes the next Sentinox backup (or quits, were the program
// interactive).
void ContinueSentinoxPass(Host& host, const std::string& reportPath);

// What the idle step keeps between its calls.
struct IdleState {
  bool startupDone = false;       // the first idle pass has run
  bool restartUninstall = false;  // the last Uninstall command ended with UninstallEnd::Restart
};

// One idle pass: restarts Uninstall when asked, and ends a Sentinox pass by quitting
// or by opening the newest report.
void IdleStep(Host& host, IdleState& idle);

}  // namespace tessary
