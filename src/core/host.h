// What a command needs of the running application: the state, the settings, the
// seams, the main window and the few services that cross subsystems. tessaryApp
// implements it; tests implement it with scripted seams and no window.
#pragma once

#include <string>

#include "core/app_state.h"
#include "core/command.h"
#include "core/help.h"
#include "core/seams.h"
#include "core/settings.h"

namespace tessary {

class Host {
 public:
  virtual ~Host() = default;

  virtual AppState& State() = 0;
  Settings AppSettings() { return Settings(State().SettingsFilePath); }
  virtual Prompter& Prompts() = 0;
  virtual ProgressFactory& Progresses() = 0;
  virtual Clock& Time() = 0;
  virtual HelpEngine& Help() = 0;

  // The main window, owner of dialogs and message boxes; null in tests.
  virtual WindowHandle MainWindow() = 0;
  // Processes the waiting window messages.
  virtual void PumpMessages() = 0;
  // Runs the last-backup query and puts the last-backup label into the status bar.
  virtual void RefreshLastBackup() = 0;
  // Opens a file in a viewer window (with the large-file question).
  virtual void OpenInViewer(const std::string& path) = 0;
  // Runs a main-window command as if it were chosen from the menu.
  virtual void RunCommand(Command command) = 0;
  // The Express sequence that follows a backup started with EXPRESS.
  virtual void ContinueExpress() = 0;
  // Deletes the oldest Sentinox reports beyond the configured number.
  virtual void PruneSentinoxReports() = 0;
  // Posts the quit message: the program ends once the current command returns.
  virtual void Quit() = 0;
};

}  // namespace tessary
