// sentinox.exe: the companion that asks Tessary for an automatic pass. At its start it
// writes the start request ([sentinox] RunBackup=yes in tessary.ini of the Windows
// directory) and starts tessary.exe from its own directory; when that start fails it
// deletes the request again and says so. Its top-level window has the class and title
// "Sentinox", by which Tessary's Options dialog finds it; it stays until that window is
// sent a close message.
#include <windows.h>

#include <string>

#include "core/settings_table.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"

namespace {

using namespace tessary;

constexpr char kName[] = "Sentinox";

std::string OwnDirectory() {
  const std::string path = ProgramPath();
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Why a pass could not be requested; the text says so to the user.
const char* RequestPass() {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return "Sentinox could not find the Windows directory.";
  const std::string ini = SettingsPathFor(windows);
  const SettingKey& request = settings::kRunBackup;
  if (!ProfileWrite(ini, request.section, request.key, "yes"))
    return "Sentinox could not write its request into tessary.ini.";
  ProfileFlush(ini);
  const std::string exe = OwnDirectory() + "\\tessary.exe";
  if (!StartDetached(exe, "\"" + exe + "\"", OwnDirectory())) {
    // A request nobody took would turn the user's next start of tessary.exe into an
    // unattended pass: take it back.
    const bool takenBack = ProfileDeleteKey(ini, request.section, request.key);
    ProfileFlush(ini);
    if (!takenBack)
      return "Sentinox could not start tessary.exe from its own directory, nor take its request back out of "
             "tessary.ini: the next start of Tessary makes an unattended pass.";
    return "Sentinox could not start tessary.exe from its own directory.";
  }
  return nullptr;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kName;
  if (!RegisterClassA(&wc)) return 1;
  // The window is never shown: it only answers to the class and title, and to WM_CLOSE.
  HWND hwnd = CreateWindowA(kName, kName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr,
                            nullptr, instance, nullptr);
  if (!hwnd) return 1;
  if (const char* failure = RequestPass()) MessageBoxA(nullptr, failure, kName, MB_OK | MB_ICONEXCLAMATION);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
