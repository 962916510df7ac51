#include "tessary_process.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/ascii.h"

namespace tessary::test {

TessaryProcess::TessaryProcess(const std::string& exe, const std::string& workDir) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &info_)) {
    ADD_FAILURE() << "cannot start " << exe;
    return;
  }
  WaitFor([&] { return (frame_ = FindTop(info_.dwProcessId, "tessaryApp", "Tessary")) != nullptr; }, 30000);
  if (!frame_) ADD_FAILURE() << "no main window";
  client_ = frame_ ? FindWindowExA(frame_, nullptr, "tessaryMDIClient", nullptr) : nullptr;
}

TessaryProcess::~TessaryProcess() { Close(); }

bool TessaryProcess::Close() {
  if (!info_.hProcess) return true;
  bool clean = true;
  if (frame_ && IsWindow(frame_)) {
    PostMessageA(frame_, WM_CLOSE, 0, 0);
    // Leave modified documents unsaved.
    for (int i = 0; i < 100 && WaitForSingleObject(info_.hProcess, 100) == WAIT_TIMEOUT; ++i)
      if (HWND box = Box()) PostMessageA(box, WM_COMMAND, IDNO, 0);
  }
  if (WaitForSingleObject(info_.hProcess, 5000) == WAIT_TIMEOUT) {
    ADD_FAILURE() << "tessary.exe did not end";
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    clean = false;
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  info_ = {};
  return clean;
}

void TessaryProcess::Command(int id) const { PostMessageA(frame_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

HWND TessaryProcess::WaitBox(const std::string& caption, int ms) const {
  HWND box = nullptr;
  WaitFor([&] { return (box = Box(caption)) != nullptr; }, ms);
  return box;
}

void TessaryProcess::Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND TessaryProcess::Viewer(const std::string& path) const {
  // The caption is the path, or "n - path" for a numbered document.
  for (HWND child : Viewers()) {
    std::string caption = TextOf(child);
    if (caption.size() >= path.size() && EqualsNoCase(caption.substr(caption.size() - path.size()), path))
      return child;
  }
  return nullptr;
}

std::string TessaryProcess::ViewerText(HWND viewer) const {
  HWND edit = FindWindowExA(viewer, nullptr, "tessaryEditFile", nullptr);
  return edit ? TextOf(edit) : std::string();
}

LPARAM TessaryProcess::ToolButtonCentre(int command) const {
  HWND bar = ToolBar();
  int index = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, command, 0));
  EXPECT_GE(index, 0) << command;
  void* remote = VirtualAllocEx(info_.hProcess, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return 0;
  SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote));
  RECT r{};
  SIZE_T read = 0;
  ReadProcessMemory(info_.hProcess, remote, &r, sizeof r, &read);
  VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
  return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void TessaryProcess::PointAtToolButton(int command) const {
  PostMessageA(ToolBar(), WM_MOUSEMOVE, 0, ToolButtonCentre(command));
}

void TessaryProcess::ClickToolButton(int command) const {
  HWND bar = ToolBar();
  ASSERT_NE(bar, nullptr);
  LPARAM at = ToolButtonCentre(command);
  PostMessageA(bar, WM_MOUSEMOVE, 0, at);
  PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(bar, WM_LBUTTONUP, 0, at);
}

}  // namespace tessary::test
