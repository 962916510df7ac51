#include "options/registry_dlg.h"

#include "options/options_engine.h"
#include "options/registry_ids.h"

namespace tessary {

TRegistryDlg::TRegistryDlg(HWND owner, Host& host) : Dialog(owner, IDD_REGISTRY), host_(host) {
  SetHelp(&host.Help(), "Registration Database");
}

BOOL TRegistryDlg::OnInit() {
  RegistryForm f = LoadRegistryForm(host_.AppSettings());
  SetChecked(IDC_REGISTRY_PROGRESS, f.showProgress);
  SetChecked(IDC_REGISTRY_SENTINOX, f.compSentinox);
  SetChecked(IDC_REGISTRY_CURUSER, f.curuser);
  SetChecked(IDC_REGISTRY_USERS, f.cusers);
  SetChecked(IDC_REGISTRY_LOCMACH, f.clocmach);
  SetChecked(IDC_REGISTRY_SOFTWARE, f.csoftware);
  SetChecked(IDC_REGISTRY_CLASSES, f.cclasses);
  SetChecked(IDC_REGISTRY_CLSID, f.cclsid);
  SetChecked(IDC_REGISTRY_CRCONFIG, f.ccrconfig);
  SetChecked(IDC_REGISTRY_DYNDATA, f.cdyndata);
  SetChecked(IDC_REGISTRY_VALUES, f.values);
  return TRUE;
}

bool TRegistryDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id != IDOK) return Dialog::OnCommand(id, notifyCode, control);
  RegistryForm f;
  f.showProgress = IsChecked(IDC_REGISTRY_PROGRESS);
  f.compSentinox = IsChecked(IDC_REGISTRY_SENTINOX);
  f.curuser = IsChecked(IDC_REGISTRY_CURUSER);
  f.cusers = IsChecked(IDC_REGISTRY_USERS);
  f.clocmach = IsChecked(IDC_REGISTRY_LOCMACH);
  f.csoftware = IsChecked(IDC_REGISTRY_SOFTWARE);
  f.cclasses = IsChecked(IDC_REGISTRY_CLASSES);
  f.cclsid = IsChecked(IDC_REGISTRY_CLSID);
  f.ccrconfig = IsChecked(IDC_REGISTRY_CRCONFIG);
  f.cdyndata = IsChecked(IDC_REGISTRY_DYNDATA);
  f.values = IsChecked(IDC_REGISTRY_VALUES);
  if (!SaveRegistryForm(host_.AppSettings(), f)) {
    host_.Prompts().Ask(kSettingsNotSaved, "File error", mb::kOk, hwnd());
    return true;
  }
  Close(IDOK);
  return true;
}

}  // namespace tessary
