// Runs the real tessary.exe in the test prefix and works its windows from outside:
// finds them by class and caption, sends commands, reads control texts and presses
// buttons, message boxes included. Help calls and commands are seen through the
// program's trace file (TESSARY_TRACE).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <thread>
#include <algorithm>
#include <sstream>

#include "core/startup.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "resources/ids.h"
#include "shell/progress_ids.h"
#include "fault_plan.h"
#include "testbed.h"
#include "window_probe.h"

namespace tessary {
namespace {

using test::Children;
using test::ClassOf;
using test::FindTop;
using test::StaticTexts;
using test::TextOf;
using test::WaitFor;

class TessaryProcess {
 public:
  // The test build of the program by default, which traces what it does.
  explicit TessaryProcess(const std::string& workDir, const char* program = TESSARY_EXE) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string exe = test::BuildPath(program);
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &info_)) {
      ADD_FAILURE() << "cannot start " << exe;
      return;
    }
    WaitFor([&] { return (frame_ = FindTop(info_.dwProcessId, "tessaryApp", "Tessary")) != nullptr; }, 30000);
    if (!frame_) ADD_FAILURE() << "no main window";
    client_ = frame_ ? FindWindowExA(frame_, nullptr, "tessaryMDIClient", nullptr) : nullptr;
  }
  ~TessaryProcess() {
    if (!info_.hProcess) return;
    if (frame_ && IsWindow(frame_)) {
      PostMessageA(frame_, WM_CLOSE, 0, 0);
      // Leave modified documents unsaved.
      for (int i = 0; i < 100 && WaitForSingleObject(info_.hProcess, 100) == WAIT_TIMEOUT; ++i)
        if (HWND box = Box()) PostMessageA(box, WM_COMMAND, IDNO, 0);
    }
    if (WaitForSingleObject(info_.hProcess, 5000) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "tessary.exe did not end";
      TerminateProcess(info_.hProcess, 1);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }
  HWND frame() const { return frame_; }
  HWND client() const { return client_; }
  void Command(int id) const { PostMessageA(frame_, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // A dialog of the program (message boxes too), by caption.
  HWND Box(const std::string& caption = {}) const { return FindTop(pid(), "#32770", caption); }
  HWND WaitBox(const std::string& caption, int ms = 10000) const {
    HWND box = nullptr;
    WaitFor([&] { return (box = Box(caption)) != nullptr; }, ms);
    return box;
  }
  static void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  std::vector<HWND> ViewerChildren() const { return Children(client_, "tessaryMDIChild"); }
  HWND ToolBar() const { return FindWindowExA(frame_, nullptr, "ToolbarWindow32", nullptr); }
  // The centre of a tool-bar button: its rectangle is read inside the program's memory.
  LPARAM ToolButtonCentre(int command) const {
    HWND bar = ToolBar();
    int index = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, command, 0));
    EXPECT_GE(index, 0) << command;
    void* remote = VirtualAllocEx(info_.hProcess, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return 0;
    SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote));
    RECT r{};
    SIZE_T read = 0;
    ReadProcessMemory(info_.hProcess, remote, &r, sizeof r, &read);
    VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void PointAtToolButton(int command) const { PostMessageA(ToolBar(), WM_MOUSEMOVE, 0, ToolButtonCentre(command)); }
  void ClickToolButton(int command) const {
    HWND bar = ToolBar();
    ASSERT_NE(bar, nullptr);
    LPARAM at = ToolButtonCentre(command);
    PostMessageA(bar, WM_MOUSEMOVE, 0, at);
    PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(bar, WM_LBUTTONUP, 0, at);
  }
  // Lets the program work through what it was posted (a sent message would overtake
  // the posted ones, so this only waits).
  void Settle() const { Sleep(300); }

 private:
  PROCESS_INFORMATION info_{};
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
};

// Each test runs the program with a settings file of its own making (the one in the
// Windows directory, restored afterwards), a fresh backup directory and a trace file.
class GuiTest : public ::testing::Test {
 protected:
  GuiTest() {
    ini_ = SettingsPathFor(WindowsDirectory());
    savedIni_ = test::ReadBytes(ini_);
    hadIni_ = FileExists(ini_);
    backup_ = dir_.MakeDir("BACKUP");
    trace_ = dir_ / "trace.txt";
    test::WriteBytes(ini_, "[tessary]\r\nDirectory=" + backup_ + "\r\n");
    SetEnvironmentVariableA("TESSARY_TRACE", trace_.c_str());
  }
  ~GuiTest() override {
    SetEnvironmentVariableA("TESSARY_TRACE", nullptr);
    ProfileFlush(ini_);
    if (hadIni_) {
      test::WriteBytes(ini_, savedIni_);
    } else {
      DeleteFileA(ini_.c_str());
    }
    ProfileFlush(ini_);
  }
  void Set(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, ini_.c_str());
    ProfileFlush(ini_);
  }
  std::vector<std::string> Trace() {
    std::vector<std::string> lines;
    std::istringstream in(test::ReadBytes(trace_));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  bool Traced(const std::string& line) {
    for (const std::string& l : Trace())
      if (l == line) return true;
    return false;
  }
  // Opens a file through File Open, typing its name into the dialog.
  void OpenThroughDialog(TessaryProcess& app, const std::string& path) {
    app.Command(CM_FILEOPEN);
    HWND open = app.WaitBox("Open");
    ASSERT_NE(open, nullptr);
    HWND name = GetDlgItem(open, 0x47c);  // the file-name combo box
    if (!name) name = GetDlgItem(open, 0x480);
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    TessaryProcess::Press(open, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.Box("Open") == nullptr; }));
  }
  HWND EditorOf(HWND child) {
    HWND edit = FindWindowExA(child, nullptr, "tessaryEditFile", nullptr);
    EXPECT_NE(edit, nullptr);
    return edit;
  }

  test::TempDir dir_;
  std::string ini_, savedIni_, backup_, trace_;
  bool hadIni_ = false;
};

TEST_F(GuiTest, MenuAndToolBarCommandsReachTheirHandlers) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  ASSERT_NE(app.client(), nullptr);
  // The status bar shows the last-backup label.
  HWND status = FindWindowExA(app.frame(), nullptr, "msctls_statusbar32", nullptr);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(TextOf(status), "NO BACKUP FOUND IN " + ToUpperAscii(backup_) + " DIRECTORY");

  // Pointing at a menu item shows its hint; leaving the menu brings the label back.
  std::string label = TextOf(status);
  PostMessageA(app.frame(), WM_MENUSELECT, MAKEWPARAM(CM_BACKUP, MF_HILITE), 1);
  EXPECT_TRUE(WaitFor([&] { return TextOf(status) == "Backs up configuration files prior to a program installation."; }));
  PostMessageA(app.frame(), WM_MENUSELECT, MAKEWPARAM(CM_EDITCLEAR, MF_HILITE), 1);
  EXPECT_TRUE(WaitFor([&] { return TextOf(status) == "Clear the document"; }));
  PostMessageA(app.frame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_TRUE(WaitFor([&] { return TextOf(status) == label; }));

  // So does pointing at a tool-bar button.
  app.PointAtToolButton(CM_COMPARE);
  EXPECT_TRUE(WaitFor([&] { return TextOf(status) == "Compares config files backed up previously with current files"; }));
  PostMessageA(app.frame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);

  // Tool-bar buttons of the subsystems reach the frame's command handler. A dialog that
  // a command opens is cancelled (or declined) so the next can run.
  for (int id : {CM_BACKUP, CM_EXPRESS, CM_COMPARE, CM_UNINSTALL, CM_VIEWCOMPARE, CM_OPTIONS}) {
    app.ClickToolButton(id);
    EXPECT_TRUE(WaitFor([&] { return Traced("command " + std::to_string(id)); })) << id;
    WaitFor([&] {
      if (IsWindowEnabled(app.frame())) return true;
      if (HWND box = app.Box()) {
        TessaryProcess::Press(box, IDCANCEL);
        TessaryProcess::Press(box, IDNO);
      }
      return false;
    });
  }
  // Menu commands of the shell itself.
  app.Command(CM_HELPCONTENTS);
  app.Command(CM_HELPUSING);
  EXPECT_TRUE(WaitFor([&] { return Traced("help 3 0 "); }));  // HELP_INDEX
  EXPECT_TRUE(WaitFor([&] { return Traced("help 4 0 "); }));  // HELP_HELPONHELP

  app.Command(CM_HELPABOUT);
  HWND about = app.WaitBox("About");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(StaticTexts(about),
            "Tessary 95 Release 1.3a|Configuration file comparison, editing and program uninstall utility.");
  TessaryProcess::Press(about, IDOK);
  EXPECT_TRUE(WaitFor([&] { return app.Box("About") == nullptr; }));

  // Sysedit is not installed in the prefix.
  app.Command(CM_RUNSYSEDIT);
  HWND box = app.WaitBox("sysedit.exe");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("Unable to load SYSEDIT.EXE.\n Ensure this file has not been deleted."),
            std::string::npos);
  TessaryProcess::Press(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return app.Box("sysedit.exe") == nullptr; }));

  // Window commands with two children; Close All closes both (nothing modified).
  app.ClickToolButton(CM_FILENEW);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 2; }));
  app.Command(CM_TILECHILDREN);
  app.Command(CM_CASCADECHILDREN);
  app.Command(CM_ARRANGEICONS);
  app.Command(CM_CLOSECHILDREN);
  EXPECT_TRUE(WaitFor([&] { return app.ViewerChildren().empty(); }));

  // Closing the program after help was used closes the help file.
  PostMessageA(app.frame(), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(app.process(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(Traced("help 2 0 "));  // HELP_QUIT
}

// Presses the keys in order and lets them go in reverse order, as real input.
bool PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  for (WORD key : keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = key;
    input.push_back(i);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *--it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(i);
  }
  return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

TEST_F(GuiTest, ContextHelpKeysAndTheBackupButton) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  SetForegroundWindow(app.frame());
  app.Settle();
  // F1 alone: the help contents.
  ASSERT_TRUE(PressKeys({VK_F1}));
  EXPECT_TRUE(WaitFor([&] { return Traced("help 3 0 "); }));
  // Shift+F1, then Escape: the mode ends and the button runs its command.
  ASSERT_TRUE(PressKeys({VK_SHIFT, VK_F1}));
  ASSERT_TRUE(PressKeys({VK_ESCAPE}));
  app.Settle();
  app.ClickToolButton(CM_VIEWCOMPARE);
  EXPECT_TRUE(WaitFor([&] { return Traced("command 302"); }));
  WaitFor([&] {
    if (IsWindowEnabled(app.frame())) return true;
    if (HWND box = app.Box()) TessaryProcess::Press(box, IDCANCEL);
    return false;
  });
  SetForegroundWindow(app.frame());
  // F1 on a highlighted menu item (File, New): the item's help topic, no new window.
  ASSERT_TRUE(PressKeys({VK_MENU}));
  ASSERT_TRUE(PressKeys({VK_DOWN}));
  app.Settle();
  EXPECT_TRUE(WaitFor([&] { return FindTop(app.pid(), "#32768") != nullptr; }, 3000)) << "no menu";
  ASSERT_TRUE(PressKeys({VK_F1}));
  EXPECT_TRUE(WaitFor([&] { return Traced("help 1 24331 "); }, 5000)) << test::ReadBytes(trace_);
  EXPECT_TRUE(app.ViewerChildren().empty());
  SetForegroundWindow(app.frame());
  // Shift+F1, then the Backup button: its help topic and no backup.
  ASSERT_TRUE(PressKeys({VK_SHIFT, VK_F1}));
  app.Settle();
  app.ClickToolButton(CM_BACKUP);
  EXPECT_TRUE(WaitFor([&] { return Traced("help 1 204 "); }));  // HELP_CONTEXT 204
  app.Settle();
  EXPECT_FALSE(Traced("command 204"));
  EXPECT_TRUE(IsWindowEnabled(app.frame()));
  // The mode ended with that request: the button now runs the command.
  app.ClickToolButton(CM_HELPCONTENTS);
  EXPECT_TRUE(WaitFor([&] { return Traced("command 2001"); }));
}

// F1 and context help open the help file but do not mark it for closing: only the Help
// menu's Contents and Using help do.
TEST_F(GuiTest, OnlyTheHelpMenuMarksTheHelpFileForClosing) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  SetForegroundWindow(app.frame());
  app.Settle();
  ASSERT_TRUE(PressKeys({VK_F1}));
  EXPECT_TRUE(WaitFor([&] { return Traced("help 3 0 "); }));
  ASSERT_TRUE(PressKeys({VK_SHIFT, VK_F1}));
  app.Settle();
  app.Command(CM_COMPARE);
  EXPECT_TRUE(WaitFor([&] { return Traced("help 1 304 "); }));
  PostMessageA(app.frame(), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(app.process(), 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(Traced("help 2 0 "));  // HELP_QUIT
}

// The shipped program has no trace: TESSARY_TRACE in the environment (set by the
// fixture) changes nothing, and no trace file appears.
TEST_F(GuiTest, TheShippedProgramIgnoresTheTraceVariable) {
  TessaryProcess app(dir_.path(), SHIPPED_TESSARY_EXE);
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  PostMessageA(app.frame(), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(app.process(), 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(PathExists(trace_));
}

TEST_F(GuiTest, FileNewNumbersItsChildren) {
  Set("tessary", "docmax", "YES");
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 2; }));
  std::vector<std::string> captions;
  for (HWND child : app.ViewerChildren()) captions.push_back(TextOf(child));
  // docmax = "YES": the active child is maximised.
  EXPECT_TRUE(IsZoomed(reinterpret_cast<HWND>(SendMessageA(app.client(), WM_MDIGETACTIVE, 0, 0))));
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions, (std::vector<std::string>{"0 - Untitled", "1 - Untitled"}));
}

TEST_F(GuiTest, LargeIconsAreChosenWithoutRegardToCase) {
  Set("tessary", "LargeIcon", "YES");
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  HWND bar = FindWindowExA(app.frame(), nullptr, "ToolbarWindow32", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_GE(LOWORD(SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0)), 32);
  EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 26);
}

TEST_F(GuiTest, OpenInViewerAsksAboveThirtyThousandBytes) {
  std::string exact = dir_ / "EXACT.TSC", over = dir_ / "OVER.TSC", big = dir_ / "BIG.LOG";
  test::WriteBytes(exact, std::string(29998, 'a') + "\r\n");
  test::WriteBytes(over, std::string(29999, 'b') + "\r\n");
  std::string bigText;
  for (int i = 0; bigText.size() < 120000; ++i) bigText += "line " + std::to_string(i) + "\r\n";
  test::WriteBytes(big, bigText);
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);

  // 30000 bytes: straight in, caption = the path, the whole text.
  OpenThroughDialog(app, exact);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  EXPECT_EQ(app.Box("File too large"), nullptr);
  HWND child = app.ViewerChildren()[0];
  EXPECT_EQ(TextOf(child), exact);
  EXPECT_EQ(TextOf(EditorOf(child)).size(), 30000u);

  // 30001 bytes: the question first; Cancel opens nothing.
  OpenThroughDialog(app, over);
  HWND box = app.WaitBox("File too large");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("This file is 30001 bytes in size."), std::string::npos);
  TessaryProcess::Press(box, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return app.Box("File too large") == nullptr; }));
  app.Settle();
  EXPECT_EQ(app.ViewerChildren().size(), 1u);

  // No opens anyway, and far beyond the edit control's usual limit the text is whole.
  OpenThroughDialog(app, big);
  box = app.WaitBox("File too large");
  ASSERT_NE(box, nullptr);
  TessaryProcess::Press(box, IDNO);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 2; }));
  for (HWND c : app.ViewerChildren()) {
    if (TextOf(c) == big) {
      EXPECT_EQ(TextOf(EditorOf(c)), bigText);
    }
  }
}

TEST_F(GuiTest, PrintingAnUnsavedEditorPrintsItsTextAndKeepsItUnsaved) {
  // What the test plants goes again however it ends.
  struct Planted {
    std::string folder;
    bool removeFolder = false;
    std::vector<std::string> files;
    ~Planted() {
      SetEnvironmentVariableA("TESSARY_PRINT_OUT", nullptr);
      for (const std::string& file : files) DeleteFileA(file.c_str());
      if (removeFolder) RemoveDirectoryA(folder.c_str());
    }
  } planted;
  // The print program stands in for WordPad at the place the program looks first.
  planted.folder = "C:\\Program Files\\Accessories";
  planted.removeFolder = !DirectoryExists(planted.folder);
  CreateDirectoryA(planted.folder.c_str(), nullptr);
  std::string wordPad = planted.folder + "\\wordpad.exe";
  ASSERT_FALSE(FileExists(wordPad));
  planted.files.push_back(wordPad);
  ASSERT_TRUE(CopyFileA(test::BuildPath(FAKE_PRINT_EXE).c_str(), wordPad.c_str(), FALSE));
  // A program where an unquoted "c:\program files\..." command line finds one first: it
  // must not be the one that runs (started so, it prints nothing).
  std::string decoy = "C:\\program.exe";
  ASSERT_FALSE(FileExists(decoy));
  planted.files.push_back(decoy);
  ASSERT_TRUE(CopyFileA(test::BuildPath(FAKE_PRINT_EXE).c_str(), decoy.c_str(), FALSE));
  std::string printed = dir_ / "printed.txt";
  SetEnvironmentVariableA("TESSARY_PRINT_OUT", printed.c_str());

  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  HWND child = app.ViewerChildren()[0];
  HWND edit = EditorOf(child);
  std::string text = "[boot]\r\nshell=Explorer.exe\r\n";
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(edit, EM_SETMODIFY, TRUE, 0);

  app.Command(CM_FILEPRINT);
  HWND wait = app.WaitBox("Please Wait...");
  ASSERT_NE(wait, nullptr);
  EXPECT_FALSE(IsWindowEnabled(app.frame()));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(wait, IDCANCEL)));
  EXPECT_EQ(TextOf(GetDlgItem(wait, IDC_PROGRESS_DETAIL)), "Printing document");
  ASSERT_TRUE(WaitFor([&] { return app.Box("Please Wait...") == nullptr; }, 20000));
  EXPECT_TRUE(IsWindowEnabled(app.frame()));
  EXPECT_EQ(test::ReadBytes(printed), text);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  EXPECT_TRUE(WaitFor([&] { return !FileExists(std::string(temp) + "tessary.tmp"); }));

  // The work file is no save: the text is still unsaved, and closing asks about it.
  EXPECT_NE(SendMessageA(edit, EM_GETMODIFY, 0, 0), 0);
  PostMessageA(child, WM_CLOSE, 0, 0);
  HWND box = app.WaitBox("Tessary", 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("The text in the Untitled file has changed."), std::string::npos);
  TessaryProcess::Press(box, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return app.Box("Tessary") == nullptr; }));
  app.Settle();
  EXPECT_EQ(app.ViewerChildren().size(), 1u);
}

TEST_F(GuiTest, ClosingAModifiedEditorAsks) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  HWND child = app.ViewerChildren()[0];
  SendMessageA(EditorOf(child), EM_SETMODIFY, TRUE, 0);
  PostMessageA(child, WM_CLOSE, 0, 0);
  HWND box = app.WaitBox("Tessary");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("The text in the Untitled file has changed.\n\nSave changes?"), std::string::npos);
  TessaryProcess::Press(box, IDCANCEL);
  app.Settle();
  EXPECT_EQ(app.ViewerChildren().size(), 1u);
  PostMessageA(child, WM_CLOSE, 0, 0);
  box = app.WaitBox("Tessary");
  ASSERT_NE(box, nullptr);
  TessaryProcess::Press(box, IDNO);
  EXPECT_TRUE(WaitFor([&] { return app.ViewerChildren().empty(); }));
}

// The system asks only the top-level windows whether the session may end: the frame
// answers for its documents with the question that closing the program asks.
TEST_F(GuiTest, EndOfSessionAsksAboutModifiedText) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  SendMessageA(EditorOf(app.ViewerChildren()[0]), EM_SETMODIFY, TRUE, 0);
  // Asks as the system does, answers the question (if one comes) with `button`, and
  // returns the frame's answer.
  auto queryEnd = [&](int button, bool& asked) {
    DWORD_PTR answer = 99;
    std::thread query([&] {
      SendMessageTimeoutA(app.frame(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &answer);
    });
    HWND box = app.WaitBox("Tessary", 5000);
    asked = box != nullptr;
    if (box) {
      EXPECT_NE(StaticTexts(box).find("The text in the Untitled file has changed.\n\nSave changes?"),
                std::string::npos);
      TessaryProcess::Press(box, button);
    }
    query.join();
    return answer;
  };
  bool asked = false;
  EXPECT_EQ(queryEnd(IDCANCEL, asked), 0u);
  EXPECT_TRUE(asked);
  EXPECT_EQ(app.ViewerChildren().size(), 1u);
  EXPECT_NE(queryEnd(IDNO, asked), 0u);
  EXPECT_TRUE(asked);
}

// The Window menu's list of children (ids from 0xFF00) and the buttons of a maximised
// child in the menu bar (system-command ids) are the MDI frame's own work.
TEST_F(GuiTest, WindowMenuEntriesActivateTheirChild) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  auto active = [&] { return reinterpret_cast<HWND>(SendMessageA(app.client(), WM_MDIGETACTIVE, 0, 0)); };
  app.Command(CM_FILENEW);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 2; }));
  ASSERT_TRUE(WaitFor([&] { return TextOf(active()) == "1 - Untitled"; }));
  app.Command(0xFF00);
  EXPECT_TRUE(WaitFor([&] { return TextOf(active()) == "0 - Untitled"; }, 5000));
  app.Command(0xFF01);
  EXPECT_TRUE(WaitFor([&] { return TextOf(active()) == "1 - Untitled"; }, 5000));

  // The Close button of a maximised child.
  HWND first = active();
  PostMessageA(app.client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(first), 0);
  ASSERT_TRUE(WaitFor([&] { return IsZoomed(first) != FALSE; }));
  app.Command(SC_CLOSE);
  EXPECT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }, 5000));

  // Beyond nine children the last entry, "More Windows...", offers them all.
  for (int i = 0; i < 9; ++i) app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 10; }));
  app.Command(0xFF09);
  HWND more = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (more = app.Box()) != nullptr; }, 5000));
  std::vector<HWND> lists = Children(more, "ListBox");
  ASSERT_EQ(lists.size(), 1u);
  std::vector<std::string> items = test::ListItems(lists[0]);
  auto it = std::find(items.begin(), items.end(), "0 - Untitled");
  ASSERT_NE(it, items.end());
  SendMessageA(lists[0], LB_SETCURSEL, static_cast<WPARAM>(it - items.begin()), 0);
  TessaryProcess::Press(more, IDOK);
  EXPECT_TRUE(WaitFor([&] { return TextOf(active()) == "0 - Untitled"; }, 5000));
}

// A NUL byte would end the text an edit control takes: such a file opens whole, with
// the NULs shown as blanks, read-only, and nothing writes the shown text over it.
TEST_F(GuiTest, AFileWithNulBytesOpensWholeAndIsNeverSavedOver) {
  std::string path = dir_ / "BINARY.LOG";
  std::string bytes = std::string("first line\r\n") + '\0' + "after the NUL\r\nlast line\r\n";
  test::WriteBytes(path, bytes);
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  OpenThroughDialog(app, path);
  HWND box = app.WaitBox("Tessary", 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("holds NUL characters"), std::string::npos) << StaticTexts(box);
  TessaryProcess::Press(box, IDOK);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  HWND child = app.ViewerChildren()[0];
  HWND edit = EditorOf(child);
  std::string shown = bytes;
  shown[12] = ' ';
  EXPECT_EQ(TextOf(edit), shown);
  EXPECT_NE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY, 0);

  // Typing, Clear All and Save leave the file as it was.
  PostMessageA(edit, WM_CHAR, 'x', 0);
  app.Command(CM_EDITCLEAR);
  app.Command(CM_FILESAVE);
  app.Settle();
  EXPECT_EQ(TextOf(edit), shown);
  EXPECT_EQ(test::ReadBytes(path), bytes);
  PostMessageA(child, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return app.ViewerChildren().empty(); }, 5000));
  EXPECT_EQ(app.Box(), nullptr);
  EXPECT_EQ(test::ReadBytes(path), bytes);
}

// A Save that meets a full disk (the small real disk the test run mounts): the file
// keeps what it held, nothing is left beside it, the user is told; with room again
// the same Save writes the text.
TEST_F(GuiTest, ASaveThatFailsKeepsTheFileAsItWasAndSaysSo) {
  if (!test::SmallDisk::Mounted()) GTEST_SKIP() << test::SmallDisk::kSkipReason;
  test::SmallDisk disk;
  const std::string path = disk.Folder("NOTES") + "\\NOTES.LOG";
  std::string old;
  while (old.size() < 8000) old += "a line as it was saved\r\n";
  test::WriteBytes(path, old);
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  OpenThroughDialog(app, path);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  HWND child = app.ViewerChildren()[0];
  HWND edit = EditorOf(child);
  ASSERT_EQ(TextOf(edit), old);
  // More text than the file's own blocks hold, so a save cut short would show.
  std::string text = old;
  while (text.size() < 24000) text += "a line typed since\r\n";
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
  ASSERT_EQ(disk.Fill(), static_cast<unsigned long>(ERROR_DISK_FULL));

  app.Command(CM_FILESAVE);
  HWND box = app.WaitBox("Tessary", 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find("Unable to write file " + path + " to disk."), std::string::npos)
      << StaticTexts(box);
  TessaryProcess::Press(box, IDOK);
  ASSERT_TRUE(WaitFor([&] { return app.Box() == nullptr; }));
  EXPECT_EQ(test::ReadBytes(path), old);
  EXPECT_FALSE(PathExists(SideFileFor(path)));
  EXPECT_NE(SendMessageA(edit, EM_GETMODIFY, 0, 0), 0);  // still unsaved

  disk.Free();
  app.Command(CM_FILESAVE);
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(edit, EM_GETMODIFY, 0, 0) == 0; }, 5000));
  EXPECT_EQ(test::ReadBytes(path), text);
  PostMessageA(child, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return app.ViewerChildren().empty(); }, 5000));
}

TEST_F(GuiTest, SaveAsWritesANewFileAndFindWalksTheMatches) {
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_FILENEW);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  HWND child = app.ViewerChildren()[0];
  HWND edit = EditorOf(child);
  std::string text = "device=a.386\r\nDEVICE=b.386\r\nnodevice=c\r\n";
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(edit, EM_SETMODIFY, TRUE, 0);

  // Save of an untitled document asks for a name; a file that does not exist yet is fine.
  std::string saved = backup_ + "\\NOTES.LOG";
  app.Command(CM_FILESAVE);
  HWND dialog = app.WaitBox("Save As");
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, 0x47c);
  if (!name) name = GetDlgItem(dialog, 0x480);
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()));
  TessaryProcess::Press(dialog, IDOK);
  ASSERT_TRUE(WaitFor([&] { return FileExists(saved) && test::ReadBytes(saved) == text; }));
  EXPECT_TRUE(WaitFor([&] { return TextOf(child) == "0 - " + saved; }));
  EXPECT_EQ(SendMessageA(edit, EM_GETMODIFY, 0, 0), 0);

  // Find "device" as a whole word, then Find next (F3) moves to the second match.
  SendMessageA(edit, EM_SETSEL, 0, 0);
  app.Command(CM_EDITFIND);
  HWND find = app.WaitBox("Find");
  ASSERT_NE(find, nullptr);
  SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("device"));
  SendMessageA(GetDlgItem(find, 0x410), BM_SETCHECK, BST_CHECKED, 0);  // whole word
  TessaryProcess::Press(find, IDOK);
  auto selection = [&] {
    LRESULT sel = SendMessageA(edit, EM_GETSEL, 0, 0);
    return std::make_pair(LOWORD(sel), HIWORD(sel));
  };
  EXPECT_TRUE(WaitFor([&] { return selection() == std::make_pair<WORD, WORD>(0, 6); }));
  TessaryProcess::Press(find, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return app.Box("Find") == nullptr; }));
  app.Command(CM_EDITFINDNEXT);
  EXPECT_TRUE(WaitFor([&] { return selection() == std::make_pair<WORD, WORD>(14, 20); }));
  // "nodevice" is no whole word: the next search finds nothing and says so.
  app.Command(CM_EDITFINDNEXT);
  HWND none = app.WaitBox("Tessary");
  ASSERT_NE(none, nullptr);
  EXPECT_NE(StaticTexts(none).find("Cannot find \"device\"."), std::string::npos);
  TessaryProcess::Press(none, IDOK);
  ASSERT_TRUE(WaitFor([&] { return app.Box("Tessary") == nullptr; }));
}

// A picture of the main window with a report open, for the documentation.
TEST_F(GuiTest, ScreenshotWithAReport) {
  std::string report = backup_ + "\\COMPARE.TSC";
  test::WriteBytes(report,
                   "Tessary Compare Report\r\n\r\n"
                   "Comparing Win.ini\r\n"
                   "  [windows] load=C:\\PROGRA~1\\NEWAPP\\AGENT.EXE  (added)\r\n"
                   "Comparing System.ini\r\n"
                   "  [386Enh] device=*vnewapp  (added)\r\n"
                   "Comparing Registry\r\n"
                   "  HKEY_LOCAL_MACHINE\\SOFTWARE\\NewApp  (added)\r\n"
                   "Comparing Windows Directory\r\n"
                   "  NEWAPP.INI  added\r\n"
                   "Comparing System Directory\r\n"
                   "  NEWAPP32.DLL  added\r\n");
  // A backup taken earlier, for the status bar's label.
  test::WriteBytes(backup_ + "\\windir.tsb", "x\r\n");
  test::SetLastWrite(backup_ + "\\windir.tsb", 1996, 12, 7, 9, 5, 0);
  TessaryProcess app(dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  HWND status = FindWindowExA(app.frame(), nullptr, "msctls_statusbar32", nullptr);
  EXPECT_EQ(TextOf(status), "LAST BACKUP IN:" + ToUpperAscii(backup_) + " AT 09:05  7 DEC 1996");
  MoveWindow(app.frame(), 0, 0, 760, 520, TRUE);
  OpenThroughDialog(app, report);
  ASSERT_TRUE(WaitFor([&] { return app.ViewerChildren().size() == 1; }));
  ShowWindow(app.ViewerChildren()[0], SW_MAXIMIZE);
  Sleep(800);
  EXPECT_TRUE(test::SaveWindowPicture(app.frame(), test::BuildPath(UI_SCREENSHOT)));
}

}  // namespace
}  // namespace tessary
