// Ids of the Compare dialog (TCompareDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_COMPARE 217
#define IDC_COMPARE_NAME 210        // edit: the compare file name
#define IDC_COMPARE_BACKUPDIR 336   // static: the backup directory
#define IDC_COMPARE_LASTBACKUP 560  // static: the last-backup text
#define IDC_COMPARE_GROUP 211
