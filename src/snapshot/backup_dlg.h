// TBackupDlg: confirms a backup (OK, EXPRESS, CANCEL), or, opened with runNow, runs the
// backup from its set-up step and closes before it is ever shown.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TBackupDlg : public Dialog {
 public:
  TBackupDlg(Host& host, bool runNow);
  // After a confirmation: whether the user chose EXPRESS (the dialog closed with OK).
  bool express() const { return express_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  Host& host_;
  bool runNow_;
  bool express_ = false;
};

}  // namespace tessary
