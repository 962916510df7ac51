// A program started inside a job object of its own: created suspended, put into a new
// job whose completion port announces the job's processes (children inherit the job,
// even detached ones), then resumed. The start asks the fault seam first (FileOp::Start).
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace tessary {

struct JobStart {
  UniqueHandle job;      // the job object
  UniqueHandle port;     // its completion port (the key is the job's handle)
  UniqueHandle process;  // the program's process
  UniqueHandle thread;
  DWORD processId = 0;
  std::string error;  // why it could not be started ("cannot start <program> (error 2)"); empty once started
  explicit operator bool() const { return error.empty(); }
};

// CreateProcessA of `program` with the whole `commandLine` in the current directory.
// With outputToStandardError, the program inherits our standard input and sends its
// standard output and error to our standard error (when we have one).
[[nodiscard]] JobStart StartInNewJob(const std::string& program, std::string commandLine, bool outputToStandardError);

}  // namespace tessary
