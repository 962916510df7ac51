// TBackupDlg as a real dialog: its texts, EXPRESS, and the hidden instance that runs the backup.
#include <windows.h>

#include <thread>

#include "platform/files.h"
#include "snapshot/backup_dlg.h"
#include "snapshot/backup_ids.h"
#include "testbed.h"

namespace tessary {
namespace {

class BackupDialog : public test::HostTest {};

// Waits for the dialog captioned "Backup" of this process, reads its texts and
// presses `button`.
struct Clicker {
  explicit Clicker(int button) {
    thread = std::thread([this, button] {
      // The dialog is shown once its set-up step has run.
      for (int i = 0; i < 200; ++i) {
        window = FindWindowA("#32770", "Backup");
        if (window && IsWindowVisible(window)) break;
        Sleep(25);
      }
      if (!window) return;
      char buf[300] = {};
      GetDlgItemTextA(window, IDC_BACKUP_LASTTIME, buf, sizeof buf);
      lastTime = buf;
      GetDlgItemTextA(window, IDC_BACKUP_DIRECTORY, buf, sizeof buf);
      directory = buf;
      visible = IsWindowVisible(window) != FALSE;
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
  }
  ~Clicker() {
    if (thread.joinable()) thread.join();
  }
  std::thread thread;
  HWND window = nullptr;
  bool visible = false;
  std::string lastTime, directory;
};

TEST_F(BackupDialog, ShowsTheLastBackupAndAnswersExpress) {
  // The dialog runs the last-backup query when it opens rather than trusting the
  // text from earlier, which may be stale.
  std::string windir = backupDir + "\\windir.tsb";
  test::WriteBytes(windir, "listing\r\n");
  ASSERT_TRUE(test::SetLastWrite(windir, 1996, 12, 7, 9, 5, 0));
  host.state.LastBackupText = "No backup found in " + backupDir + " directory";
  {
    TBackupDlg dialog(host, false);
    Clicker clicker(IDC_BACKUP_EXPRESS);
    EXPECT_EQ(dialog.RunModal(), IDOK);
    clicker.thread.join();
    ASSERT_TRUE(clicker.window);
    EXPECT_TRUE(clicker.visible);
    EXPECT_EQ(clicker.lastTime, "09:05  7 Dec 1996");
    EXPECT_EQ(clicker.directory, backupDir);
    EXPECT_TRUE(dialog.express());
  }
  EXPECT_EQ(host.state.LastBackupText, "09:05  7 Dec 1996");
  // EXPRESS only closes the dialog: nothing is backed up here.
  EXPECT_EQ(test::ReadBytes(windir), "listing\r\n");

  TBackupDlg dialog(host, false);
  Clicker clicker(IDCANCEL);
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  EXPECT_FALSE(dialog.express());
}

TEST_F(BackupDialog, RunNowRunsTheBackupAndClosesUnseen) {
  host.state.RunMode = RunMode::Sentinox;  // CompSentinox keeps the registry out
  TBackupDlg dialog(host, true);
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  EXPECT_TRUE(FileExists(backupDir + "\\windir.snb"));
  EXPECT_TRUE(FileExists(backupDir + "\\C_free.snb"));
}

}  // namespace
}  // namespace tessary
