// The parts of the shell that run without the whole program: the viewer and print
// rules, the progress dialog against an owner window, Find and Replace, and context help.
#include <gtest/gtest.h>

#include <thread>

#include "shell/context_help.h"
#include "shell/find_replace.h"
#include "core/gui_seams.h"
#include "shell/progress_dialog.h"
#include "resources/ids.h"
#include "shell/progress_ids.h"
#include "testbed.h"

namespace tessary {
namespace {

// A message box given no caption shows the program's name; a given caption stays.
TEST(MessageBoxes, AnEmptyCaptionShowsTheProgramsName) {
  auto captionShown = [](const std::string& caption) {
    std::string seen = "<no box>";
    DWORD thread = GetCurrentThreadId();
    std::thread closer([&] {
      for (int i = 0; i < 400; ++i) {
        HWND box = nullptr;
        EnumThreadWindows(
            thread,
            [](HWND hwnd, LPARAM lp) -> BOOL {
              char cls[16] = {};
              GetClassNameA(hwnd, cls, sizeof cls);
              if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
              *reinterpret_cast<HWND*>(lp) = hwnd;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&box));
        if (box) {
          char text[128] = {};
          GetWindowTextA(box, text, sizeof text);
          seen = text;
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          return;
        }
        Sleep(25);
      }
    });
    MessageBoxPrompter prompter;
    prompter.Ask("Error opening file.", caption);
    closer.join();
    return seen;
  };
  EXPECT_EQ(captionShown(""), "Tessary");
  EXPECT_EQ(captionShown("File error"), "File error");
}

// A plain top-level window that plays the main window.
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
    ProgressDialog dialog(owner.hwnd(), "Please wait...", state,
                          c.hide ? ProgressCancel::Hidden : ProgressCancel::Shown);
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
    WindowHandle MainWindow() override { return window; }
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

// A frame stand-in that hands the Find and Replace dialog's messages to FindReplace,
// with one multi-line editor inside.
class FindFrame {
 public:
  explicit FindFrame(Prompter& prompts) : find_(prompts, [this] { return editor_; }) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TessaryFindFrame";
    RegisterClassA(&wc);
    current_ = this;
    frame_ = CreateWindowExA(0, "TessaryFindFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    editor_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 280, 150, frame_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    find_.SetOwner(frame_);
  }
  ~FindFrame() {
    DestroyWindow(frame_);
    current_ = nullptr;
  }
  FindReplace& find() { return find_; }
  HWND editor() const { return editor_; }
  std::string Text() const {
    char buf[256] = {};
    GetWindowTextA(editor_, buf, sizeof buf);
    return buf;
  }
  // Opens Replace with `what` selected in `text`, types `with` and presses `button`.
  void Replace(const std::string& text, const std::string& what, const std::string& with, int button) {
    SetWindowTextA(editor_, text.c_str());
    const std::size_t at = text.find(what);
    SendMessageA(editor_, EM_SETSEL, at, at + what.size());
    find_.Start(editor_, true);
    HWND dialog = find_.dialog();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, 0x481, with.c_str());  // "Replace with"
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (current_ && current_->find_.IsFindMessage(message)) {
      current_->find_.OnFindMessage(*reinterpret_cast<FINDREPLACEA*>(lParam));
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  static inline FindFrame* current_ = nullptr;
  FindReplace find_;
  HWND frame_ = nullptr;
  HWND editor_ = nullptr;
};

constexpr int kReplaceOne = 0x400, kReplaceAll = 0x401;  // the Replace dialog's buttons

TEST(FindReplace, ReplaceAllChangesEveryMatchButNeverAReadOnlyWindow) {
  test::ScriptedPrompter prompts;
  FindFrame frame(prompts);
  frame.Replace("win.ini, WIN.INI and win.ini2", "win.ini", "system.ini", kReplaceAll);
  EXPECT_EQ(frame.Text(), "system.ini, system.ini and system.ini2");

  // Replace: the selected match, then the next one is selected.
  frame.Replace("a win.ini b win.ini", "win.ini", "x", kReplaceOne);
  EXPECT_EQ(frame.Text(), "a x b win.ini");
  LRESULT sel = SendMessageA(frame.editor(), EM_GETSEL, 0, 0);
  EXPECT_EQ(LOWORD(sel), 6);
  EXPECT_EQ(HIWORD(sel), 13);

  // A window shown read-only is searched, never changed.
  SendMessageA(frame.editor(), EM_SETREADONLY, TRUE, 0);
  frame.Replace("win.ini", "win.ini", "system.ini", kReplaceAll);
  EXPECT_EQ(frame.Text(), "win.ini");
  SendMessageA(frame.editor(), EM_SETREADONLY, FALSE, 0);

  // Replace after the last match: the text is changed, and the search for the next one
  // says that there is none, with the dialog as owner.
  prompts.Answer(id::kOk);
  frame.Replace("none here", "none", "x", kReplaceOne);
  EXPECT_EQ(frame.Text(), "x here");
  ASSERT_EQ(prompts.boxes.size(), 1u);
  EXPECT_EQ(prompts.boxes[0].text, "Cannot find \"none\".");
  EXPECT_EQ(prompts.boxes[0].owner, frame.find().dialog());
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
