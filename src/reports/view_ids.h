// Ids of the View Compare File dialog (TViewDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_VIEW 229
#define IDC_VIEW_LIST 456
#define IDC_VIEW_DIRECTORY 335
#define IDC_VIEW_TSC 104
#define IDC_VIEW_SNC 105
#define IDC_VIEW_TYPEGROUP 106
