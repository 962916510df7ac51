// Control ids of the Backup dialog (resource 218).
#pragma once

#define IDC_BACKUP_EXPRESS 338
#define IDC_BACKUP_LASTTIME 561
#define IDC_BACKUP_DIRECTORY 337
#define IDC_BACKUP_TIMEFRAME 562
#define IDC_BACKUP_EXPRESSFRAME 339
