#include "shell/context_help.h"

#include "resources/ids.h"

namespace tessary {

ContextHelp::ContextHelp(HelpCall call, KeyDown keyDown) : call_(std::move(call)), keyDown_(std::move(keyDown)) {
  if (!keyDown_) keyDown_ = [](int key) { return GetKeyState(key) < 0; };
}

ContextHelp::~ContextHelp() { Leave(); }

void ContextHelp::Enter() {
  mode_ = true;
  if (!cursor_) cursor_ = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HELPCURSOR));
  if (cursor_) SetCursor(cursor_);
}

void ContextHelp::Leave() {
  if (!mode_) return;
  mode_ = false;
  // Resource cursors are shared and need no destroying; the mode just lets go of it.
  cursor_ = nullptr;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

bool ContextHelp::PreProcess(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
      if (msg.wParam == VK_F1) {
        if (keyDown_(VK_SHIFT)) {
          Enter();
        } else {
          call_(HelpRequest{HELP_INDEX, 0, {}});
        }
        return true;
      }
      if (msg.wParam == VK_ESCAPE && mode_) {
        Leave();
        return true;
      }
      return false;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_INITMENU:
      if (mode_ && cursor_) SetCursor(cursor_);
      return false;
    default:
      return false;
  }
}

void ContextHelp::OnMenuIdle(HWND menuWindow) {
  if (!keyDown_(VK_F1)) return;
  Enter();
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

void ContextHelp::OnMenuHelp(HWND menuWindow) {
  Enter();
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

bool ContextHelp::InterceptCommand(int commandId) {
  if (!mode_ && !keyDown_(VK_F1)) return false;
  Leave();
  call_(HelpRequest{HELP_CONTEXT, static_cast<unsigned long>(commandId), {}});
  return true;
}

}  // namespace tessary
