// Find and Replace in the editors: the modeless common dialog (one at a time, owned by
// the frame), and the last search, which Find Next repeats with the options it had.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>

#include "core/seams.h"

namespace tessary {

class FindReplace {
 public:
  // `prompts` says when a text is not found; `activeEditor` names the editor a search
  // goes to when the one it was started for is gone (null when there is none).
  FindReplace(Prompter& prompts, std::function<HWND()> activeEditor);
  FindReplace(const FindReplace&) = delete;
  FindReplace& operator=(const FindReplace&) = delete;

  // The frame that owns the dialog and receives its messages.
  void SetOwner(HWND frame) { owner_ = frame; }
  // Opens the Find or Replace dialog for an editor (closing one that is open), with the
  // editor's selection as the text to find when it is short and on one line.
  void Start(HWND editor, bool replace);
  // Repeats the last search in an editor; false when there was none.
  bool FindNext(HWND editor);
  // The open dialog, for the message loop's dialog keys; null when none is open.
  HWND dialog() const { return dialog_; }
  // Whether a message of the frame is the one the dialog sends.
  bool IsFindMessage(UINT message) const { return message_ != 0 && message == message_; }
  // The dialog's Find Next, Replace, Replace All or closing.
  void OnFindMessage(const FINDREPLACEA& fr);

 private:
  // Selects the next match from the selection on; "Cannot find" when there is none.
  bool Search(HWND editor, bool forward);

  Prompter& prompts_;
  std::function<HWND()> activeEditor_;
  HWND owner_ = nullptr;
  FINDREPLACEA find_{};
  char findWhat_[256] = {};
  char replaceWith_[256] = {};
  HWND dialog_ = nullptr;
  HWND target_ = nullptr;
  bool haveSearch_ = false;
  DWORD searchFlags_ = FR_DOWN;
  UINT message_ = 0;
};

}  // namespace tessary
