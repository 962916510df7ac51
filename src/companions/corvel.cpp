// corvel.exe: makes the shortcut that starts Sentinox with Windows. It reads four keys
// of [tessary] in tessary.ini of the Windows directory: LPath (the shortcut file to
// create), EXEPath (the program it starts), WorkDir (its working directory) and LDesc
// (its description), and saves the shortcut through the shell-link object. When it
// cannot, it says why and exits with a non-zero code: 2 for missing settings, 3 when
// the shell-link object is unavailable, 4 when the shortcut cannot be saved. With the
// argument "/s" the reason goes to the standard error stream instead of a message box.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char kCaption[] = "Corvel";

std::string WindowsDir() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return std::string(buf, n < sizeof buf ? n : 0);
}

std::string ReadSetting(const std::string& ini, const char* key) {
  std::vector<char> buf(1024, '\0');
  DWORD n = GetPrivateProfileStringA("tessary", key, "", buf.data(), static_cast<DWORD>(buf.size()), ini.c_str());
  return std::string(buf.data(), n);
}

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> buf(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buf.data(), n);
  return std::wstring(buf.data());
}

// Releases a COM interface on every path.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

int Fail(bool silent, int code, const std::string& reason) {
  if (silent) {
    std::fprintf(stderr, "corvel: %s\n", reason.c_str());
  } else {
    MessageBoxA(nullptr, reason.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
  }
  return code;
}

int MakeShortcut(bool silent) {
  std::string ini = WindowsDir() + "\\tessary.ini";
  std::string linkPath = ReadSetting(ini, "LPath");
  std::string exePath = ReadSetting(ini, "EXEPath");
  std::string workDir = ReadSetting(ini, "WorkDir");
  std::string description = ReadSetting(ini, "LDesc");
  if (linkPath.empty() || exePath.empty())
    return Fail(silent, 2, "The shortcut settings LPath and EXEPath are missing from " + ini + ".");

  ComScope com;
  if (!com.ok()) return Fail(silent, 3, "The component system could not be started.");
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.Out()))))
    return Fail(silent, 3, "The shell-link object is not available.");
  link->SetPath(exePath.c_str());
  link->SetWorkingDirectory(workDir.c_str());
  link->SetDescription(description.c_str());
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))))
    return Fail(silent, 3, "The shell-link object cannot be saved.");
  if (FAILED(file->Save(Wide(linkPath).c_str(), TRUE)))
    return Fail(silent, 4, "The shortcut " + linkPath + " could not be created.");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string args = commandLine ? commandLine : "";
  bool silent = args.find("/s") != std::string::npos || args.find("/S") != std::string::npos;
  return MakeShortcut(silent);
}
