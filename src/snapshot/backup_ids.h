// Ids of the Backup dialog (TBackupDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_BACKUP 218
#define IDC_BACKUP_EXPRESS 338
#define IDC_BACKUP_LASTTIME 561
#define IDC_BACKUP_DIRECTORY 337
#define IDC_BACKUP_TIMEFRAME 562
#define IDC_BACKUP_EXPRESSFRAME 339
