// setup.exe: installs Tessary from its install disk (the current directory). One
// modeless dialog, "Main", driven by the program's own message loop.
#include <windows.h>

#include <string>

#include "platform/shell.h"
#include "setup_ids.h"
#include "setup_install.h"

namespace {

using namespace tessary::setup;

// "/auto" (for build scripts): install to the shown directory without questions,
// neither showing the read-me nor starting the program, and end with exit code 1 on
// failure instead of waiting in the dialog.
bool g_auto = false;
int g_exitCode = 0;

class DialogUi : public SetupUi {
 public:
  explicit DialogUi(HWND dialog) : dialog_(dialog) {}
  int Ask(const std::string& text, const std::string& caption, unsigned style) override {
    if (g_auto) return caption == "Directory confirm" ? IDYES : (style & MB_YESNO) ? IDNO : IDOK;
    return MessageBoxA(dialog_, text.c_str(), caption.c_str(), style);
  }
  void Status(const std::string& text) override {
    SetDlgItemTextA(dialog_, IDC_MAIN_STATUS, text.c_str());
    UpdateWindow(GetDlgItem(dialog_, IDC_MAIN_STATUS));
  }
  // The read-me or the program after a complete install: one that does not start leaves
  // the install as complete as it is, and the user sees no window open.
  void Start(const std::string& commandLine, int show) override {
    static_cast<void>(tessary::StartProgram(commandLine, static_cast<UINT>(show)));
  }
  void Busy(bool busy) override {
    if (busy) {
      old_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    } else {
      SetCursor(old_);
    }
  }

 private:
  HWND dialog_;
  HCURSOR old_ = nullptr;
};

std::string EditText(HWND dialog) {
  char buf[kMaxDirectory + 1] = {};
  int n = GetDlgItemTextA(dialog, IDC_MAIN_DIRECTORY, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

void OnOk(HWND dialog) {
  DialogUi ui(dialog);
  if (OkClicked(SetupContext::Default(), ui, EditText(dialog))) {
    DestroyWindow(dialog);
  } else if (g_auto) {
    g_exitCode = 1;
    DestroyWindow(dialog);
  }
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, IDC_MAIN_DIRECTORY, EM_LIMITTEXT, kMaxDirectory, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk(dialog);
          return TRUE;
        case IDCANCEL:
          DestroyWindow(dialog);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  g_auto = std::string(commandLine).find("/auto") != std::string::npos;
  HWND dialog = CreateDialogParamA(instance, "Main", nullptr, MainProc, 0);
  if (!dialog) {
    MessageBoxA(nullptr, "Unable to display main dialog", "System Error", MB_OK);
    return 1;
  }
  ShowWindow(dialog, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(dialog);
  SetDlgItemTextA(dialog, IDC_MAIN_DIRECTORY, ReadLocation(SetupContext::Default()).c_str());
  if (g_auto) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return g_exitCode;
}
