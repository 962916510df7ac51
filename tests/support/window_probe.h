// Windows of another process, seen from outside: the GUI tests find the real program's
// windows by class and caption, read their texts and list boxes, and picture them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tessary::test {

// Polls `done` every 50 ms until it holds or the time is up; its last answer.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 15000);
std::string TextOf(HWND hwnd);
std::string ClassOf(HWND hwnd);
// The visible top-level windows of the process with that class.
std::vector<HWND> TopWindows(DWORD pid, const std::string& cls);
// A visible top-level window of the process with that class (and caption, if given).
HWND FindTop(DWORD pid, const std::string& cls, const std::string& caption = {});
std::vector<HWND> Children(HWND parent, const std::string& cls);
// The texts of a dialog's static controls, joined by "|".
std::string StaticTexts(HWND dialog);
// The strings of a list box of another process.
std::vector<std::string> ListItems(HWND list);
// Whether a process of that executable name (no path, any case) is running.
bool ProcessRunning(const std::string& exeName);
// Saves a window as it is on the screen into a 24-bit BMP file.
bool SaveWindowPicture(HWND hwnd, const std::string& path);

}  // namespace tessary::test
