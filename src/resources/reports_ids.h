// Control ids of the View Compare File and Express dialogs.
#pragma once

// View Compare File (TViewDlg)
#define IDC_VIEW_LIST 456
#define IDC_VIEW_DIRECTORY 335
#define IDC_VIEW_TSC 104
#define IDC_VIEW_SNC 105
#define IDC_VIEW_TYPEGROUP 106

// Express (TExpressDlg)
#define IDC_EXPRESS_DIRECTORY 437
#define IDC_EXPRESS_LASTBACKUP 661
#define IDC_EXPRESS_GROUP 562
