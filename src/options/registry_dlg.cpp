#include "options/registry_dlg.h"

#include "options/options_engine.h"
#include "options_ids.h"
#include "resources/ids.h"

namespace tessary {

TRegistryDlg::TRegistryDlg(HWND owner, Host& host) : Dialog(owner, IDD_REGISTRY), host_(host) {
  SetHelp(&host.Help(), "Registration Database");
}

BOOL TRegistryDlg::OnInit() {
  RegistryForm f = LoadRegistryForm(host_.AppSettings());
  SetChecked(IDC_REG_PROGRESS, f.showProgress);
  SetChecked(IDC_REG_SENTINOX, f.compSentinox);
  SetChecked(IDC_REG_CURUSER, f.curuser);
  SetChecked(IDC_REG_USERS, f.cusers);
  SetChecked(IDC_REG_LOCMACH, f.clocmach);
  SetChecked(IDC_REG_SOFTWARE, f.csoftware);
  SetChecked(IDC_REG_CLASSES, f.cclasses);
  SetChecked(IDC_REG_CLSID, f.cclsid);
  SetChecked(IDC_REG_CRCONFIG, f.ccrconfig);
  SetChecked(IDC_REG_DYNDATA, f.cdyndata);
  return TRUE;
}

bool TRegistryDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id != IDOK) return Dialog::OnCommand(id, notifyCode, control);
  RegistryForm f;
  f.showProgress = IsChecked(IDC_REG_PROGRESS);
  f.compSentinox = IsChecked(IDC_REG_SENTINOX);
  f.curuser = IsChecked(IDC_REG_CURUSER);
  f.cusers = IsChecked(IDC_REG_USERS);
  f.clocmach = IsChecked(IDC_REG_LOCMACH);
  f.csoftware = IsChecked(IDC_REG_SOFTWARE);
  f.cclasses = IsChecked(IDC_REG_CLASSES);
  f.cclsid = IsChecked(IDC_REG_CLSID);
  f.ccrconfig = IsChecked(IDC_REG_CRCONFIG);
  f.cdyndata = IsChecked(IDC_REG_DYNDATA);
  SaveRegistryForm(host_.AppSettings(), f);
  Close(IDOK);
  return true;
}

}  // namespace tessary
