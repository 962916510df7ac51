#include "uninstall/find_dll_dlg.h"

#include "uninstall/dll_scan.h"
#include "uninstall/find_dll_ids.h"

namespace tessary {

TFindDllDlg::TFindDllDlg(Host& host, HWND owner, std::string dllPath)
    : Dialog(owner, IDD_FINDDLL), host_(host), dllPath_(std::move(dllPath)) {
  SetHelp(&host.Help(), "DLL Dependency Check");
}

BOOL TFindDllDlg::OnInit() {
  SetItemText(IDC_FINDDLL_PATH, dllPath_);
  HWND list = Item(IDC_FINDDLL_LIST);
  for (const auto& path : ReferencesOfDll(host_, host_.State().BackupDirectory, dllPath_))
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  SetFocus(Item(IDC_FINDDLL_NO));
  return FALSE;
}

bool TFindDllDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (id == IDC_FINDDLL_YES) return Close(id::kYes), true;
  if (id == IDC_FINDDLL_NO) return Close(id::kNo), true;
  if (id == IDCANCEL) return Close(id::kCancel), true;
  return Dialog::OnCommand(id, notifyCode, control);
}

}  // namespace tessary
