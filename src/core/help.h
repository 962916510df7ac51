// The help engine behind a seam: the GUI calls WinHelpA with "tessary.hlp"; tests
// record which help call was made.
#pragma once

#include <string>

#include "core/window_handle.h"

namespace tessary {

constexpr const char* kHelpFile = "tessary.hlp";

struct HelpRequest {
  unsigned command = 0;      // HELP_INDEX, HELP_CONTEXT, HELP_KEY, HELP_HELPONHELP, HELP_QUIT
  unsigned long context = 0; // for HELP_CONTEXT
  std::string keyword;       // for HELP_KEY
};

class HelpEngine {
 public:
  virtual ~HelpEngine() = default;
  // Returns the engine's result (non-zero on success).
  virtual int Call(WindowHandle owner, const HelpRequest& request) = 0;
};

}  // namespace tessary
