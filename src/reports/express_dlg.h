// TExpressDlg: explains Express and shows the last backup; OK starts it.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

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
