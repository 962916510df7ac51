// Ids of the DLL Dependencies dialog (TFindDllDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_FINDDLL 230
#define IDC_FINDDLL_PATH 121
#define IDC_FINDDLL_LIST 122
#define IDC_FINDDLL_YES 123
#define IDC_FINDDLL_NO 124
