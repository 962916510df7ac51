// TViewDlg: the View Compare File dialog. Lists the compare reports of the backup
// directory and hands the chosen one back in FileToOpen.
#pragma once

#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TViewDlg : public Dialog {
 public:
  TViewDlg(HWND owner, Host& host);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void FillList();
  void TypeClicked(int id);
  void View();

  Host& host_;
  bool showTsc_ = true;
  bool showSnc_ = true;
};

}  // namespace tessary
