#include "options/dirs_dlg.h"

#include "options/option_bindings.h"
#include "platform/files.h"

namespace tessary {

TDirsDlg::TDirsDlg(HWND owner, Host& host) : Dialog(owner, IDD_DIRS), host_(host) {
  SetHelp(&host.Help(), "Directories");
}

BOOL TDirsDlg::OnInit() {
  SetItemText(IDC_DIRS_WINLABEL, WindowsDirectory());
  SetItemText(IDC_DIRS_SYSLABEL, SystemDirectory());
  DirsForm f = LoadDirsForm(host_.AppSettings());
  for (const auto& row : kDirsChecks) SetChecked(row.control, f.*row.field);
  for (int i = 0; i < 5; ++i) {
    SendMessageA(Item(IDC_DIRS_OPT1 + i), EM_LIMITTEXT, 254, 0);
    SetItemText(IDC_DIRS_OPT1 + i, f.optional[i]);
  }
  return TRUE;
}

bool TDirsDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id != IDOK) return Dialog::OnCommand(id, notifyCode, control);
  DirsForm f;
  for (const auto& row : kDirsChecks) f.*row.field = IsChecked(row.control);
  for (int i = 0; i < 5; ++i) f.optional[i] = ItemText(IDC_DIRS_OPT1 + i);
  if (SaveDirsForm(host_.AppSettings(), host_.Prompts(), f, hwnd())) Close(IDOK);
  return true;
}

}  // namespace tessary
