// A seam for tests: the platform's operations that change the machine ask it before they
// act, so that a test can make the N-th create, write, rename or delete fail with an
// error of its choice (disk full, access denied, sharing violation), or the listing of a
// folder fail as an unreadable folder does; likewise a change to the registry (a key
// created or deleted, a value set or deleted) and the start of a program in a job. The program never installs a
// hook, and nothing outside test code can: there is no switch, setting or variable for
// it. With no hook the check is one test of a null pointer.
#pragma once

#include <string>

namespace tessary {

// Registry and Start are no file operations; the fault plans of the file tests leave
// them out unless asked for.
enum class FileOp { Create, Write, Rename, Delete, List, Registry, Start };

class FileFaults {
 public:
  virtual ~FileFaults() = default;
  // The Win32 error with which `op` on `path` fails, or 0 to let it happen.
  virtual unsigned long Check(FileOp op, const std::string& path) = 0;
};

// Installs (or, with nullptr, removes) the hook. Called by test code only.
void SetFileFaults(FileFaults* faults);

// 0 when the operation may go ahead; otherwise the injected error, which is then also
// the thread's last error.
unsigned long InjectedFault(FileOp op, const std::string& path);

}  // namespace tessary
