// Ids of the Directories to Compare dialog (TDirsDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_DIRS 231
#define IDC_DIRS_STANDARDGROUP 106
#define IDC_DIRS_WINLABEL 113
#define IDC_DIRS_SYSLABEL 114
#define IDC_DIRS_WIN 101
#define IDC_DIRS_SYS 102
#define IDC_DIRS_ROOTS 103
#define IDC_DIRS_PROG 104
#define IDC_DIRS_FONTS 105
#define IDC_DIRS_INF 10
#define IDC_DIRS_HELP 11
#define IDC_DIRS_OPTIONALGROUP 107
// The five optional directories, in order: the class reaches them as IDC_DIRS_OPT1 + i.
#define IDC_DIRS_OPT1 108
#define IDC_DIRS_OPT2 109
#define IDC_DIRS_OPT3 110
#define IDC_DIRS_OPT4 111
#define IDC_DIRS_OPT5 112
