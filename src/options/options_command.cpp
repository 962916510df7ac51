#include "core/commands.h"
#include "options/setup_dlg.h"

namespace tessary {

void OptionsCommand(Host& host) {
  SystemCompanions companions;
  TSetupDlg(host.MainWindow(), host, companions).RunModal();
  host.RefreshLastBackup();
}

}  // namespace tessary
