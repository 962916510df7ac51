// The parts of the shell that run without the whole program: the viewer and print
// rules, the progress dialog against an owner window, and context help.
#include <gtest/gtest.h>

#include "app/context_help.h"
#include "app/progress_dialog.h"
#include "app/viewer_logic.h"
#include "resources/ids.h"
#include "testbed.h"

namespace tessary {
namespace {

class OwnerWindow {
 public:
  OwnerWindow() {
    hwnd_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

TEST(ProgressDialog, CancelDestroysTheWindowAndEnablesTheOwnerOnce) {
  OwnerWindow owner;
  AppState state;
  auto dialog = std::make_unique<ProgressDialog>(owner.hwnd(), "C:\\B\\COMPARE.TSC", state);
  ASSERT_TRUE(dialog->Create());
  HWND window = dialog->hwnd();
  EXPECT_FALSE(IsWindowEnabled(owner.hwnd()));
  char caption[64] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "C:\\B\\COMPARE.TSC");
  dialog->SetMainText("Comparing Win.ini");
  dialog->SetDetailText("device=x");
  GetDlgItemTextA(window, IDC_PROGRESS_MAIN, caption, sizeof caption);
  EXPECT_STREQ(caption, "Comparing Win.ini");
  HWND cancel = GetDlgItem(window, IDCANCEL);
  EXPECT_TRUE(IsWindowEnabled(cancel));
  EXPECT_TRUE(IsWindowVisible(cancel));

  SendMessageA(cancel, BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(dialog->Exists());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  // The owner is disabled by someone else meanwhile: deleting the cancelled dialog
  // must not enable it a second time.
  EnableWindow(owner.hwnd(), FALSE);
  dialog.reset();
  EXPECT_FALSE(IsWindowEnabled(owner.hwnd()));
}

TEST(ProgressDialog, DeletingTheDialogEnablesTheOwner) {
  OwnerWindow owner;
  AppState state;
  {
    ProgressDialog dialog(owner.hwnd(), "Please wait...", state);
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(IsWindowEnabled(owner.hwnd()));
  }
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST(ProgressDialog, CancelFollowsModeAndFlags) {
  OwnerWindow owner;
  struct Case {
    RunMode mode;
    bool pass, hide, enabled, visible;
  } cases[] = {
      {RunMode::Interactive, false, false, true, true},  {RunMode::Direct, false, false, false, true},
      {RunMode::Sentinox, false, false, false, true},    {RunMode::Interactive, true, false, false, true},
      {RunMode::Interactive, false, true, false, false},
  };
  for (const Case& c : cases) {
    AppState state;
    state.RunMode = c.mode;
    state.SentinoxPass = c.pass;
    state.HideProgressCancel = c.hide;
    ProgressDialog dialog(owner.hwnd(), "Please wait...", state);
    ASSERT_TRUE(dialog.Create());
    HWND cancel = GetDlgItem(dialog.hwnd(), IDCANCEL);
    EXPECT_EQ(IsWindowEnabled(cancel) != FALSE, c.enabled) << static_cast<int>(c.mode) << c.pass << c.hide;
    EXPECT_EQ(IsWindowVisible(cancel) != FALSE, c.visible) << static_cast<int>(c.mode) << c.pass << c.hide;
  }
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST(ProgressDialog, DialogProgressReportsCancel) {
  OwnerWindow owner;
  struct WindowHost : test::FakeHost {
    HWND window = nullptr;
    void* MainWindow() override { return window; }
    void PumpMessages() override { Pump(); }
  } windowHost;
  windowHost.window = owner.hwnd();
  DialogProgressFactory factory(windowHost);
  auto progress = factory.Open("Dll Dependancy Check");
  HWND dialog = FindWindowA(nullptr, "Dll Dependancy Check");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(progress->Cancelled());
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  progress->Pump();
  EXPECT_TRUE(progress->Cancelled());
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  progress.reset();
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

struct HelpProbe {
  test::RecordingHelp help;
  bool shift = false, f1 = false;
  ContextHelp context{[this](const HelpRequest& r) { return help.Call(nullptr, r); },
                      [this](int key) { return key == VK_SHIFT ? shift : key == VK_F1 ? f1 : false; }};
  bool Key(WPARAM key) {
    MSG msg{};
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return context.PreProcess(msg);
  }
};

TEST(ContextHelp, F1ShiftF1EscapeAndCommands) {
  HelpProbe p;
  EXPECT_TRUE(p.Key(VK_F1));  // consumed
  ASSERT_EQ(p.help.calls.size(), 1u);
  EXPECT_EQ(p.help.calls[0].command, static_cast<unsigned>(HELP_INDEX));
  EXPECT_FALSE(p.context.InterceptCommand(CM_BACKUP));

  p.shift = true;
  EXPECT_TRUE(p.Key(VK_F1));
  p.shift = false;
  EXPECT_TRUE(p.context.InHelpMode());
  EXPECT_EQ(p.help.calls.size(), 1u);
  // The next command opens its topic instead of running, and ends the mode.
  EXPECT_TRUE(p.context.InterceptCommand(CM_BACKUP));
  ASSERT_EQ(p.help.calls.size(), 2u);
  EXPECT_EQ(p.help.calls[1].command, static_cast<unsigned>(HELP_CONTEXT));
  EXPECT_EQ(p.help.calls[1].context, 204u);
  EXPECT_FALSE(p.context.InHelpMode());
  EXPECT_FALSE(p.context.InterceptCommand(CM_BACKUP));

  // Escape leaves the mode and is consumed; outside the mode it is not.
  p.shift = true;
  p.Key(VK_F1);
  p.shift = false;
  EXPECT_TRUE(p.Key(VK_ESCAPE));
  EXPECT_FALSE(p.context.InHelpMode());
  EXPECT_FALSE(p.Key(VK_ESCAPE));
  EXPECT_FALSE(p.Key('A'));

  // F1 held down turns a command into help even outside the mode.
  p.f1 = true;
  EXPECT_TRUE(p.context.InterceptCommand(CM_COMPARE));
  EXPECT_EQ(p.help.calls.back().context, 304u);
  EXPECT_EQ(p.help.calls.size(), 3u);
}

}  // namespace
}  // namespace tessary
