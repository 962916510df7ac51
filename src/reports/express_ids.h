// Ids of the Express dialog (TExpressDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_EXPRESS 232
#define IDC_EXPRESS_DIRECTORY 437
#define IDC_EXPRESS_LASTBACKUP 661
#define IDC_EXPRESS_GROUP 562
