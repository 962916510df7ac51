// Ids of the Uninstall Actions dialog (TListDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_LIST 222
#define IDC_LIST_ACTIONS 111
#define IDC_LIST_SELECTALL 112
#define IDC_LIST_DESELECTALL 113
#define IDC_LIST_VERIFY 114
#define IDC_LIST_DLLDEPEND 115
#define IDC_LIST_FILE 116
#define IDC_LIST_SUMMARY 117
