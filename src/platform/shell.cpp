#include "shell.h"

#include <shellapi.h>

#include <vector>

#include "fault.h"

namespace tessary {

UINT StartProgram(const std::string& commandLine, UINT showCommand) {
  return WinExec(commandLine.c_str(), showCommand);
}

bool DeleteToRecycleBin(const std::string& path) {
  if (InjectedFault(FileOp::Delete, path)) return false;
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

bool StartDetached(const std::string& application, const std::string& commandLine, const std::string& directory) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(application.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                      &pi))
    return false;
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  return true;
}

bool ChildProcess::Start(const std::string& commandLine, WORD showWindow) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showWindow;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  process_.Reset(pi.hProcess);
  thread_.Reset(pi.hThread);
  return true;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = 0;
  if (!process_ || !GetExitCodeProcess(process_.get(), &code)) return 0;
  return code;
}

bool ChildProcess::Running() const { return process_ && ExitCode() == STILL_ACTIVE; }

}  // namespace tessary
