#include "shell/find_replace.h"

#include <algorithm>
#include <string>

#include "shell/viewer_logic.h"

namespace tessary {

FindReplace::FindReplace(Prompter& prompts, std::function<HWND()> activeEditor)
    : prompts_(prompts), activeEditor_(std::move(activeEditor)), message_(RegisterWindowMessageA(FINDMSGSTRINGA)) {}

void FindReplace::Start(HWND editor, bool replace) {
  target_ = editor;
  if (dialog_) {
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
  // Start with the selected text when there is a short one.
  DWORD start = 0, end = 0;
  SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end > start && end - start < sizeof findWhat_) {
    int length = GetWindowTextLengthA(editor);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(editor, text.data(), length + 1);
    std::string selected = text.substr(start, end - start);
    if (selected.find('\n') == std::string::npos) {
      selected.copy(findWhat_, sizeof findWhat_ - 1);
      findWhat_[selected.size()] = '\0';
    }
  }
  find_ = FINDREPLACEA{};
  find_.lStructSize = sizeof find_;
  find_.hwndOwner = owner_;
  find_.Flags = FR_DOWN | (searchFlags_ & (FR_MATCHCASE | FR_WHOLEWORD));
  find_.lpstrFindWhat = findWhat_;
  find_.wFindWhatLen = sizeof findWhat_;
  find_.lpstrReplaceWith = replaceWith_;
  find_.wReplaceWithLen = sizeof replaceWith_;
  dialog_ = replace ? ReplaceTextA(&find_) : FindTextA(&find_);
}

bool FindReplace::FindNext(HWND editor) {
  if (!haveSearch_ || findWhat_[0] == '\0') return false;
  target_ = editor;
  Search(editor, (searchFlags_ & FR_DOWN) != 0);
  return true;
}

bool FindReplace::Search(HWND editor, bool forward) {
  int length = GetWindowTextLengthA(editor);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextA(editor, text.data(), length + 1))));
  DWORD start = 0, end = 0;
  SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  std::size_t at = FindInText(text, findWhat_, forward ? end : start, forward, (searchFlags_ & FR_MATCHCASE) != 0,
                              (searchFlags_ & FR_WHOLEWORD) != 0);
  if (at == std::string::npos) {
    prompts_.Ask(std::string("Cannot find \"") + findWhat_ + "\".", kProgramName, mb::kOk | mb::kIconInformation,
                 dialog_ ? dialog_ : owner_);
    return false;
  }
  SendMessageA(editor, EM_SETSEL, at, at + std::string(findWhat_).size());
  SendMessageA(editor, EM_SCROLLCARET, 0, 0);
  return true;
}

void FindReplace::OnFindMessage(const FINDREPLACEA& fr) {
  if (fr.Flags & FR_DIALOGTERM) {
    dialog_ = nullptr;
    return;
  }
  HWND editor = IsWindow(target_) ? target_ : nullptr;
  if (!editor) editor = activeEditor_();
  if (!editor) return;
  haveSearch_ = true;
  // A read-only window (a file shown with its NULs blanked) is searched, never changed.
  if ((fr.Flags & (FR_REPLACE | FR_REPLACEALL)) && (GetWindowLongA(editor, GWL_STYLE) & ES_READONLY)) return;
  // The dialog clears its options when it closes; Find Next keeps using them.
  searchFlags_ = fr.Flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD);
  bool forward = (fr.Flags & FR_DOWN) != 0 || (fr.Flags & (FR_REPLACE | FR_REPLACEALL));
  if (fr.Flags & FR_FINDNEXT) {
    Search(editor, forward);
  } else if (fr.Flags & FR_REPLACE) {
    // Replace the current match (if the selection is one), then find the next.
    DWORD start = 0, end = 0;
    SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end - start == std::string(findWhat_).size()) {
      int length = GetWindowTextLengthA(editor);
      std::string text(static_cast<std::size_t>(length) + 1, '\0');
      GetWindowTextA(editor, text.data(), length + 1);
      if (FindInText(text, findWhat_, start, true, (fr.Flags & FR_MATCHCASE) != 0, (fr.Flags & FR_WHOLEWORD) != 0) ==
          start)
        SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaceWith_));
    }
    Search(editor, true);
  } else if (fr.Flags & FR_REPLACEALL) {
    SendMessageA(editor, EM_SETSEL, 0, 0);
    int length = GetWindowTextLengthA(editor);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextA(editor, text.data(), length + 1))));
    std::string what = findWhat_, with = replaceWith_, result;
    std::size_t from = 0;
    bool any = false;
    for (;;) {
      std::size_t at = FindInText(text, what, from, true, (fr.Flags & FR_MATCHCASE) != 0,
                                  (fr.Flags & FR_WHOLEWORD) != 0);
      if (at == std::string::npos) break;
      result += text.substr(from, at - from) + with;
      from = at + what.size();
      any = true;
    }
    if (any) {
      result += text.substr(from);
      SendMessageA(editor, EM_SETSEL, 0, -1);
      SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(result.c_str()));
    } else {
      prompts_.Ask("Cannot find \"" + what + "\".", kProgramName, mb::kOk | mb::kIconInformation,
                   dialog_ ? dialog_ : owner_);
    }
  }
}

}  // namespace tessary
