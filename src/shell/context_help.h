// Context help, applied to every message before it is dispatched: F1 opens the help
// contents; Shift+F1 enters help mode with the help cursor (Escape leaves it); F1 on a
// highlighted menu item enters the mode and picks the item; a command that arrives in
// help mode (or while F1 is held) opens the help at the command's context number
// instead of running.
#pragma once

#include <windows.h>

#include <functional>

#include "core/help.h"

namespace tessary {

class ContextHelp {
 public:
  // `call` makes one help call (context help does not set the help-used mark);
  // `keyDown` tells whether a key is held (GetKeyState by default; tests replace it).
  using HelpCall = std::function<int(const HelpRequest&)>;
  using KeyDown = std::function<bool(int virtualKey)>;
  explicit ContextHelp(HelpCall call, KeyDown keyDown = {});
  ~ContextHelp();
  ContextHelp(const ContextHelp&) = delete;
  ContextHelp& operator=(const ContextHelp&) = delete;

  // True when the message was consumed.
  bool PreProcess(const MSG& msg);
  // WM_ENTERIDLE of a menu: F1 held on a highlighted item picks it in help mode.
  void OnMenuIdle(HWND menuWindow);
  // F1 pressed on a highlighted menu item (the menu reports it as WM_HELP): enter the
  // mode and post Enter, so that the item sends its command.
  void OnMenuHelp(HWND menuWindow);
  // True when the command was turned into a help request (and must not run).
  bool InterceptCommand(int commandId);
  bool InHelpMode() const { return mode_; }

 private:
  void Enter();
  void Leave();

  HelpCall call_;
  KeyDown keyDown_;
  HCURSOR cursor_ = nullptr;
  bool mode_ = false;
};

}  // namespace tessary
