// Resource and command ids of the main window (menu, accelerators, tool bar, status-bar
// hints, icons, cursor), shared by its resource script and the code. Each dialog keeps its
// own ids beside its class.
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

// Accelerators of the main window.
#define IDA_MAIN 100

// Small tool-bar bitmaps (the large ones carry their command's id).
#define IDB_EXIT 401
#define IDB_BACKUP 402
#define IDB_EXPRESS 403
#define IDB_OPTIONS 404
#define IDB_VIEWCOMPARE 405
#define IDB_UNINSTALL 406
#define IDB_COMPARE 407
#define IDB_UNDO 408
#define IDB_HELP 409
#define IDB_CUT 410
#define IDB_COPY 411
#define IDB_PASTE 412
#define IDB_NEW 413
#define IDB_OPEN 414
#define IDB_SAVE 415
#define IDB_PRINT 416
#define IDB_PRINTSETUP 417
#define IDB_FIND 418
#define IDB_FINDNEXT 419

// Hints of menu groups (status bar).
#define IDS_HELP 2000
#define IDS_EDITGROUP 24320
