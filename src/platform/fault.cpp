#include "fault.h"

#include <windows.h>

namespace tessary {
namespace {
FileFaults* installed = nullptr;
}  // namespace

void SetFileFaults(FileFaults* faults) { installed = faults; }

unsigned long InjectedFault(FileOp op, const std::string& path) {
  if (!installed) return 0;
  const unsigned long error = installed->Check(op, path);
  if (error) SetLastError(error);
  return error;
}

}  // namespace tessary
