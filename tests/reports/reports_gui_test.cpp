// The Express and View Compare File dialogs opened from their templates.
#include <gtest/gtest.h>

#include "reports/express_dlg.h"
#include "reports/view_dlg.h"
#include "reports/express_ids.h"
#include "reports/view_ids.h"
#include "testbed.h"
#include "window_probe.h"

namespace tessary {
namespace {

std::string Text(HWND dlg, int id) {
  char buf[512] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

class ReportsGuiTest : public test::HostTest {};

// Finds a static of the dialog by its text.
bool HasText(HWND dlg, const std::string& text) {
  for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char buf[256] = {};
    GetWindowTextA(child, buf, sizeof buf);
    if (text == buf) return true;
  }
  return false;
}

TEST_F(ReportsGuiTest, ExpressDialogShowsTheStepsAndTheLastBackup) {
  host.state.LastBackupText = "09:05  7 Dec 1996";
  TExpressDlg dlg(nullptr, host);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(host.refreshes, 1);  // the last-backup query runs as the dialog opens
  char caption[64] = {};
  GetWindowTextA(h, caption, sizeof caption);
  EXPECT_STREQ(caption, "Express");
  EXPECT_EQ(Text(h, IDC_EXPRESS_DIRECTORY), backupDir);
  EXPECT_EQ(Text(h, IDC_EXPRESS_LASTBACKUP), host.state.LastBackupText);
  EXPECT_TRUE(HasText(h, "-Do an Tessary Backup."));
  EXPECT_TRUE(HasText(h, "-Prompt for a SETUP program to be executed, to install a program."));
  EXPECT_TRUE(HasText(h, "Time of last backup in:"));
  EXPECT_EQ(Text(h, IDCANCEL), "CANCEL");
  SendMessageA(GetDlgItem(h, 9), BM_CLICK, 0, 0);
  ASSERT_EQ(host.help.calls.size(), 1u);
  EXPECT_EQ(host.help.calls[0].keyword, "Express");
  SendMessageA(GetDlgItem(h, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(h));
}

class ViewDlgTest : public test::HostTest {
 protected:
  ViewDlgTest() {
    for (const char* name : {"COMPARE.TSC", "B.SNC", "A.TSC", "C.SNC", "COMPARE.TSU", "NOTES.TXT"})
      test::WriteBytes(backupDir + "\\" + name, "x");
  }
  void Click(int id) { SendMessageA(GetDlgItem(h, id), BM_CLICK, 0, 0); }
  HWND list() { return GetDlgItem(h, IDC_VIEW_LIST); }
  void Open() {
    h = dlg.CreateModeless();
    ASSERT_NE(h, nullptr);
  }
  TViewDlg dlg{nullptr, host};
  HWND h = nullptr;
};

TEST_F(ViewDlgTest, ListsBothKindsSortedWithTheSentinoxTag) {
  Open();
  char caption[64] = {};
  GetWindowTextA(h, caption, sizeof caption);
  EXPECT_STREQ(caption, "View Compare File");
  EXPECT_EQ(Text(h, IDC_VIEW_DIRECTORY), backupDir);
  EXPECT_EQ(Text(h, IDC_VIEW_TSC), "Tessary Compare (.TSC)");
  EXPECT_EQ(Text(h, IDC_VIEW_SNC), "Sentinox Compare (.SNC)");
  EXPECT_EQ(Text(h, IDC_VIEW_TYPEGROUP), "Show files of type:");
  EXPECT_EQ(SendMessageA(list(), LB_GETHORIZONTALEXTENT, 0, 0), 500);
  Click(9);
  ASSERT_EQ(host.help.calls.size(), 1u);
  EXPECT_EQ(host.help.calls[0].keyword, "View");
  EXPECT_EQ(test::ListItems(list()), (std::vector<std::string>{"A.TSC", "B.SNC\tSentinox Compare File",
                                                               "C.SNC\tSentinox Compare File", "COMPARE.TSC"}));
  // A click on a type writes its setting at once and refills the list.
  Click(IDC_VIEW_TSC);
  EXPECT_EQ(settings().Read(settings::kViewTSC), "no");
  EXPECT_EQ(test::ListItems(list()).size(), 2u);
  Click(IDC_VIEW_SNC);
  EXPECT_EQ(settings().Read(settings::kViewSNC), "no");
  EXPECT_TRUE(test::ListItems(list()).empty());  // both off: empty until the next opening
}

TEST_F(ViewDlgTest, BothTypesOffOpensWithTheInteractiveReports) {
  Set(settings::kViewTSC, "no");
  Set(settings::kViewSNC, "NO");
  Open();
  EXPECT_EQ(IsDlgButtonChecked(h, IDC_VIEW_TSC), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(h, IDC_VIEW_SNC), BST_UNCHECKED);
  EXPECT_EQ(settings().Read(settings::kViewTSC), "yes");
  EXPECT_EQ(test::ListItems(list()), (std::vector<std::string>{"A.TSC", "COMPARE.TSC"}));
}

TEST_F(ViewDlgTest, ViewingNeedsASelectionAndReturnsThePathWithoutTheTag) {
  Open();
  host.prompter.Answer(id::kOk);
  Click(IDOK);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "You must select a compare file to view from the list.\nSelect Cancel to leave this dialog.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "View");
  EXPECT_TRUE(IsWindow(h));
  SendMessageA(list(), LB_SETCURSEL, 1, 0);  // B.SNC with its tag
  SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_VIEW_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list()));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(dlg.fileToOpen(), backupDir + "\\B.SNC");
}

TEST_F(ViewDlgTest, CancelLeavesNoChoice) {
  Open();
  SendMessageA(list(), LB_SETCURSEL, 0, 0);
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(dlg.fileToOpen().value_or(""), "");
}

TEST_F(ViewDlgTest, AMissingDirectoryGivesAnEmptyList) {
  host.state.BackupDirectory = dir / "missing";
  Open();
  EXPECT_TRUE(test::ListItems(list()).empty());
  EXPECT_TRUE(host.prompter.boxes.empty());
}

}  // namespace
}  // namespace tessary
