// Ids of the UnInstall dialog (TUninstallDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_UNINSTALL 221
#define IDC_UNINSTALL_LIST 101
#define IDC_UNINSTALL_VIEW 102
#define IDC_UNINSTALL_DELETE 103
#define IDC_UNINSTALL_DIRECTORY 104
#define IDC_UNINSTALL_TSC 105
#define IDC_UNINSTALL_SNC 106
