#include "reports/express_dlg.h"

#include "core/commands.h"
#include "reports/express.h"
#include "reports/express_ids.h"

namespace tessary {

TExpressDlg::TExpressDlg(HWND owner, Host& host) : Dialog(owner, IDD_EXPRESS), host_(host) {
  SetHelp(&host.Help(), "Express");
}

BOOL TExpressDlg::OnInit() {
  host_.RefreshLastBackup();
  SetItemText(IDC_EXPRESS_DIRECTORY, host_.State().BackupDirectory);
  SetItemText(IDC_EXPRESS_LASTBACKUP, host_.State().LastBackupText);
  return TRUE;
}

void ExpressCommand(Host& host) {
  if (TExpressDlg(host.MainWindow(), host).RunModal() != IDOK) return;
  RunExpressBackup(host);
}

}  // namespace tessary
