// Ids of the About dialog (TAboutDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_ABOUT 219
#define IDC_ABOUT_TITLE 101
#define IDC_ABOUT_TEXT 102
