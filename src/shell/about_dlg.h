// TAboutDlg: the program's name, release and purpose, with its icon on both sides.
#pragma once

#include "core/dialog.h"

namespace tessary {

class TAboutDlg : public Dialog {
 public:
  explicit TAboutDlg(HWND owner);
};

}  // namespace tessary
