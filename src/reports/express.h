// Express: a backup, the start of a setup program the user picks, then Compare.
#pragma once

#include <optional>
#include <string>

#include "core/host.h"

namespace tessary {

// How Express picks and starts the installation program.
class SetupLauncher {
 public:
  virtual ~SetupLauncher() = default;
  // The installation-program prompt; nothing when the user cancels it.
  virtual std::optional<std::string> ChooseSetupProgram(WindowHandle owner) = 0;
  // Starts the program with a normally shown window: the WinExec result.
  virtual unsigned Start(const std::string& path) = 0;
};

// The real prompt (a file-open dialog) and WinExec.
class SystemSetupLauncher : public SetupLauncher {
 public:
  std::optional<std::string> ChooseSetupProgram(WindowHandle owner) override;
  unsigned Start(const std::string& path) override;
};

// The prompt's title and filter list (label and pattern pairs separated by "|").
constexpr const char* kSetupPromptTitle = "Select Setup/Install File";
constexpr const char* kSetupPromptFilter = "Setup Files|setup.exe|Install Files|install.exe|All Files|*.*||";

// The sequence that follows the backup: prompt, start, and Compare when it started.
void RunExpressSequence(Host& host, SetupLauncher& launcher);

// What the Express command does once its dialog was confirmed: the backup, then the
// Express sequence, both in Direct mode (Interactive again afterwards).
void RunExpressBackup(Host& host);

}  // namespace tessary
