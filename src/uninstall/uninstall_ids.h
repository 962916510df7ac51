// Control ids of the UnInstall, Uninstall Actions and DLL Dependencies dialogs.
#pragma once

#define IDC_UN_LIST 101
#define IDC_UN_VIEW 102
#define IDC_UN_DELETE 103
#define IDC_UN_DIR 104
#define IDC_UN_TSC 105
#define IDC_UN_SNC 106

#define IDC_LIST_ACTIONS 111
#define IDC_LIST_SELECTALL 112
#define IDC_LIST_DESELECTALL 113
#define IDC_LIST_VERIFY 114
#define IDC_LIST_DLLDEPEND 115
#define IDC_LIST_FILE 116

#define IDC_DLL_PATH 121
#define IDC_DLL_LIST 122
#define IDC_DLL_YES 123
#define IDC_DLL_NO 124

#define IDC_HELPBUTTON 9
