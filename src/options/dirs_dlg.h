// TDirsDlg: the Directories to Compare dialog. Saves its own settings on OK.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TDirsDlg : public Dialog {
 public:
  TDirsDlg(HWND owner, Host& host);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  Host& host_;
};

}  // namespace tessary
