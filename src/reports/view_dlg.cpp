#include "reports/view_dlg.h"

#include <new>

#include "core/commands.h"
#include "platform/files.h"
#include "uninstall/logic/compare_file_names.h"
#include "reports/view_ids.h"

namespace tessary {

TViewDlg::TViewDlg(HWND owner, Host& host) : Dialog(owner, IDD_VIEW), host_(host) { SetHelp(&host.Help(), "View"); }

BOOL TViewDlg::OnInit() {
  SendMessageA(Item(IDC_VIEW_LIST), LB_SETHORIZONTALEXTENT, 500, 0);
  Settings s = host_.AppSettings();
  showTsc_ = s.IsYes(settings::kViewTSC);
  showSnc_ = s.IsYes(settings::kViewSNC);
  if (!showTsc_ && !showSnc_) {
    // At least the interactive reports are listed when the dialog opens.
    showTsc_ = true;
    s.Write(settings::kViewTSC, "yes");
  }
  SetChecked(IDC_VIEW_TSC, showTsc_);
  SetChecked(IDC_VIEW_SNC, showSnc_);
  FillList();
  return TRUE;
}

void TViewDlg::FillList() {
  HWND list = Item(IDC_VIEW_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const std::string& dir = host_.State().BackupDirectory;
  SetItemText(IDC_VIEW_DIRECTORY, dir);
  try {
    for (const std::string& line : CompareFileList(FileNamesMatching, dir, showTsc_, showSnc_))
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  } catch (const std::bad_alloc&) {
    host_.Prompts().Ask("Not enough memory.", "Out of memory error.", mb::kOk, hwnd());
  }
}

void TViewDlg::TypeClicked(int id) {
  bool on = IsChecked(id);
  Settings s = host_.AppSettings();
  if (id == IDC_VIEW_TSC) {
    showTsc_ = on;
    s.WriteYesNo(settings::kViewTSC, on);
  } else {
    showSnc_ = on;
    s.WriteYesNo(settings::kViewSNC, on);
  }
  FillList();
}

void TViewDlg::View() {
  const std::optional<std::string> entry = SelectedListText(IDC_VIEW_LIST);
  if (!entry) {
    host_.Prompts().Ask("You must select a compare file to view from the list.\nSelect Cancel to leave this dialog.",
                        "View", mb::kOk, hwnd());
    return;
  }
  fileToOpen_ = host_.State().BackupDirectory + "\\" + CompareFileNameOf(*entry);
  Close(IDOK);
}

bool TViewDlg::OnCommand(int id, int notifyCode, HWND control) {
  switch (id) {
    case IDOK:
      View();
      return true;
    case IDC_VIEW_LIST:
      if (notifyCode == LBN_DBLCLK) View();
      return true;
    case IDC_VIEW_TSC:
    case IDC_VIEW_SNC:
      if (notifyCode == BN_CLICKED) TypeClicked(id);
      return true;
    default:
      return Dialog::OnCommand(id, notifyCode, control);
  }
}

void ViewCompareFilesCommand(Host& host) {
  TViewDlg dialog(host.MainWindow(), host);
  dialog.RunModal();
  if (dialog.fileToOpen()) host.OpenInViewer(*dialog.fileToOpen());
}

}  // namespace tessary
