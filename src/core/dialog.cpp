#include "core/dialog.h"

#include <vector>

namespace tessary {

void CentreOnScreen(HWND hwnd, CentreMove move) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (move == CentreMove::WhileShowing) {
    SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  } else {
    MoveWindow(hwnd, left, top, width, height, FALSE);
  }
}

Dialog::Dialog(HWND owner, int resourceId) : owner_(owner), resourceId_(resourceId) {}

Dialog::~Dialog() {
  if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::RunModal() {
  modal_ = true;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId_), owner_, Proc,
                         reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless() {
  modal_ = false;
  HWND h = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId_), owner_, Proc,
                              reinterpret_cast<LPARAM>(this));
  if (h) ShowWindow(h, SW_SHOW);
  return h;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR result = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOnScreen(hwnd_);
      if (!brush_) brush_.Reset(CreateSolidBrush(kDialogGrey));
      return OnInit();
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(brush_.get());
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), kDialogGrey);
      return reinterpret_cast<INT_PTR>(brush_.get());
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
      break;
    }
    case WM_DESTROY:
      OnDestroy();
      brush_.Reset();
      break;
    default:
      break;
  }
  bool handled = false;
  INT_PTR result = OnMessage(message, wParam, lParam, handled);
  return handled ? result : FALSE;
}

bool Dialog::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      Close(id);
      return true;
    case IDC_HELP:
      if (help_) help_->Call(hwnd_, HelpRequest{HELP_KEY, 0, helpKeyword_});
      return true;
    default:
      return false;
  }
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return FALSE;
}

void Dialog::Close(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  int len = item ? GetWindowTextLengthA(item) : 0;
  std::vector<char> buf(len + 1, '\0');
  if (item) GetWindowTextA(item, buf.data(), len + 1);
  return std::string(buf.data());
}

void Dialog::SetItemText(int id, const std::string& text) const { SetDlgItemTextA(hwnd_, id, text.c_str()); }

std::string Dialog::ListText(int id, int index) const {
  HWND list = Item(id);
  const LRESULT length = list ? SendMessageA(list, LB_GETTEXTLEN, index, 0) : LB_ERR;
  if (length == LB_ERR) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

std::optional<std::string> Dialog::SelectedListText(int id) const {
  const LRESULT selected = SendMessageA(Item(id), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return std::nullopt;
  return ListText(id, static_cast<int>(selected));
}

bool Dialog::IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

void Dialog::SetChecked(int id, bool checked) const {
  CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable ? TRUE : FALSE); }

void Dialog::ShowItem(int id, bool show) const { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }

}  // namespace tessary
