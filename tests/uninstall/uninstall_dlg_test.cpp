// The UnInstall and Uninstall Actions dialogs opened from their templates, and the
// Uninstall command that runs them: what each hands back, and when the command starts
// again.
#include <windows.h>

#include <functional>
#include <thread>

#include "core/commands.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "testbed.h"
#include "uninstall/dll_scan.h"
#include "uninstall/list_dlg.h"
#include "uninstall/list_ids.h"
#include "uninstall/uninstall_dlg.h"
#include "uninstall/uninstall_ids.h"
#include "window_probe.h"
#include "seal_for_tests.h"

namespace tessary {
namespace {

using test::WriteBytes;

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class UninstallDialogs : public test::HostTest {
 protected:
  UninstallDialogs() {
    WriteBytes(Path("A.TSC"), "report");
    WriteBytes(Path("A.TSU"), "add:Key=1>to:WIN.INI[Tess]\r\n");
    WriteBytes(Path("B.SNC"), "report");
    WriteBytes(Path("B.TSU"), "REMOVEFILE:B.DLL>FROM:C:\\TESS\r\n");
    WriteBytes(Path("C.TSC"), "report");  // no C.TSU
    EXPECT_TRUE(test::SealAsCompareWould(Path("A.TSU"), {"add:Key=1>to:WIN.INI[Tess]"}, host.state.WindowsDirectory));
  }
  std::string Path(const std::string& name) const { return backupDir + "\\" + name; }
  // Selects the list entry that begins with `name`.
  static void Select(HWND dialog, const std::string& name) {
    HWND list = GetDlgItem(dialog, IDC_UNINSTALL_LIST);
    SendMessageA(list, LB_SETCURSEL, SendMessageA(list, LB_FINDSTRING, -1, reinterpret_cast<LPARAM>(name.c_str())), 0);
  }
};

TEST_F(UninstallDialogs, ChooserHandsBackTheReportToViewOrToUse) {
  {
    TUninstallDlg chooser(host);
    HWND h = chooser.CreateModeless();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(test::ListItems(GetDlgItem(h, IDC_UNINSTALL_LIST)),
              (std::vector<std::string>{"A.TSC", "B.SNC\tSentinox Compare File", "C.TSC"}));
    host.prompter.Answer(id::kOk);
    Click(h, IDC_UNINSTALL_VIEW);  // nothing selected
    ASSERT_EQ(host.prompter.boxes.size(), 1u);
    EXPECT_EQ(host.prompter.boxes[0].text, "You must select a compare file to view from the list.\n");
    ASSERT_TRUE(IsWindow(h));
    Select(h, "B.SNC");
    Click(h, IDC_UNINSTALL_VIEW);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(chooser.fileToOpen(), Path("B.SNC"));
    EXPECT_FALSE(chooser.chosenReport());
  }
  {
    // A report without actions keeps the dialog open and chooses nothing.
    TUninstallDlg chooser(host);
    HWND h = chooser.CreateModeless();
    ASSERT_NE(h, nullptr);
    host.prompter.Answer(id::kOk);
    Select(h, "C.TSC");
    Click(h, IDOK);
    EXPECT_EQ(host.prompter.boxes.back().caption, "File error");
    ASSERT_TRUE(IsWindow(h));
    Select(h, "A.TSC");
    Click(h, IDOK);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(chooser.chosenReport(), Path("A.TSC"));
    EXPECT_FALSE(chooser.fileToOpen());
  }
  TUninstallDlg chooser(host);
  HWND h = chooser.CreateModeless();
  ASSERT_NE(h, nullptr);
  Select(h, "A.TSC");
  Click(h, IDCANCEL);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(chooser.chosenReport());
  EXPECT_FALSE(chooser.fileToOpen());
}

TEST_F(UninstallDialogs, ActionsDialogShowsTheFileAndTellsCancelFromAFileItCannotRead) {
  {
    TListDlg actions(host, Path("A.TSU"));
    HWND h = actions.CreateModeless();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(test::TextOf(GetDlgItem(h, IDC_LIST_FILE)), Path("A.TSU"));
    EXPECT_EQ(test::ListItems(GetDlgItem(h, IDC_LIST_ACTIONS)), std::vector<std::string>{"ADD:KEY=1>TO:WIN.INI[TESS]"});
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_LIST_DLLDEPEND)));  // no DLL lines
    host.prompter.Answer(id::kOk);
    Click(h, IDOK);  // nothing selected: the dialog stays
    EXPECT_EQ(host.prompter.boxes.back().caption, "No actions selected");
    ASSERT_TRUE(IsWindow(h));
    Click(h, IDCANCEL);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(actions.wentBack());
    EXPECT_FALSE(actions.logToShow());
  }
  host.prompter.Answer(id::kOk);
  TListDlg actions(host, Path("C.TSU"));
  HWND h = actions.CreateModeless();
  EXPECT_FALSE(h && IsWindow(h));
  EXPECT_EQ(host.prompter.boxes.back().caption, "File error");
  EXPECT_FALSE(actions.wentBack());
}

// A report with an install summary offers its items; choosing one selects exactly its
// lines. A report without one shows no choice.
TEST_F(UninstallDialogs, ActionsDialogSelectsTheLinesOfOneSummaryItem) {
  WriteBytes(Path("S.TSC"), "Tessary configuration file comparison file.\r\nS.TSC\r\n"
                            "SUMMARY: what this install did, 2 items (every finding is listed below)\r\n"
                            "[1] Shortcuts: adds b.lnk in the desktop (this user)\r\n"
                            "    UNDO: REMOVEFILE:b.lnk>FROM:C:\\Desk\r\n"
                            "[2] System folder files: adds a.dll in the system folder\r\n"
                            "    SECOND LOOK: why\r\n"
                            "    UNDO: REMOVEFILE:a.dll>FROM:C:\\windows\\system32\r\n"
                            "    UNDO: add:Key=1>to:WIN.INI[Tess]\r\n"
                            "END OF SUMMARY\r\n");
  WriteBytes(Path("S.TSU"), "add:Key=1>to:WIN.INI[Tess]\r\nREMOVEFILE:b.lnk>FROM:C:\\Desk\r\n"
                            "REMOVEFILE:a.dll>FROM:C:\\windows\\system32\r\nREMOVEFILE:c.txt>FROM:C:\\Desk\r\n");
  ASSERT_TRUE(test::SealAsCompareWould(Path("S.TSU"),
                                       {"add:Key=1>to:WIN.INI[Tess]", "REMOVEFILE:b.lnk>FROM:C:\\Desk",
                                        "REMOVEFILE:a.dll>FROM:C:\\windows\\system32", "REMOVEFILE:c.txt>FROM:C:\\Desk"},
                                       host.state.WindowsDirectory));
  TListDlg actions(host, Path("S.TSU"));
  HWND h = actions.CreateModeless();
  ASSERT_NE(h, nullptr);
  HWND box = GetDlgItem(h, IDC_LIST_SUMMARY);
  EXPECT_TRUE(IsWindowVisible(box));
  ASSERT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 3);
  char text[200] = {};
  SendMessageA(box, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "[2] System folder files: adds a.dll in the system folder");
  HWND list = GetDlgItem(h, IDC_LIST_ACTIONS);
  auto selected = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i)
      if (SendMessageA(list, LB_GETSEL, i, 0) > 0) out.push_back(test::ListItems(list)[static_cast<std::size_t>(i)]);
    return out;
  };
  auto choose = [&](int index) {
    SendMessageA(box, CB_SETCURSEL, index, 0);
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_LIST_SUMMARY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  };
  choose(2);
  EXPECT_EQ(selected(), (std::vector<std::string>{"ADD:KEY=1>TO:WIN.INI[TESS]", "REMOVEFILE:A.DLL>FROM:C:\\WINDOWS\\SYSTEM32"}));
  choose(1);  // another item: only its lines
  EXPECT_EQ(selected(), std::vector<std::string>{"REMOVEFILE:B.LNK>FROM:C:\\DESK"});
  Click(h, IDCANCEL);

  TListDlg plain(host, Path("A.TSU"));
  HWND p = plain.CreateModeless();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(p, IDC_LIST_SUMMARY)));
  Click(p, IDCANCEL);
}

// A value line is listed readably, its name and data in their own case, and the run
// carries out the line as written.
TEST_F(UninstallDialogs, ActionsDialogListsValueLinesReadablyAndPutsTheValueBack) {
  // The run keeps safety copies of the INI files beside them: a Windows folder of its own.
  host.state.WindowsDirectory = dir.MakeDir("WIN");
  for (const char* ini : {"win.ini", "system.ini", "protocol.ini"}) WriteBytes(host.state.WindowsDirectory + "\\" + ini, "");
  test::TempRegKey key;
  key.SetString("App", "Mode", "new");
  const std::string keyPath = "HKEY_CURRENT_USER\\" + key.path() + "\\App";
  ASSERT_TRUE(test::SealAsCompareWould(
      Path("V.TSU"), {"REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:" + keyPath}, host.state.WindowsDirectory));
  TListDlg actions(host, Path("V.TSU"));
  HWND h = actions.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(test::ListItems(GetDlgItem(h, IDC_LIST_ACTIONS)),
            std::vector<std::string>{"REG_VALUE_RESTORE:" + keyPath + " \"Mode\" = REG_SZ, 8 bytes: \"old\""});
  SendMessageA(GetDlgItem(h, IDC_LIST_VERIFY), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(h, IDC_LIST_SELECTALL);
  host.prompter.Answer(id::kYes).Answer(id::kNo);  // all without verifying; no log
  Click(h, IDOK);
  EXPECT_FALSE(IsWindow(h));
  RegValue now;
  ASSERT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, key.path() + "\\App").QueryValue(u"Mode", now));
  EXPECT_EQ(now.data(), test::Utf16Bytes(std::u16string(u"old\0", 4)));
}

// Works the modal dialogs of the command from another thread: waits for each caption
// in turn and hands the dialog to its step.
class Operator {
 public:
  using Step = std::pair<std::string, std::function<void(HWND)>>;
  explicit Operator(std::vector<Step> steps)
      : thread_([steps = std::move(steps)] {
          for (const auto& [caption, act] : steps) {
            HWND dialog = nullptr;
            test::WaitFor([&] {
              dialog = FindWindowA("#32770", caption.c_str());
              return dialog && IsWindowVisible(dialog);
            });
            if (!dialog) return;
            act(dialog);
            test::WaitFor([&] { return !IsWindow(dialog); });
          }
        }) {}
  ~Operator() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST_F(UninstallDialogs, CommandStartsAgainAfterCancelInTheActionsAndOpensWhatWasChosen) {
  const std::string workFiles[] = {Path(kDllNameListFile), Path(kDllReferenceListFile)};
  for (const std::string& file : workFiles) WriteBytes(file, "");
  UninstallEnd end = UninstallEnd::Done;
  {
    Operator user({{"UnInstall",
                    [](HWND h) {
                      Select(h, "A.TSC");
                      PostMessageA(h, WM_COMMAND, IDOK, 0);
                    }},
                   {"Uninstall Actions", [](HWND h) { PostMessageA(h, WM_COMMAND, IDCANCEL, 0); }}});
    end = UninstallCommand(host);
  }
  EXPECT_EQ(end, UninstallEnd::Restart);
  EXPECT_TRUE(host.opened.empty());
  // Going back leaves the DLL check's work files for the command that ends.
  for (const std::string& file : workFiles) EXPECT_TRUE(FileExists(file)) << file;

  {
    Operator user({{"UnInstall", [](HWND h) {
                      Select(h, "B.SNC");
                      PostMessageA(h, WM_COMMAND, IDC_UNINSTALL_VIEW, 0);
                    }}});
    end = UninstallCommand(host);
  }
  EXPECT_EQ(end, UninstallEnd::Done);
  EXPECT_EQ(host.opened, std::vector<std::string>{Path("B.SNC")});
  for (const std::string& file : workFiles) EXPECT_FALSE(FileExists(file)) << file;
}

}  // namespace
}  // namespace tessary
