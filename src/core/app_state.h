// The process-wide state of the application: facts about the running process, not
// messages between commands (dialogs and runs return what they decided). One object,
// owned by tessaryApp and passed by reference to whatever needs it.
#pragma once

#include <optional>
#include <string>

namespace tessary {

enum class RunMode { Interactive = 0, Sentinox = 1, Direct = 3 };

struct AppState {
  std::string SettingsFilePath;  // WindowsDirectory + "\tessary.ini"
  std::string WindowsDirectory;
  std::string BackupDirectory;  // [tessary] Directory, upper case
  tessary::RunMode RunMode = tessary::RunMode::Interactive;
  bool SentinoxPass = false;
  std::string LastBackupText;  // at most 149 characters
  // Deep tracking for this process whatever [tessary] DeepTracking says: the switch a
  // command line's --deep sets.
  bool DeepTrackingForced = false;
  // The registry branches Compare looks at for this process whatever [registry] says: bit
  // i for branch i of kRegistryBranches (src/snapshot/logic/branch_choice.h). Empty: the
  // settings decide. tessaryc's track and --branches set it; nothing writes it back.
  std::optional<unsigned> RegistryBranchesForced;
};

}  // namespace tessary
