// TRegistryDlg: the Branches to Compare in Registry dialog. Saves its own settings on OK.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TRegistryDlg : public Dialog {
 public:
  TRegistryDlg(HWND owner, Host& host);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  Host& host_;
};

}  // namespace tessary
