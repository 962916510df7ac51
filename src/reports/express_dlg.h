// TExpressDlg: explains Express and shows the last backup; OK starts it.
#pragma once

#include "app/dialog.h"
#include "app/host.h"

namespace tessary {

class TExpressDlg : public Dialog {
 public:
  TExpressDlg(HWND owner, Host& host);

 protected:
  BOOL OnInit() override;

 private:
  Host& host_;
};

}  // namespace tessary
