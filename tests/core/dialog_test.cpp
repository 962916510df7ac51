// The dialog base's centring: one rule for a dialog before it shows and for one brought
// back into view while it shows (the Uninstall Actions dialog after the DLL check).
#include <gtest/gtest.h>
#include <windows.h>

#include "core/dialog.h"

namespace tessary {
namespace {

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(CentreOnScreen, CentresAHiddenAndAShowingWindowAlikeAndKeepsTheirSize) {
  for (const CentreMove move : {CentreMove::BeforeShowing, CentreMove::WhileShowing}) {
    const DWORD style = WS_POPUP | WS_BORDER | (move == CentreMove::WhileShowing ? WS_VISIBLE : 0);
    HWND hwnd = CreateWindowExA(0, "STATIC", "centre", style, 900, 700, 301, 151, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    CentreOnScreen(hwnd, move);
    const RECT r = WindowRect(hwnd);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 301) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 151) / 2);
    EXPECT_EQ(r.right - r.left, 301);
    EXPECT_EQ(r.bottom - r.top, 151);
    EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, move == CentreMove::WhileShowing);
    DestroyWindow(hwnd);
  }
}

}  // namespace
}  // namespace tessary
