// The dialog base of the main program: one dialog-procedure trampoline that keeps
// `this` from WM_INITDIALOG and dispatches to virtual handlers. Every dialog centres
// itself on the screen, paints its background, buttons and static texts with one
// light-grey brush that it owns, and answers its HELP button (IDC_HELP) with a keyword topic.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/dialog_ids.h"
#include "core/help.h"
#include "platform/handles.h"

namespace tessary {

constexpr COLORREF kDialogGrey = RGB(192, 192, 192);

// How a window is moved to the centre: a dialog centred before it first shows moves
// without redrawing or activating; one brought back into view while it shows is
// redrawn where it lands.
enum class CentreMove { BeforeShowing, WhileShowing };

// Centres a window on the screen: left = (screen width - width) / 2, top likewise.
void CentreOnScreen(HWND hwnd, CentreMove move = CentreMove::BeforeShowing);

class Dialog {
 public:
  Dialog(HWND owner, int resourceId);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; returns the result passed to EndDialog (or -1).
  INT_PTR RunModal();
  // Creates the dialog modeless and visible; returns its window or null.
  HWND CreateModeless();
  HWND hwnd() const { return hwnd_; }
  HWND owner() const { return owner_; }

  // The HELP button opens this keyword topic of tessary.hlp through this engine.
  void SetHelp(HelpEngine* engine, std::string keyword) {
    help_ = engine;
    helpKeyword_ = std::move(keyword);
  }

 protected:
  // Set-up, after centring and the brush. Return FALSE when focus was set.
  virtual BOOL OnInit() { return TRUE; }
  // A WM_COMMAND; return true when handled. OK and Cancel end the dialog by default.
  virtual bool OnCommand(int id, int notifyCode, HWND control);
  // Any other message; set `handled` to answer it.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  // Clean-up, before the brush is released.
  virtual void OnDestroy() {}
  // Ends a modal dialog, or destroys a modeless one.
  virtual void Close(INT_PTR result);

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text) const;
  // The text of entry `index` of list box `id`; empty when there is no such entry.
  std::string ListText(int id, int index) const;
  // The text of the selected entry of single-selection list box `id`; none without a
  // selection.
  std::optional<std::string> SelectedListText(int id) const;
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked) const;
  void EnableItem(int id, bool enable) const;
  void ShowItem(int id, bool show) const;
  bool modal() const { return modal_; }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HWND owner_;
  int resourceId_;
  HWND hwnd_ = nullptr;
  GdiObject<HBRUSH> brush_;
  bool modal_ = false;
  HelpEngine* help_ = nullptr;
  std::string helpKeyword_;
};

}  // namespace tessary
