// The UnInstall, Uninstall Actions and DLL Dependencies dialogs and the Uninstall
// command that runs them. The dialogs own their controls; the work is RunUninstall's.
#include <windows.h>

#include <fstream>

#include "core/commands.h"
#include "core/dialog.h"
#include "core/settings_table.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "resources/ids.h"
#include "uninstall/compare_file_list.h"
#include "uninstall/dll_scan.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_ids.h"
#include "uninstall/uninstall_run.h"

namespace tessary {

namespace {

void CentreWindow(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
}

std::string WithLastThree(const std::string& path, const char* ext) {
  return path.size() >= 3 ? path.substr(0, path.size() - 3) + ext : path;
}

class TUninstallDlg : public Dialog {
 public:
  explicit TUninstallDlg(Host& host) : Dialog(host.MainWindow(), IDD_UNINSTALL), host_(host) {
    SetHelp(&host.Help(), "Uninstall");
  }

 protected:
  BOOL OnInit() override {
    AppState& s = host_.State();
    SetItemText(IDC_UN_DIR, s.BackupDirectory);
    Settings settings = host_.AppSettings();
    bool tsc = settings.IsYes(settings::kViewTSC), snc = settings.IsYes(settings::kViewSNC);
    if (!tsc && !snc) {
      tsc = true;
      settings.Write(settings::kViewTSC, "yes");
    }
    SetChecked(IDC_UN_TSC, tsc);
    SetChecked(IDC_UN_SNC, snc);
    SendMessageA(Item(IDC_UN_LIST), LB_SETHORIZONTALEXTENT, 500, 0);
    Fill();
    return TRUE;
  }

  bool OnCommand(int id, int notifyCode, HWND control) override {
    AppState& s = host_.State();
    Prompter& p = host_.Prompts();
    switch (id) {
      case IDC_UN_TSC:
      case IDC_UN_SNC:
        host_.AppSettings().WriteYesNo(id == IDC_UN_TSC ? settings::kViewTSC : settings::kViewSNC, IsChecked(id));
        Fill();
        return true;
      case IDC_UN_VIEW: {
        const std::string name = Selected();
        if (name.empty()) {
          p.Ask("You must select a compare file to view from the list.\n", "View", mb::kOk, hwnd());
          return true;
        }
        s.FileToOpen = s.BackupDirectory + "\\" + name;
        Close(IDOK);
        return true;
      }
      case IDC_UN_DELETE: {
        const std::string name = Selected();
        if (name.empty()) {
          p.Ask("You must select a compare file to delete.\n", "Delete", mb::kOk, hwnd());
          return true;
        }
        const std::string path = s.BackupDirectory + "\\" + name;
        if (p.Ask("Are you sure you want to delete this file (and its associated .tsu and .log files)?", path,
                  mb::kYesNo, hwnd()) != id::kYes)
          return true;
        for (const char* ext : {"", "tsu", "log"}) {
          const std::string f = *ext ? WithLastThree(path, ext) : path;
          if (FileExists(f)) DeleteFileA(f.c_str());
        }
        HWND list = Item(IDC_UN_LIST);
        SendMessageA(list, LB_DELETESTRING, SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
        return true;
      }
      case IDC_UN_LIST:
        if (notifyCode == LBN_DBLCLK) Accept();
        return true;
      case IDOK:
        Accept();
        return true;
      case IDCANCEL:
        s.UninstallFile.clear();
        Close(IDCANCEL);
        return true;
    }
    return Dialog::OnCommand(id, notifyCode, control);
  }

 private:
  void Fill() {
    HWND list = Item(IDC_UN_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& e : CompareFileList(host_.State().BackupDirectory, IsChecked(IDC_UN_TSC), IsChecked(IDC_UN_SNC)))
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
  }
  std::string Selected() const {
    const std::optional<std::string> entry = SelectedListText(IDC_UN_LIST);
    return entry ? CompareFileNameOf(*entry) : "";
  }
  void Accept() {
    AppState& s = host_.State();
    Prompter& p = host_.Prompts();
    const std::string name = Selected();
    if (name.empty()) {
      p.Ask("You must select an uninstall file from the list.\nSelect Cancel to exit without uninstalling.",
            "Uninstall", mb::kOk, hwnd());
      return;
    }
    s.UninstallFile = s.BackupDirectory + "\\" + name;
    std::ifstream in(ActionFilePathFor(s.UninstallFile), std::ios::binary);
    if (!in) {
      p.Ask(kTsuReadErrorText, kTsuReadErrorCaption, mb::kOk, hwnd());
      return;
    }
    if (in.peek() == std::char_traits<char>::eof()) {
      p.Ask("No uninstall actions found for this file, choose another file.", "uninstall", mb::kOk, hwnd());
      return;
    }
    Close(IDOK);
  }

  Host& host_;
};

class TFindDllDlg : public Dialog {
 public:
  TFindDllDlg(Host& host, HWND owner, std::string dllPath)
      : Dialog(owner, IDD_FINDDLL), host_(host), dllPath_(std::move(dllPath)) {
    SetHelp(&host.Help(), "DLL Dependency Check");
  }

 protected:
  BOOL OnInit() override {
    SetItemText(IDC_DLL_PATH, dllPath_);
    HWND list = Item(IDC_DLL_LIST);
    for (const auto& path : ReferencesOfDll(host_, host_.State().BackupDirectory, dllPath_))
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    SetFocus(Item(IDC_DLL_NO));
    return FALSE;
  }
  bool OnCommand(int id, int notifyCode, HWND control) override {
    if (id == IDC_DLL_YES) return Close(id::kYes), true;
    if (id == IDC_DLL_NO) return Close(id::kNo), true;
    if (id == IDCANCEL) return Close(id::kCancel), true;
    return Dialog::OnCommand(id, notifyCode, control);
  }

 private:
  Host& host_;
  std::string dllPath_;
};

class TListDlg : public Dialog {
 public:
  explicit TListDlg(Host& host) : Dialog(host.MainWindow(), IDD_LIST), host_(host) {
    SetHelp(&host.Help(), "Uninstall");
  }

 protected:
  BOOL OnInit() override {
    Settings settings = host_.AppSettings();
    SetChecked(IDC_LIST_VERIFY, settings.IsYes(settings::kVerifyAllUninstall));
    SetChecked(IDC_LIST_DLLDEPEND, IsYes(settings.Read(SettingKey{"uninstall", "DllDepend", "yes", 5})));
    const std::string& file = host_.State().UninstallFile;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      host_.Prompts().Ask(kTsuReadErrorText, kTsuReadErrorCaption, mb::kOk, hwnd());
      Close(IDCANCEL);
      return TRUE;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HWND list = Item(IDC_LIST_ACTIONS);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 1200, 0);
    // The list shows each line upper-cased and sorts it; the item data leads back to
    // the line as written.
    ActionEntries loaded = LoadActionEntries(content);
    originals_ = std::move(loaded.originals);
    dllLines_ = loaded.dllLinesPresent;
    for (std::size_t i = 0; i < loaded.entries.size(); ++i) {
      const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(loaded.entries[i].c_str()));
      if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
    }
    if (!dllLines_) EnableItem(IDC_LIST_DLLDEPEND, false);
    SetItemText(IDC_LIST_FILE, file);
    return TRUE;
  }

  bool OnCommand(int id, int notifyCode, HWND control) override {
    HWND list = Item(IDC_LIST_ACTIONS);
    switch (id) {
      case IDC_LIST_SELECTALL:
      case IDC_LIST_DESELECTALL: {
        const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) SendMessageA(list, LB_SETSEL, id == IDC_LIST_SELECTALL, i);
        return true;
      }
      case IDOK: {
        UninstallSelection sel;
        const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
          sel.entries.push_back(ListText(IDC_LIST_ACTIONS, i));
          const auto line = static_cast<std::size_t>(SendMessageA(list, LB_GETITEMDATA, i, 0));
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
        env.moveBack = [this] { CentreWindow(hwnd()); };
        HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        const RunOutcome outcome = RunUninstall(host_, sel, env);
        SetCursor(old);
        if (outcome == RunOutcome::CloseOk) Close(IDOK);
        if (outcome == RunOutcome::CloseCancel) Close(IDCANCEL);
        return true;
      }
      case IDCANCEL:
        host_.State().UninstallRestart = true;
        Close(IDCANCEL);
        return true;
    }
    return Dialog::OnCommand(id, notifyCode, control);
  }

 private:
  Host& host_;
  bool dllLines_ = false;
  std::vector<std::string> originals_;  // the action file's lines as written
};

}  // namespace

void UninstallCommand(Host& host) {
  AppState& s = host.State();
  s.FileToOpen.clear();
  s.UninstallFile.clear();
  TUninstallDlg(host).RunModal();
  if (s.FileToOpen.size() > 1) {
    host.OpenInViewer(s.FileToOpen);
  } else if (s.UninstallFile.size() > 1) {
    if (s.UninstallFile.size() >= 4) s.UninstallFile = WithLastThree(s.UninstallFile, "tsu");
    s.FileToOpen.clear();
    s.UninstallRestart = false;
    TListDlg(host).RunModal();
    if (s.UninstallRestart) return;
    if (s.FileToOpen.size() > 1) host.OpenInViewer(s.FileToOpen);
  }
  for (const char* name : {kDllNameListFile, kDllReferenceListFile}) {
    const std::string path = s.BackupDirectory + "\\" + name;
    if (FileExists(path)) DeleteFileA(path.c_str());
  }
}

}  // namespace tessary
