// Resource and command ids of tessary.exe, shared by the resource scripts and the code.
#pragma once

// Main-window commands (also the help context numbers).
#define CM_BACKUP 204
#define CM_EXPRESS 205
#define CM_OPTIONS 301
#define CM_VIEWCOMPARE 302
#define CM_UNINSTALL 303
#define CM_COMPARE 304
#define CM_RUNSYSEDIT 102
#define CM_RUNREGEDIT 109
#define CM_HELPCONTENTS 2001
#define CM_HELPUSING 2002
#define CM_HELPABOUT 2009
#define CM_EXIT 24310
#define CM_EDITUNDO 24321
#define CM_EDITCUT 24322
#define CM_EDITCOPY 24323
#define CM_EDITPASTE 24324
#define CM_EDITDELETE 24325
#define CM_EDITCLEAR 24326
#define CM_FILENEW 24331
#define CM_FILEOPEN 24332
#define CM_FILESAVE 24333
#define CM_FILESAVEAS 24334
#define CM_FILEPRINT 24337
#define CM_EDITFIND 24351
#define CM_EDITREPLACE 24352
#define CM_EDITFINDNEXT 24353
#define CM_CASCADECHILDREN 24361
#define CM_TILECHILDREN 24362
#define CM_ARRANGEICONS 24364
#define CM_CLOSECHILDREN 24365

// Menus, icons, cursors.
#define IDM_MAIN 100
#define IDI_TESSARY 1001
#define IDI_DOCUMENT 1002
#define IDI_ABOUT 3
#define IDC_HELPCURSOR 24000

// Dialogs.
#define IDD_COMPARE 217
#define IDD_BACKUP 218
#define IDD_OPTIONS 220
#define IDD_ABOUT 219
#define IDD_PROGRESS 223
#define IDD_VIEW 229
#define IDD_DIRS 231
#define IDD_EXPRESS 232
#define IDD_REGISTRY 233
#define IDD_UNINSTALL 221
#define IDD_LIST 222
#define IDD_FINDDLL 230
