// The viewer windows: tessaryMDIClient (the light-grey MDI client with the new-document
// counter), tessaryMDIChild (one per document) and tessaryEditFile (the multi-line edit
// control bound to a file, with Open, Save, Save As, Find, Replace, Undo, Cut, Copy,
// Paste, Delete, Clear All and Print through an external editor).
#pragma once

#include <windows.h>

#include <string>

#include "core/host.h"

namespace tessary {

// The file-dialog data shared by File Open and every editor's Save As.
struct FileDialogData {
  DWORD flags = 0;
  std::string filter;  // '|'-separated pairs, as shown by the dialogs
  std::string initialDir;
  std::string fileName;  // the current file name
};

// What the viewer windows need of the application.
class ViewerHost {
 public:
  virtual ~ViewerHost() = default;
  virtual Host& host() = 0;
  virtual FileDialogData& SharedFileData() = 0;
  // Starts (or points at) the modeless Find or Replace dialog for an editor.
  virtual void StartFind(HWND editor, bool replace) = 0;
  // Repeats the last search in an editor; false when there was none.
  virtual bool FindNext(HWND editor) = 0;
};

class TEditFile;

class TMDIClient {
 public:
  // Registers the window classes of the client, child and editor.
  static bool RegisterClasses(HINSTANCE instance);
  // Creates the client inside the frame; fills the shared file-dialog data.
  TMDIClient(ViewerHost& viewer, HWND frame, HMENU windowMenu);
  HWND hwnd() const { return hwnd_; }

  // The active child's editor, or null.
  TEditFile* ActiveEditor() const;
  HWND ActiveChild() const;
  // File New: a child titled with the counter's value and an empty editor.
  HWND FileNew();
  // File Open: the file-open dialog on the shared data, then open in viewer.
  void FileOpen();
  // Open in viewer: with the large-file question; an empty path uses the shared name.
  void OpenInViewer(const std::string& path);
  // Asks every child whether it may close (modified text); true when all may.
  bool CanCloseAll();
  // Close All: closes every child that agrees.
  void CloseAll();
  // Handles a command of the client (new, open, window arrangement); false otherwise.
  bool OnCommand(int id);

 private:
  HWND CreateChild(const std::string& title, const std::string& fileName);

  ViewerHost& viewer_;
  HWND hwnd_ = nullptr;
  int newDocuments_ = 0;
};

class TEditFile {
 public:
  TEditFile(ViewerHost& viewer, std::string fileName);
  // Creates the edit window in `parent` and loads the file (if any).
  HWND Create(HWND parent);
  HWND hwnd() const { return hwnd_; }
  const std::string& fileName() const { return fileName_; }
  std::string DocumentName() const;
  bool Modified() const;
  // A file holding NUL characters is shown read-only (see Read).
  bool ReadOnly() const;

  std::string Text() const;
  // Writes the whole text to `path`; the modified mark is the caller's business.
  bool WriteTo(const std::string& path);
  // The modified-text question; true when the window may close.
  bool CanClose();
  // Writes a modified text to its file (Save As for an untitled one); true when
  // nothing is left unsaved.
  bool Save();
  bool SaveAs();
  // Prints through an external editor with a work file in the temporary directory.
  void Print();
  bool OnCommand(int id);
  // Whether the editor command `id` is available now (for menus and the tool bar).
  bool CommandEnabled(int id) const;

 private:
  bool Read();
  void SetFileName(std::string fileName);

  ViewerHost& viewer_;
  FileDialogData data_;
  std::string fileName_;
  HWND hwnd_ = nullptr;
};

}  // namespace tessary
