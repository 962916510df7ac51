// The EngineHost of tessaryc: the engine's seams on the console; no window, no viewer.
// The state is read as tessary.exe reads it at start-up (the settings file of the
// Windows directory, its backup directory), except that it never takes a Sentinox start
// request and always runs in the interactive mode.
#pragma once

#include <optional>
#include <string>

#include "cli/console_seams.h"
#include "core/host.h"

namespace tessary::cli {

class ConsoleHost : public EngineHost {
 public:
  ConsoleHost(ConsolePrompter& prompter, ConsoleProgressFactory& progress, Clock& clock)
      : prompter_(prompter), progress_(progress), clock_(clock) {}

  // Loads the state; `backupDirectory` (--dir) replaces the settings' directory.
  void LoadState(const std::optional<std::string>& backupDirectory);

  AppState& State() override { return state_; }
  Prompter& Prompts() override { return prompter_; }
  ProgressFactory& Progresses() override { return progress_; }
  Clock& Time() override { return clock_; }
  // Reads the last-backup text into the state again (after a backup).
  void RefreshLastBackup();

  ConsolePrompter& prompter() { return prompter_; }
  ConsoleProgressFactory& progress() { return progress_; }

 private:
  AppState state_;
  ConsolePrompter& prompter_;
  ConsoleProgressFactory& progress_;
  Clock& clock_;
};

}  // namespace tessary::cli
