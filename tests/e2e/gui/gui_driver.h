// Drives the real tessary.exe from outside: finds its windows by class and caption,
// posts commands and button presses, reads control texts, and saves window pictures.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "window_probe.h"

namespace tessary::e2e {

using test::Children;
using test::ClassOf;
using test::FindTop;
using test::ListItems;
using test::ProcessRunning;
using test::SaveWindowPicture;
using test::StaticTexts;
using test::TextOf;
using test::TopWindows;
using test::WaitFor;

// tessary.exe started in a working folder; closed (documents unsaved) at the end.
class TessaryProcess {
 public:
  TessaryProcess(const std::string& exe, const std::string& workDir);
  ~TessaryProcess();
  TessaryProcess(const TessaryProcess&) = delete;
  TessaryProcess& operator=(const TessaryProcess&) = delete;

  DWORD pid() const { return info_.dwProcessId; }
  HWND frame() const { return frame_; }
  HWND client() const { return client_; }
  void Command(int id) const;
  // A dialog of the program, message boxes included, by caption.
  HWND Box(const std::string& caption = {}) const { return FindTop(pid(), "#32770", caption); }
  HWND WaitBox(const std::string& caption, int ms = 15000) const;
  static void Press(HWND dialog, int id);
  std::vector<HWND> Viewers() const { return Children(client_, "tessaryMDIChild"); }
  // The viewer whose caption is that path, or null.
  HWND Viewer(const std::string& path) const;
  std::string ViewerText(HWND viewer) const;
  // Closes the program and waits for it; false when it had to be ended by force.
  bool Close();

 private:
  PROCESS_INFORMATION info_{};
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
};

}  // namespace tessary::e2e
