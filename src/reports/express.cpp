#include "reports/express.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "core/commands.h"
#include "platform/shell.h"
#include "resources/ids.h"

namespace tessary {

std::optional<std::string> SystemSetupLauncher::ChooseSetupProgram(void* owner) {
  std::string filter = kSetupPromptFilter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  std::vector<char> file(260, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner);
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = kSetupPromptTitle;
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file.data());
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
  host.RunCommand(CM_COMPARE);
}

void RunExpressBackup(Host& host) {
  AppState& state = host.State();
  state.ExpressPending = true;
  state.RunMode = RunMode::Direct;
  host.RunCommand(CM_BACKUP);
  state.ExpressPending = false;
  state.RunMode = RunMode::Interactive;
}

void ExpressSequence(Host& host) {
  SystemSetupLauncher launcher;
  RunExpressSequence(host, launcher);
}

}  // namespace tessary
