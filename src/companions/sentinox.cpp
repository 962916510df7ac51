// sentinox.exe: the companion that asks Tessary for an automatic pass. At its start it
// writes the start request ([sentinox] RunBackup=yes in tessary.ini of the Windows
// directory) and starts tessary.exe from its own directory; when that start fails it
// deletes the request again and says so. Its top-level window has the class and title
// "Sentinox", by which Tessary's Options dialog finds it; it stays until that window is
// sent a close message.
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr char kName[] = "Sentinox";

std::string OwnDirectory() {
  std::vector<char> buf(32768);
  DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  std::string path(buf.data(), n);
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The Windows directory, or "" when the system cannot give it (the query returns 0) or
// it does not fit the buffer (the query returns the size it would need).
std::string WindowsDir() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return {};
  return std::string(buf, n);
}

// Why a pass could not be requested; the text says so to the user.
const char* RequestPass() {
  std::string windows = WindowsDir();
  if (windows.empty()) return "Sentinox could not find the Windows directory.";
  std::string ini = windows + "\\tessary.ini";
  if (!WritePrivateProfileStringA("sentinox", "RunBackup", "yes", ini.c_str()))
    return "Sentinox could not write its request into tessary.ini.";
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  std::string exe = OwnDirectory() + "\\tessary.exe";
  std::string cmd = "\"" + exe + "\"";
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, OwnDirectory().c_str(), &si,
                      &pi)) {
    // A request nobody took would turn the user's next start of tessary.exe into an
    // unattended pass: take it back.
    WritePrivateProfileStringA("sentinox", "RunBackup", nullptr, ini.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
    return "Sentinox could not start tessary.exe from its own directory.";
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
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
