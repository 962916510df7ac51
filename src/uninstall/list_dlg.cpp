#include "uninstall/list_dlg.h"

#include <optional>
#include <set>

#include "core/settings_table.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "uninstall/action_file_read.h"
#include "uninstall/evidence_live.h"
#include "uninstall/find_dll_dlg.h"
#include "uninstall/list_ids.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_run.h"

namespace tessary {

TListDlg::TListDlg(Host& host, std::string actionFile)
    : Dialog(host.MainWindow(), IDD_LIST), host_(host), actionFile_(std::move(actionFile)) {
  SetHelp(&host.Help(), "Uninstall");
}

BOOL TListDlg::OnInit() {
  Settings settings = host_.AppSettings();
  SetChecked(IDC_LIST_VERIFY, settings.IsYes(settings::kVerifyAllUninstall));
  SetChecked(IDC_LIST_DLLDEPEND, IsYes(settings.Read(SettingKey{"uninstall", "DllDepend", "yes", 5})));
  std::optional<ActionEntries> read = ReadActionFile(actionFile_);
  if (!read) {
    host_.Prompts().Ask(kTsuReadErrorText, kTsuReadErrorCaption, mb::kOk, hwnd());
    Close(IDCANCEL);
    return TRUE;
  }
  HWND list = Item(IDC_LIST_ACTIONS);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, 1200, 0);
  // The list shows each line upper-cased and sorts it; the item data leads back to
  // the line. A registry value line shows in its readable form (its name and data in
  // their own case, the data shortened), led by its kind word, so it sorts among its kind.
  ActionEntries& loaded = *read;
  entries_ = std::move(loaded.entries);
  originals_ = std::move(loaded.originals);
  dllLines_ = loaded.dllLinesPresent;
  // A line repeated in the file is listed once: done again it could only fail (what it
  // removes is gone) and ask the user once more, thousands of times for a file made of
  // one line repeated.
  std::set<std::string> listed;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i < originals_.size() && !listed.insert(originals_[i]).second) continue;
    std::string shown = entries_[i];
    const ActionKind kind = ClassifyAction(shown);
    if ((kind == ActionKind::RegValueRemove || kind == ActionKind::RegValueRestore) && i < originals_.size()) {
      if (const auto value = ParseValueAction(originals_[i])) shown = DescribeValueAction(*value, AnsiText);
    }
    const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  if (!dllLines_) EnableItem(IDC_LIST_DLLDEPEND, false);
  SetItemText(IDC_LIST_FILE, actionFile_);
  // A file that is not as Compare sealed it still opens, under a warning that says why.
  if (!LoadSealedEvidence(actionFile_).sealed)
    host_.Prompts().Ask(std::string(kUnsealedText) + "\n" + kUnsealedDetail, kUnsealedCaption,
                        mb::kOk | mb::kIconExclamation, hwnd());
  OfferSummary();
  return TRUE;
}

void TListDlg::OfferSummary() {
  // The report beside the action file: a compare report, or a Sentinox one.
  for (const char* ext : {"TSC", "SNC"}) {
    const std::optional<std::string> report = ReadWholeFile(WithLastThree(actionFile_, ext));
    if (!report) continue;
    if (auto items = ReadSummaryBlock(*report)) summary_ = std::move(*items);
    break;
  }
  if (summary_.empty()) return;
  HWND box = Item(IDC_LIST_SUMMARY);
  const std::string first = "Select the lines of a summary item...";
  SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(first.c_str()));
  for (std::size_t i = 0; i < summary_.size(); ++i) {
    const std::string text = "[" + std::to_string(i + 1) + "] " + SummaryCategoryTitle(summary_[i].category) + ": " +
                             summary_[i].words;
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageA(box, CB_SETCURSEL, 0, 0);
  ShowWindow(box, SW_SHOW);
}

void TListDlg::SelectSummaryItem(int index) {
  if (index < 1 || static_cast<std::size_t>(index) > summary_.size()) return;
  const SummaryItem& item = summary_[static_cast<std::size_t>(index) - 1];
  HWND list = Item(IDC_LIST_ACTIONS);
  SelectAll(false);
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const auto line = static_cast<std::size_t>(SendMessageA(list, LB_GETITEMDATA, i, 0));
    if (line >= entries_.size()) continue;
    for (const std::string& action : item.actions)
      if (EqualsNoCase(entries_[line], action)) SendMessageA(list, LB_SETSEL, TRUE, i);
  }
}

bool TListDlg::OnCommand(int id, int notifyCode, HWND control) {
  switch (id) {
    case IDC_LIST_SELECTALL:
    case IDC_LIST_DESELECTALL:
      SelectAll(id == IDC_LIST_SELECTALL);
      return true;
    case IDC_LIST_SUMMARY:
      if (notifyCode == CBN_SELCHANGE)
        SelectSummaryItem(static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0)));
      return true;
    case IDOK:
      Run();
      return true;
    case IDCANCEL:
      wentBack_ = true;
      Close(IDCANCEL);
      return true;
  }
  return Dialog::OnCommand(id, notifyCode, control);
}

void TListDlg::SelectAll(bool select) {
  // One message for the whole list: item by item, a list of thousands of lines takes
  // minutes.
  SendMessageA(Item(IDC_LIST_ACTIONS), LB_SETSEL, select, -1);
}

void TListDlg::Run() {
  HWND list = Item(IDC_LIST_ACTIONS);
  UninstallSelection sel;
  sel.actionFile = actionFile_;
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    // The run acts on the line as loaded, not on the text the list shows: a list entry
    // ends at a NUL, so a line "...>FROM:C:\APP<NUL>\X" would show, and be taken for,
    // a line naming C:\APP.
    const auto line = static_cast<std::size_t>(SendMessageA(list, LB_GETITEMDATA, i, 0));
    sel.entries.push_back(line < entries_.size() ? entries_[line] : ListText(IDC_LIST_ACTIONS, i));
    sel.originals.push_back(line < originals_.size() ? originals_[line] : sel.entries.back());
    sel.selected.push_back(SendMessageA(list, LB_GETSEL, i, 0) > 0);
  }
  sel.verifyBox = IsChecked(IDC_LIST_VERIFY);
  sel.dllCheckBox = IsChecked(IDC_LIST_DLLDEPEND);
  sel.dllLinesPresent = dllLines_;
  UninstallEnvironment env = DefaultUninstallEnvironment(host_, [this](const std::string& path) {
    return static_cast<int>(TFindDllDlg(host_, hwnd(), path).RunModal());
  });
  env.moveAway = [this] {
    SetWindowPos(hwnd(), nullptr, 1024, 768, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    host_.PumpMessages();
  };
  env.moveBack = [this] { CentreOnScreen(hwnd(), CentreMove::WhileShowing); };
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  UninstallResult result = RunUninstall(host_, sel, env);
  SetCursor(old);
  logToShow_ = std::move(result.logToShow);
  if (result.outcome == RunOutcome::CloseOk) Close(IDOK);
  if (result.outcome == RunOutcome::CloseCancel) Close(IDCANCEL);
}

}  // namespace tessary
