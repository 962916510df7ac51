// Program starts and shell file operations.
#pragma once

#include <windows.h>

#include <string>

namespace tessary {

// WinExec: the system's result (below 32 is a failure).
UINT StartProgram(const std::string& commandLine, UINT showCommand);
// Deletes a file or directory tree to the recycle bin without asking (SHFileOperationA).
bool DeleteToRecycleBin(const std::string& path);

// A started process whose handles are closed with the object.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // CreateProcessA of a command line with the given show command.
  bool Start(const std::string& commandLine, WORD showWindow);
  bool Running() const;  // exit code still STILL_ACTIVE
  DWORD ExitCode() const;
  HANDLE handle() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace tessary
