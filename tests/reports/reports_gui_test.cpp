// The Express and View Compare File dialogs opened from their templates.
#include <gtest/gtest.h>

#include "reports/express_dlg.h"
#include "reports_ids.h"
#include "testbed.h"

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

}  // namespace
}  // namespace tessary
