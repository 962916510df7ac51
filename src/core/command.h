// The commands of the main window. Their values are the menu ids, which are also the
// help context numbers; ids the frame does not name (the Window menu's list of children,
// the system commands of a maximised child) travel as other values of the same type.
#pragma once

#include "resources/ids.h"

namespace tessary {

enum class Command : int {
  Backup = CM_BACKUP,
  Express = CM_EXPRESS,
  Options = CM_OPTIONS,
  ViewCompareFiles = CM_VIEWCOMPARE,
  Uninstall = CM_UNINSTALL,
  Compare = CM_COMPARE,
  RunSysedit = CM_RUNSYSEDIT,
  RunRegedit = CM_RUNREGEDIT,
  HelpContents = CM_HELPCONTENTS,
  HelpUsing = CM_HELPUSING,
  HelpAbout = CM_HELPABOUT,
  Exit = CM_EXIT,
  EditUndo = CM_EDITUNDO,
  EditCut = CM_EDITCUT,
  EditCopy = CM_EDITCOPY,
  EditPaste = CM_EDITPASTE,
  EditDelete = CM_EDITDELETE,
  EditClear = CM_EDITCLEAR,
  FileNew = CM_FILENEW,
  FileOpen = CM_FILEOPEN,
  FileSave = CM_FILESAVE,
  FileSaveAs = CM_FILESAVEAS,
  FilePrint = CM_FILEPRINT,
  EditFind = CM_EDITFIND,
  EditReplace = CM_EDITREPLACE,
  EditFindNext = CM_EDITFINDNEXT,
  CascadeChildren = CM_CASCADECHILDREN,
  TileChildren = CM_TILECHILDREN,
  ArrangeIcons = CM_ARRANGEICONS,
  CloseChildren = CM_CLOSECHILDREN,
};

}  // namespace tessary
