#include "shell.h"

#include <shellapi.h>

#include <vector>

namespace tessary {

UINT StartProgram(const std::string& commandLine, UINT showCommand) {
  return WinExec(commandLine.c_str(), showCommand);
}

bool DeleteToRecycleBin(const std::string& path) {
  // The source list is ended by two zeros.
  std::vector<char> from(path.begin(), path.end());
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.data();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

ChildProcess::~ChildProcess() {
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool ChildProcess::Start(const std::string& commandLine, WORD showWindow) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showWindow;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) != FALSE;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = 0;
  if (!info_.hProcess || !GetExitCodeProcess(info_.hProcess, &code)) return 0;
  return code;
}

bool ChildProcess::Running() const { return info_.hProcess && ExitCode() == STILL_ACTIVE; }

}  // namespace tessary
