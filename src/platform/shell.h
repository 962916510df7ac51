// Program starts and shell file operations.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace tessary {

// WinExec: the system's result (below 32 is a failure).
[[nodiscard]] UINT StartProgram(const std::string& commandLine, UINT showCommand);
// Deletes a file or directory tree to the recycle bin without asking (SHFileOperationA).
[[nodiscard]] bool DeleteToRecycleBin(const std::string& path);

// CreateProcessA of the program `application` with the whole `commandLine` (program
// name first), in the working directory `directory`, not waited for: its handles are
// closed at once. False when it cannot be started.
[[nodiscard]] bool StartDetached(const std::string& application, const std::string& commandLine, const std::string& directory);

// A started process whose handles are closed with the object.
class ChildProcess {
 public:
  ChildProcess() = default;
  // CreateProcessA of a command line with the given show command.
  [[nodiscard]] bool Start(const std::string& commandLine, WORD showWindow);
  bool Running() const;  // exit code still STILL_ACTIVE
  DWORD ExitCode() const;
  HANDLE handle() const { return process_.get(); }

 private:
  UniqueHandle process_;
  UniqueHandle thread_;
};

}  // namespace tessary
