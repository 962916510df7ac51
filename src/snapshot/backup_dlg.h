// TBackupDlg: confirms a backup (OK, EXPRESS, CANCEL), or, with AutoStartBackup set,
// runs the backup from its set-up step and closes before it is ever shown.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TBackupDlg : public Dialog {
 public:
  explicit TBackupDlg(Host& host);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  Host& host_;
};

}  // namespace tessary
