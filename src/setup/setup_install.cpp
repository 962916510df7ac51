#include "setup_install.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

// The handle owners are header-only: setup.exe links none of tessary.exe's libraries.
#include "platform/handles.h"

namespace tessary::setup {
namespace {

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string ReadIni(const std::string& file, const char* section, const char* key, const std::string& def,
                    std::size_t length) {
  std::vector<char> buf(length + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section, key, def.c_str(), buf.data(), static_cast<DWORD>(length),
                                     file.c_str());
  return std::string(buf.data(), n);
}

void WriteIni(const std::string& file, const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, file.c_str());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Copies one file through the LZ functions: a compressed source is expanded, a plain
// one copied unchanged. False when either side cannot be opened or the copy fails.
bool LzExpandCopy(const std::string& source, const std::string& target) {
  OFSTRUCT ofSource{}, ofTarget{};
  std::vector<char> src(source.begin(), source.end()), dst(target.begin(), target.end());
  src.push_back('\0');
  dst.push_back('\0');
  const LzHandle in(LZOpenFileA(src.data(), &ofSource, OF_READ));
  if (!in) return false;
  const LzHandle out(LZOpenFileA(dst.data(), &ofTarget, OF_CREATE));
  if (!out) return false;
  return LZCopy(in.get(), out.get()) >= 0;
}

void MoveOldKey(const std::string& ini, const char* key, const char* section, const char* def) {
  std::string oldValue = ReadIni(ini, "tessary", key, def, 255);
  std::string newValue = ReadIni(ini, section, key, def, 255);
  if (SameText(newValue, def)) WriteIni(ini, section, key, oldValue.c_str());
  WriteIni(ini, "tessary", key, nullptr);
}

void MakeShortcut(const std::string& directory) {
  std::string folder;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\microsoft\\windows\\currentversion\\explorer\\shell folders", 0,
                    KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
    const RegKeyHandle key(opened);
    char buf[256] = {};
    DWORD size = 255, type = 0;
    if (RegQueryValueExA(key.get(), "Programs", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
      folder.assign(buf, strnlen(buf, sizeof buf - 1));
  }
  // Without a Programs folder there is no Start menu to put the shortcut in; a folder
  // at the root of the current drive would only be clutter.
  if (folder.empty()) return;
  folder += "\\Tessary 95";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string link = folder + "\\Tessary.lnk";

  const ComInit com;
  ComPtr<IShellLinkA> shellLink;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shellLink.Out()))) {
    std::string target = directory + "\\Tessary.exe";
    shellLink->SetPath(target.c_str());
    shellLink->SetDescription(kDisplayName);
    shellLink->SetWorkingDirectory(directory.c_str());
    ComPtr<IPersistFile> file;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.Out()))) {
      wchar_t wide[256] = {};
      MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, 255);
      file->Save(wide, TRUE);
    }
  }
}

void WriteUninstallEntry(const std::string& directory) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallParent, 0, KEY_CREATE_SUB_KEY, &opened) != ERROR_SUCCESS) return;
  const RegKeyHandle parent(opened);
  HKEY created = nullptr;
  if (RegCreateKeyExA(parent.get(), kUninstallSubkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) ==
      ERROR_SUCCESS) {
    const RegKeyHandle sub(created);
    std::string uninstall = directory + "\\ostrel.exe";
    RegSetValueExA(sub.get(), "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(kDisplayName),
                   sizeof kDisplayName);
    RegSetValueExA(sub.get(), "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(uninstall.c_str()),
                   static_cast<DWORD>(uninstall.size() + 1));
  }
}

}  // namespace

SetupContext SetupContext::Default() {
  SetupContext ctx;
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  ctx.sourceDir.assign(buf, n);
  UINT w = GetWindowsDirectoryA(buf, MAX_PATH);
  ctx.settingsPath = std::string(buf, w) + "\\tessary.ini";
  return ctx;
}

std::string ReadLocation(const SetupContext& ctx) {
  return ReadIni(ctx.settingsPath, "tessary", "Location", kDefaultLocation, 255);
}

bool ConfirmDirectory(const SetupContext& ctx, SetupUi& ui, const std::string& directory) {
  if (SameText(ReadLocation(ctx), directory)) return true;
  return ui.Ask("You have selected a different directory to install to than the version that is already "
                "installed. It will be necessary to manually remove the old version if you choose to continue. "
                "\nAre you sure you want to install to a different directory?",
                "Directory confirm", kYesNo) == kAnswerYes;
}

bool Install(const SetupContext& ctx, SetupUi& ui, std::string directory) {
  if (directory.size() > kMaxDirectory) directory.resize(kMaxDirectory);
  if (directory.find(":\\") == std::string::npos) directory = "C:\\" + directory;

  if (!IsDirectory(directory) && !CreateDirectoryA(directory.c_str(), nullptr)) {
    ui.Ask("Unable to create tessary directory. Ensure you have entered a valid path for the installation "
           "directory.",
           "File error", kIconWarning);
    return false;
  }

  std::string disk = ctx.sourceDir;
  if (!disk.empty() && disk.back() != '\\') disk += '\\';
  for (const FileEntry& entry : kFiles) {
    std::string source = disk + entry.source;
    if (!Exists(source)) {
      ui.Ask("Unable to find file to copy. Please make sure this file is on the install disk.", entry.target, 0);
      return false;
    }
    std::string target = directory + "\\" + entry.target;
    ui.Status(std::string(kCopying) + "\n" + target);
    if (!LzExpandCopy(source, target)) {
      ui.Ask("Couldn't copy this file. Make sure you have specified a valid path to install to, and that you have "
             "sufficient disk space.",
             entry.source, kIconWarning);
      return false;
    }
  }

  SetCurrentDirectoryA(directory.c_str());
  MakeShortcut(directory);

  const std::string& ini = ctx.settingsPath;
  if (Exists(ini)) {
    MoveOldKey(ini, "usesentinox", "sentinox", "no");
    MoveOldKey(ini, "briefdescription", "compare", "no");
    MoveOldKey(ini, "verifyalluninstall", "uninstall", "yes");
  }
  WriteIni(ini, "tessary", "Location", directory.c_str());
  if (SameText(ReadIni(ini, "tessary", "Directory", directory, 255), directory))
    WriteIni(ini, "tessary", "Directory", directory.c_str());
  WriteIni(ini, "tessary", "Version", kVersion);
  WriteIni(ini, "tessary", "FirstRun", "Yes");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());

  WriteUninstallEntry(directory);

  if (ui.Ask("Files copied to specified directory.\nInstallation of Tessary Complete.\nWould you like to read the "
             "README.TXT file, which includes information about Tessary?\n",
             "Install Complete", kYesNo | kIconInformation) == kAnswerYes)
    ui.Start("notepad.exe readme.txt", SW_SHOWMAXIMIZED);
  if (ui.Ask("Would you like to run Tessary now?", "Run Now?", kYesNo | kIconInformation) == kAnswerYes)
    ui.Start(directory + "\\Tessary.exe", SW_SHOWNORMAL);
  return true;
}

bool OkClicked(const SetupContext& ctx, SetupUi& ui, const std::string& directory) {
  if (!ConfirmDirectory(ctx, ui, directory)) return false;
  ui.Busy(true);
  ui.Status(kCopying);
  bool ok = Install(ctx, ui, directory);
  ui.Busy(false);
  if (ok) return true;
  ui.Ask(kInstallErrorText, kInstallErrorCaption, 0);
  ui.Status(kDescription);
  return false;
}

}  // namespace tessary::setup
