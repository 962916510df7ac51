#include "options/registry_dlg.h"

#include "options/option_bindings.h"

namespace tessary {

TRegistryDlg::TRegistryDlg(HWND owner, Host& host) : Dialog(owner, IDD_REGISTRY), host_(host) {
  SetHelp(&host.Help(), "Registration Database");
}

BOOL TRegistryDlg::OnInit() {
  RegistryForm f = LoadRegistryForm(host_.AppSettings());
  for (const auto& row : kRegistryChecks) SetChecked(row.control, f.*row.field);
  return TRUE;
}

bool TRegistryDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id != IDOK) return Dialog::OnCommand(id, notifyCode, control);
  RegistryForm f;
  for (const auto& row : kRegistryChecks) f.*row.field = IsChecked(row.control);
  if (!SaveRegistryForm(host_.AppSettings(), f)) {
    host_.Prompts().Ask(kSettingsNotSaved, "File error", mb::kOk, hwnd());
    return true;
  }
  Close(IDOK);
  return true;
}

}  // namespace tessary
