// The process-wide state of the application. One object, owned by tessaryApp and
// passed by reference to whatever needs it.
#pragma once

#include <string>

namespace tessary {

enum class RunMode { Interactive = 0, Sentinox = 1, Direct = 3 };

struct AppState {
  std::string SettingsFilePath;  // WindowsDirectory + "\tessary.ini"
  std::string WindowsDirectory;
  std::string BackupDirectory;  // [tessary] Directory, upper case
  tessary::RunMode RunMode = tessary::RunMode::Interactive;
  bool SentinoxPass = false;
  std::string LastBackupText;   // at most 149 characters
  std::string LastCompareFile;  // report of the latest Compare, or empty
  std::string FileToOpen;       // handed back by a dialog, to open in a viewer
  std::string UninstallFile;    // report chosen in the UnInstall dialog
  bool HideProgressCancel = false;
  bool AutoStartBackup = false;
  bool ExpressPending = false;
  bool UninstallRestart = false;
  bool StartupDone = false;
};

}  // namespace tessary
