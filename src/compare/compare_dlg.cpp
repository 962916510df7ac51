#include "compare/compare_dlg.h"

#include "core/commands.h"
#include "core/startup.h"
#include "compare/compare_ids.h"
#include "compare/compare_ok.h"
#include "platform/files.h"

namespace tessary {

TCompareDlg::TCompareDlg(HWND owner, Host& host) : Dialog(owner, IDD_COMPARE), host_(host) {
  SetHelp(&host.Help(), "Compare");
}

BOOL TCompareDlg::OnInit() {
  SendMessageA(Item(IDC_COMPARE_NAME), EM_LIMITTEXT, 255, 0);
  host_.State().LastBackupText = LastBackupQuery(host_.State().BackupDirectory);
  SetItemText(IDC_COMPARE_LASTBACKUP, host_.State().LastBackupText);
  SetItemText(IDC_COMPARE_BACKUPDIR, host_.State().BackupDirectory);
  SetItemText(IDC_COMPARE_NAME, ProposeCompareName(host_));
  if (host_.State().SentinoxPass) PostMessageA(hwnd(), WM_COMMAND, IDOK, 0);
  return TRUE;
}

bool TCompareDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id == IDOK) {
    RunOk();
    return true;
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void TCompareDlg::RunOk() {
  const std::string name = ItemText(IDC_COMPARE_NAME);
  HCURSOR oldCursor = nullptr;
  auto hide = [&] {
    RECT rect{};
    GetWindowRect(hwnd(), &rect);
    MoveWindow(hwnd(), 1280, 1024, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    oldCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  };
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
  CompareOkResult result = CompareOk(host_, name, hwnd(), hide);
  if (result.stay) return;
  reportPath_ = std::move(result.reportPath);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  Close(IDOK);
}

void CompareCommand(Host& host) {
  std::string report;
  {
    TCompareDlg dialog(host.MainWindow(), host);
    dialog.RunModal();
    report = dialog.reportPath();
  }
  if (host.State().SentinoxPass) {
    ContinueSentinoxPass(host, report);
    return;
  }
  if (!report.empty() && FileExists(report)) host.OpenInViewer(report);
}

}  // namespace tessary
