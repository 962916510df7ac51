#include "reports/express.h"

#include <windows.h>
#include <commdlg.h>

#include "core/commands.h"
#include "platform/file_dialog.h"
#include "platform/shell.h"

namespace tessary {

std::optional<std::string> SystemSetupLauncher::ChooseSetupProgram(WindowHandle owner) {
  return ChooseFileToOpen(FileNameRequest{owner, kSetupPromptFilter, "", "", kSetupPromptTitle,
                                          OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY});
}

unsigned SystemSetupLauncher::Start(const std::string& path) {
  // Quoted, so that a path with spaces starts the chosen program and nothing else.
  return StartProgram("\"" + path + "\"", SW_SHOWNORMAL);
}

void RunExpressSequence(Host& host, SetupLauncher& launcher) {
  std::optional<std::string> chosen = launcher.ChooseSetupProgram(host.MainWindow());
  if (!chosen) return;  // the backup stays
  unsigned result = launcher.Start(*chosen);
  Prompter& prompts = host.Prompts();
  if (result == 2) prompts.Ask("File could not be found", *chosen, mb::kOk, nullptr);
  if (result == 3) prompts.Ask("Invalid Path", *chosen, mb::kOk, nullptr);
  if (result == 11)
    prompts.Ask("File could not be executed, make sure this is an executable file.", *chosen, mb::kOk, nullptr);
  if (result <= 31) {
    prompts.Ask("There was an error trying to execute this file.", *chosen, mb::kOk, nullptr);
    return;
  }
  // The installation runs on; the modal Compare dialog waits for the user.
  host.RunCommand(Command::Compare);
}

void RunExpressBackup(Host& host) {
  AppState& state = host.State();
  state.RunMode = RunMode::Direct;
  host.RunCommand(Command::Backup);
  host.ContinueExpress();
  state.RunMode = RunMode::Interactive;
}

void ExpressSequence(Host& host) {
  SystemSetupLauncher launcher;
  RunExpressSequence(host, launcher);
}

}  // namespace tessary
