// The real tessary.exe, driven from outside by the GUI tests: started in a working
// folder, found by its frame's class and caption, sent commands and button presses,
// its dialogs, message boxes, viewers and tool bar read through window_probe.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "window_probe.h"

namespace tessary::test {

// tessary.exe started in a working folder; closed (documents left unsaved) at the end.
class TessaryProcess {
 public:
  TessaryProcess(const std::string& exe, const std::string& workDir);
  ~TessaryProcess();
  TessaryProcess(const TessaryProcess&) = delete;
  TessaryProcess& operator=(const TessaryProcess&) = delete;

  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }
  HWND frame() const { return frame_; }
  HWND client() const { return client_; }
  // Posts a menu command to the frame.
  void Command(int id) const;
  // A dialog of the program, message boxes included, by caption.
  HWND Box(const std::string& caption = {}) const { return FindTop(pid(), "#32770", caption); }
  HWND WaitBox(const std::string& caption, int ms = 15000) const;
  static void Press(HWND dialog, int id);
  // The viewer windows (MDI children), and the one whose caption is that path, or null.
  std::vector<HWND> Viewers() const { return Children(client_, "tessaryMDIChild"); }
  HWND Viewer(const std::string& path) const;
  std::string ViewerText(HWND viewer) const;
  HWND ToolBar() const { return FindWindowExA(frame_, nullptr, "ToolbarWindow32", nullptr); }
  // The centre of a tool-bar button: its rectangle is read inside the program's memory.
  LPARAM ToolButtonCentre(int command) const;
  void PointAtToolButton(int command) const;
  void ClickToolButton(int command) const;
  // Lets the program work through what it was posted (a sent message would overtake
  // the posted ones, so this only waits).
  void Settle() const { Sleep(300); }
  // Closes the program and waits for it; false when it had to be ended by force.
  bool Close();

 private:
  PROCESS_INFORMATION info_{};
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
};

}  // namespace tessary::test
