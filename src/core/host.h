// What a run and a command need of the running application. EngineHost is what the
// engine's runs take (Backup, Compare, Uninstall and everything tessaryc calls): the
// state, the settings and the seams through which they reach the user. Host adds what
// only the window shell has: help, the main window, the message pump and the services
// that cross subsystems. tessaryApp implements Host; tessaryc's console implements
// EngineHost alone; tests implement Host with scripted seams and no window.
#pragma once

#include <string>

#include "core/app_state.h"
#include "core/command.h"
#include "core/help.h"
#include "core/seams.h"
#include "core/settings.h"

namespace tessary {

class EngineHost {
 public:
  virtual ~EngineHost() = default;

  virtual AppState& State() = 0;
  Settings AppSettings() { return Settings(State().SettingsFilePath); }
  virtual Prompter& Prompts() = 0;
  virtual ProgressFactory& Progresses() = 0;
  virtual Clock& Time() = 0;
};

class Host : public EngineHost {
 public:
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
