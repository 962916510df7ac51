#include "options/setup_dlg.h"

#include <vector>

#include "options/dirs_dlg.h"
#include "options/logic/options_logic.h"
#include "options/registry_dlg.h"
#include "options/option_bindings.h"
#include "platform/files.h"

namespace tessary {

std::string FullPath(const std::string& path) {
  DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<char> buf(needed + 1, '\0');
  DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  if (n == 0 || n >= buf.size()) return path;
  return std::string(buf.data(), n);
}

TSetupDlg::TSetupDlg(HWND owner, Host& host, CompanionControl& companions)
    : Dialog(owner, IDD_SETUP), host_(host), companions_(companions) {
  SetHelp(&host.Help(), "Tessary Options");
}

BOOL TSetupDlg::OnInit() {
  SetupForm f = LoadSetupForm(host_);
  for (const auto& row : kSetupChecks) {
    SetChecked(row.control, f.*row.field);
    if (row.offControl) SetChecked(row.offControl, !(f.*row.field));
  }

  // Retention.
  SetItemText(IDC_SETUP_KEEPCOUNT, f.numberBox);
  if (!f.keepLastSnc) {
    EnableItem(IDC_SETUP_KEEPCOUNT, false);
    EnableItem(IDC_SETUP_CONFIRMDEL, false);
  }

  // Tracking.
  if (!f.useSentinox) {
    for (int id : {IDC_SETUP_KEEPCOUNT, IDC_SETUP_KEEPLATEST, IDC_SETUP_KEEPLABEL, IDC_SETUP_AUTOOPEN,
                   IDC_SETUP_CONFIRMDEL})
      EnableItem(id, false);
  }

  SetItemText(IDC_SETUP_BACKUPTO, f.backupTo);
  browsePath_ = f.backupTo;
  FillBrowser();
  return TRUE;
}

void TSetupDlg::FillBrowser() {
  HWND list = Item(IDC_SETUP_BROWSER);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  DirSearch search(BrowserPattern(browsePath_));
  FindEntry entry;
  while (search.Next(entry)) {
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || entry.name == ".") continue;
    std::string line = BrowserDirectoryLine(entry.name);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    std::string line = BrowserDriveLine(letter);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
}

void TSetupDlg::BrowseTo(const std::string& line) {
  browsePath_ = FullPath(BrowserStep(browsePath_, line));
  SetItemText(IDC_SETUP_BACKUPTO, browsePath_);
  FillBrowser();
}

void TSetupDlg::KeepLatestClicked() {
  bool on = IsChecked(IDC_SETUP_KEEPLATEST);
  if (on) SetItemText(IDC_SETUP_KEEPCOUNT, host_.AppSettings().Read(settings::kLastSNC, kDefaultKeptReports, 5));
  EnableItem(IDC_SETUP_CONFIRMDEL, on);
  EnableItem(IDC_SETUP_KEEPCOUNT, on);
}

void TSetupDlg::AutoTrackingClicked() {
  bool on = IsChecked(IDC_SETUP_AUTOTRACK);
  EnableItem(IDC_SETUP_KEEPLATEST, on);
  EnableItem(IDC_SETUP_KEEPLABEL, on);
  EnableItem(IDC_SETUP_AUTOOPEN, on);
  bool keep = on && IsChecked(IDC_SETUP_KEEPLATEST);
  EnableItem(IDC_SETUP_KEEPCOUNT, keep);
  EnableItem(IDC_SETUP_CONFIRMDEL, keep);
}

void TSetupDlg::Save() {
  SetupForm f;
  f.backupTo = ItemText(IDC_SETUP_BACKUPTO);
  f.numberBox = ItemText(IDC_SETUP_KEEPCOUNT);
  for (const auto& row : kSetupChecks) f.*row.field = IsChecked(row.control);
  if (SaveSetupForm(host_, f, companions_, hwnd()) == SetupSave::StayOpen) {
    SetItemText(IDC_SETUP_KEEPCOUNT, f.numberBox);
    return;
  }
  Close(IDOK);
}

bool TSetupDlg::OnCommand(int id, int notifyCode, HWND control) {
  switch (id) {
    case IDOK:
      Save();
      return true;
    case IDC_SETUP_BROWSER:
      if (notifyCode == LBN_DBLCLK)
        if (const std::optional<std::string> line = SelectedListText(IDC_SETUP_BROWSER)) BrowseTo(*line);
      return true;
    case IDC_SETUP_KEEPLATEST:
      if (notifyCode == BN_CLICKED) KeepLatestClicked();
      return true;
    case IDC_SETUP_AUTOTRACK:
      if (notifyCode == BN_CLICKED) AutoTrackingClicked();
      return true;
    case IDC_SETUP_REGISTRY:
      TRegistryDlg(hwnd(), host_).RunModal();
      return true;
    case IDC_SETUP_DIRECTORIES:
      TDirsDlg(hwnd(), host_).RunModal();
      return true;
    default:
      return Dialog::OnCommand(id, notifyCode, control);
  }
}

}  // namespace tessary
