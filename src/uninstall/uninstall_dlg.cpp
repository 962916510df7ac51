// TUninstallDlg, and the Uninstall command that runs it and then TListDlg.
#include "uninstall/uninstall_dlg.h"

#include "core/commands.h"
#include "platform/files.h"
#include "uninstall/logic/compare_file_names.h"
#include "uninstall/dll_scan.h"
#include "uninstall/list_dlg.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_ids.h"

namespace tessary {

TUninstallDlg::TUninstallDlg(Host& host) : Dialog(host.MainWindow(), IDD_UNINSTALL), host_(host) {
  SetHelp(&host.Help(), "Uninstall");
}

BOOL TUninstallDlg::OnInit() {
  SetItemText(IDC_UNINSTALL_DIRECTORY, host_.State().BackupDirectory);
  Settings settings = host_.AppSettings();
  bool tsc = settings.IsYes(settings::kViewTSC), snc = settings.IsYes(settings::kViewSNC);
  if (!tsc && !snc) {
    tsc = true;
    settings.Write(settings::kViewTSC, "yes");
  }
  SetChecked(IDC_UNINSTALL_TSC, tsc);
  SetChecked(IDC_UNINSTALL_SNC, snc);
  SendMessageA(Item(IDC_UNINSTALL_LIST), LB_SETHORIZONTALEXTENT, 500, 0);
  Fill();
  return TRUE;
}

bool TUninstallDlg::OnCommand(int id, int notifyCode, HWND control) {
  switch (id) {
    case IDC_UNINSTALL_TSC:
    case IDC_UNINSTALL_SNC:
      host_.AppSettings().WriteYesNo(id == IDC_UNINSTALL_TSC ? settings::kViewTSC : settings::kViewSNC, IsChecked(id));
      Fill();
      return true;
    case IDC_UNINSTALL_VIEW:
      View();
      return true;
    case IDC_UNINSTALL_DELETE:
      Delete();
      return true;
    case IDC_UNINSTALL_LIST:
      if (notifyCode == LBN_DBLCLK) Accept();
      return true;
    case IDOK:
      Accept();
      return true;
    case IDCANCEL:
      Close(IDCANCEL);
      return true;
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void TUninstallDlg::Fill() {
  HWND list = Item(IDC_UNINSTALL_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& e :
       CompareFileList(FileNamesMatching, host_.State().BackupDirectory, IsChecked(IDC_UNINSTALL_TSC),
                       IsChecked(IDC_UNINSTALL_SNC)))
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

std::string TUninstallDlg::Selected() const {
  const std::optional<std::string> entry = SelectedListText(IDC_UNINSTALL_LIST);
  return entry ? CompareFileNameOf(*entry) : "";
}

void TUninstallDlg::View() {
  const std::string name = Selected();
  if (name.empty()) {
    host_.Prompts().Ask("You must select a compare file to view from the list.\n", "View", mb::kOk, hwnd());
    return;
  }
  fileToOpen_ = host_.State().BackupDirectory + "\\" + name;
  Close(IDOK);
}

void TUninstallDlg::Delete() {
  Prompter& p = host_.Prompts();
  const std::string name = Selected();
  if (name.empty()) {
    p.Ask("You must select a compare file to delete.\n", "Delete", mb::kOk, hwnd());
    return;
  }
  const std::string path = host_.State().BackupDirectory + "\\" + name;
  if (p.Ask("Are you sure you want to delete this file (and its associated .tsu and .log files)?", path, mb::kYesNo,
            hwnd()) != id::kYes)
    return;
  for (const char* ext : {"", "tsu", "tse", "log"}) {
    const std::string f = *ext ? WithLastThree(path, ext) : path;
    if (FileExists(f)) DeleteLeftover(f);
  }
  HWND list = Item(IDC_UNINSTALL_LIST);
  SendMessageA(list, LB_DELETESTRING, SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
}

void TUninstallDlg::Accept() {
  Prompter& p = host_.Prompts();
  const std::string name = Selected();
  if (name.empty()) {
    p.Ask("You must select an uninstall file from the list.\nSelect Cancel to exit without uninstalling.", "Uninstall",
          mb::kOk, hwnd());
    return;
  }
  const std::string report = host_.State().BackupDirectory + "\\" + name;
  const std::optional<std::string> actions = ReadWholeFile(ActionFilePathFor(report));
  if (!actions) {
    p.Ask(kTsuReadErrorText, kTsuReadErrorCaption, mb::kOk, hwnd());
    return;
  }
  if (actions->empty()) {
    p.Ask("No uninstall actions found for this file, choose another file.", "uninstall", mb::kOk, hwnd());
    return;
  }
  chosenReport_ = report;
  Close(IDOK);
}

UninstallEnd UninstallCommand(Host& host) {
  TUninstallDlg chooser(host);
  chooser.RunModal();
  if (chooser.fileToOpen()) {
    host.OpenInViewer(*chooser.fileToOpen());
  } else if (chooser.chosenReport()) {
    const std::string& report = *chooser.chosenReport();
    TListDlg actions(host, report.size() >= 4 ? WithLastThree(report, "tsu") : report);
    actions.RunModal();
    // The DLL check's work files stay until the command that goes on from here ends.
    if (actions.wentBack()) return UninstallEnd::Restart;
    if (actions.logToShow()) host.OpenInViewer(*actions.logToShow());
  }
  for (const char* name : {kDllNameListFile, kDllReferenceListFile}) {
    const std::string path = host.State().BackupDirectory + "\\" + name;
    if (FileExists(path)) DeleteLeftover(path);
  }
  return UninstallEnd::Done;
}

}  // namespace tessary
