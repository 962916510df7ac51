#include "snapshot/backup_dlg.h"

#include "core/commands.h"
#include "core/startup.h"
#include "snapshot/backup_ids.h"
#include "snapshot/backup_run.h"

namespace tessary {

TBackupDlg::TBackupDlg(Host& host, bool runNow)
    : Dialog(host.MainWindow(), IDD_BACKUP), host_(host), runNow_(runNow) {
  SetHelp(&host.Help(), "Backup");
}

BOOL TBackupDlg::OnInit() {
  // The time of the last backup as it is now, not as it was last looked up.
  host_.State().LastBackupText = LastBackupQuery(host_.State().BackupDirectory);
  SetItemText(IDC_BACKUP_LASTTIME, host_.State().LastBackupText);
  SetItemText(IDC_BACKUP_DIRECTORY, host_.State().BackupDirectory);
  if (runNow_) {
    // Every way a backup ends has shown its message; the dialog closes whatever it was.
    static_cast<void>(RunBackup(host_, host_.State().RunMode, hwnd()));
    Close(IDCANCEL);
  }
  return TRUE;
}

bool TBackupDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id == IDC_BACKUP_EXPRESS) {
    express_ = true;
    Close(IDOK);
    return true;
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void BackupCommand(Host& host) {
  RunBackupCommand(host, [](Host& h, bool runNow) {
    TBackupDlg dialog(h, runNow);
    if (dialog.RunModal() != IDOK) return BackupChoice::Cancel;
    return dialog.express() ? BackupChoice::Express : BackupChoice::Backup;
  });
}

}  // namespace tessary
