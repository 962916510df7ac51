#include "options/dirs_dlg.h"

#include "options/options_engine.h"
#include "options/dirs_ids.h"
#include "platform/files.h"

namespace tessary {

TDirsDlg::TDirsDlg(HWND owner, Host& host) : Dialog(owner, IDD_DIRS), host_(host) {
  SetHelp(&host.Help(), "Directories");
}

BOOL TDirsDlg::OnInit() {
  SetItemText(IDC_DIRS_WINLABEL, WindowsDirectory());
  SetItemText(IDC_DIRS_SYSLABEL, SystemDirectory());
  DirsForm f = LoadDirsForm(host_.AppSettings());
  SetChecked(IDC_DIRS_WIN, f.win);
  SetChecked(IDC_DIRS_SYS, f.sys);
  SetChecked(IDC_DIRS_ROOTS, f.roots);
  SetChecked(IDC_DIRS_PROG, f.prog);
  SetChecked(IDC_DIRS_FONTS, f.fonts);
  SetChecked(IDC_DIRS_INF, f.inf);
  SetChecked(IDC_DIRS_HELP, f.help);
  for (int i = 0; i < 5; ++i) {
    SendMessageA(Item(IDC_DIRS_OPT1 + i), EM_LIMITTEXT, 254, 0);
    SetItemText(IDC_DIRS_OPT1 + i, f.optional[i]);
  }
  return TRUE;
}

bool TDirsDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id != IDOK) return Dialog::OnCommand(id, notifyCode, control);
  DirsForm f;
  f.win = IsChecked(IDC_DIRS_WIN);
  f.sys = IsChecked(IDC_DIRS_SYS);
  f.roots = IsChecked(IDC_DIRS_ROOTS);
  f.prog = IsChecked(IDC_DIRS_PROG);
  f.fonts = IsChecked(IDC_DIRS_FONTS);
  f.inf = IsChecked(IDC_DIRS_INF);
  f.help = IsChecked(IDC_DIRS_HELP);
  for (int i = 0; i < 5; ++i) f.optional[i] = ItemText(IDC_DIRS_OPT1 + i);
  if (SaveDirsForm(host_.AppSettings(), host_.Prompts(), f, hwnd())) Close(IDOK);
  return true;
}

}  // namespace tessary
