// Runs a program and waits until it and every process it started have ended: the program
// starts suspended inside a job object whose completion port reports when the job's last
// process is gone (children inherit the job, even detached ones).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tessary::cli {

struct TrackedRun {
  bool started = false;
  std::string error;            // why it could not be started
  unsigned long exitCode = 0;   // the program's own exit code
  unsigned long processes = 0;  // processes the job saw, the program included
  bool interrupted = false;     // the wait was given up (Ctrl+C)
};

// The command line for CreateProcess: each argument quoted as the C runtime reads it back.
std::string QuoteCommandLine(const std::vector<std::string>& args);

// The program as CreateProcess would find it (the path as given, else along the search
// path with ".exe" added when it has no extension); empty when there is none.
std::string FindProgram(const std::string& program);

// Programs that stay resident by nature and are not waited for, by file name: the shell
// and the system's services (explorer.exe, services.exe, svchost.exe, ...), which the
// system may start from inside the job on demand and which never end by themselves.
bool IsResidentProgram(const std::string& exeName);

// Starts `args` (program first) with standard output going to standard error, so that
// the results on standard output stay tessaryc's own, and waits for the whole job but resident programs.
// `stop` is polled while waiting; when it turns true the wait ends (the processes go on).
TrackedRun RunTracked(const std::vector<std::string>& args, const std::function<bool()>& stop);

}  // namespace tessary::cli
