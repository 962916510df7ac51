// corvel.exe: makes the shortcut that starts Sentinox with Windows. It reads four keys
// of [tessary] in tessary.ini of the Windows directory: LPath (the shortcut file to
// create), EXEPath (the program it starts), WorkDir (its working directory) and LDesc
// (its description), and saves the shortcut through the shell-link object. When it
// cannot, it says why and exits with a non-zero code: 2 for missing settings (or no
// Windows directory to find them in), 3 when the shell-link object is unavailable, 4 when
// the shortcut cannot be saved. With the argument "/s" the reason goes to the standard
// error stream instead of a message box.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/settings_table.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"

namespace {

using namespace tessary;

constexpr char kCaption[] = "Corvel";

// A shortcut setting, read whole up to 1023 characters.
std::string ReadSetting(const std::string& ini, const SettingKey& key) {
  return ProfileRead(ini, key.section, key.key, "", 1024);
}

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> buf(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buf.data(), n);
  return std::wstring(buf.data());
}

int Fail(bool silent, int code, const std::string& reason) {
  if (silent) {
    std::fprintf(stderr, "corvel: %s\n", reason.c_str());
  } else {
    MessageBoxA(nullptr, reason.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
  }
  return code;
}

int MakeShortcut(bool silent) {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return Fail(silent, 2, "The Windows directory, which holds tessary.ini, cannot be found.");
  std::string ini = SettingsPathFor(windows);
  std::string linkPath = ReadSetting(ini, settings::kLPath);
  std::string exePath = ReadSetting(ini, settings::kEXEPath);
  std::string workDir = ReadSetting(ini, settings::kWorkDir);
  std::string description = ReadSetting(ini, settings::kLDesc);
  if (linkPath.empty() || exePath.empty())
    return Fail(silent, 2, "The shortcut settings LPath and EXEPath are missing from " + ini + ".");

  ComInit com;
  if (!com.ok()) return Fail(silent, 3, "The component system could not be started.");
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out())))
    return Fail(silent, 3, "The shell-link object is not available.");
  link->SetPath(exePath.c_str());
  link->SetWorkingDirectory(workDir.c_str());
  link->SetDescription(description.c_str());
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Out())))
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
