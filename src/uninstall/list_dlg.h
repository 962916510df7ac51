// TListDlg: the Uninstall Actions dialog. Shows the lines of an uninstall action file for
// selection, with the verify and DLL-check options; OK hands the selection to RunUninstall.
#pragma once

#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TListDlg : public Dialog {
 public:
  explicit TListDlg(Host& host);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void SelectAll(bool select);
  void Run();

  Host& host_;
  bool dllLines_ = false;
  std::vector<std::string> originals_;  // the action file's lines as written
};

}  // namespace tessary
