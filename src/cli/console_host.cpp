#include "cli/console_host.h"

#include "core/startup.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tessary::cli {

void ConsoleHost::LoadState(const std::optional<std::string>& backupDirectory) {
  LoadStartupState(state_, WindowsDirectory(), CurrentDirectory());
  if (backupDirectory) {
    std::string dir = FullPathName(*backupDirectory);
    while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    state_.BackupDirectory = ToUpperAscii(dir);
  }
  state_.RunMode = RunMode::Interactive;
  state_.SentinoxPass = false;
  state_.LastBackupText = LastBackupQuery(state_.BackupDirectory);
}

void ConsoleHost::RefreshLastBackup() { state_.LastBackupText = LastBackupQuery(state_.BackupDirectory); }

}  // namespace tessary::cli
