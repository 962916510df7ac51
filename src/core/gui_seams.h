// The GUI side of the seams: real message boxes, the system clock and WinHelp.
#pragma once

#include <windows.h>

#include "core/help.h"
#include "core/seams.h"

namespace tessary {

class MessageBoxPrompter : public Prompter {
 public:
  int Ask(const MessageBoxRequest& request) override;
  void Beep(unsigned sound) override { MessageBeep(sound); }
  using Prompter::Ask;
};

class SystemClock : public Clock {
 public:
  LocalTime Now() override;
};

class WinHelpEngine : public HelpEngine {
 public:
  int Call(WindowHandle owner, const HelpRequest& request) override;
};

}  // namespace tessary
