#include "shell/about_dlg.h"

#include "shell/about_ids.h"

namespace tessary {

// The base supplies centring, the grey brush (released with the window) and OK.
TAboutDlg::TAboutDlg(HWND owner) : Dialog(owner, IDD_ABOUT) {}

}  // namespace tessary
