#include "setup_install.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"

namespace tessary::setup {
namespace {

// The settings the installer reads are cut to 254 characters.
constexpr unsigned kReadLength = 255;

std::string ReadIni(const std::string& file, const char* section, const char* key, const std::string& def) {
  return ProfileRead(file, section, key, def, kReadLength);
}

// Copies one file through the LZ functions: a compressed source is expanded, a plain
// one copied unchanged. The copy is made beside the target and replaces it only when
// complete, so a failed copy leaves an installed file as it was. False when either side
// cannot be opened or the copy fails.
bool LzExpandCopy(const std::string& source, const std::string& target) {
  const std::string side = SideFileFor(target);
  const bool ok = LzCopyFile(source, side) == LzCopyResult::Ok && ReplaceWithSideFile(side, target);
  if (!ok) DeleteLeftover(side);
  return ok;
}

bool MoveOldKey(const std::string& ini, const char* key, const char* section, const char* def) {
  std::string oldValue = ReadIni(ini, "tessary", key, def);
  std::string newValue = ReadIni(ini, section, key, def);
  if (EqualsNoCase(newValue, def) && !ProfileWrite(ini, section, key, oldValue)) return false;
  return ProfileDeleteKey(ini, "tessary", key);
}

void MakeShortcut(const std::string& directory) {
  std::string folder = ShellFolder("Programs");
  // Without a Programs folder there is no Start menu to put the shortcut in; a folder
  // at the root of the current drive would only be clutter.
  if (folder.empty()) return;
  folder += std::string("\\") + kShortcutFolder;
  // There already, or it cannot be made: then the shortcut's save below fails and leaves nothing.
  static_cast<void>(CreateFolder(folder));
  std::string link = folder + "\\" + kShortcutFile;

  const ComInit com;
  ComPtr<IShellLinkA> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shellLink.Out())))
    return;
  std::string target = directory + "\\Tessary.exe";
  shellLink->SetPath(target.c_str());
  shellLink->SetDescription(kDisplayName);
  shellLink->SetWorkingDirectory(directory.c_str());
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.Out()))) return;
  // The shortcut is saved beside an older one and replaces it only when saved whole, so
  // a failed save (a full disk) never leaves a shortcut cut short. The shell-link object
  // writes its own file; the fault seam stands for it here.
  const std::string side = SideFileFor(link);
  const int length = MultiByteToWideChar(CP_ACP, 0, side.c_str(), -1, nullptr, 0);
  if (length <= 0) return;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, side.c_str(), -1, wide.data(), length);
  const bool saved = !InjectedFault(FileOp::Create, side) && SUCCEEDED(file->Save(wide.c_str(), TRUE));
  if (!saved || !ReplaceWithSideFile(side, link)) DeleteLeftover(side);
}

// The entry in the list of removable programs. Best effort, as the install has always
// treated it: a system that refuses it still has the program installed.
void WriteUninstallEntry(const std::string& directory) {
  const RegKey parent = RegKey::Root(HKEY_LOCAL_MACHINE).OpenSubKey(kUninstallParent, KEY_CREATE_SUB_KEY);
  if (!parent) return;
  const RegKey entry = parent.CreateSubKey(kUninstallSubkey, KEY_SET_VALUE);
  if (!entry) return;
  static_cast<void>(entry.SetString("DisplayName", kDisplayName));
  static_cast<void>(entry.SetString("UninstallString", directory + "\\ostrel.exe"));
}

}  // namespace

SetupContext SetupContext::Default() {
  SetupContext ctx;
  ctx.sourceDir = CurrentDirectory();
  ctx.settingsPath = SettingsPathFor(WindowsDirectory());
  return ctx;
}

std::string ReadLocation(const SetupContext& ctx) {
  return ReadIni(ctx.settingsPath, "tessary", "Location", kDefaultLocation);
}

bool ConfirmDirectory(const SetupContext& ctx, SetupUi& ui, const std::string& directory) {
  if (EqualsNoCase(ReadLocation(ctx), directory)) return true;
  return ui.Ask("You have selected a different directory to install to than the version that is already "
                "installed. It will be necessary to manually remove the old version if you choose to continue. "
                "\nAre you sure you want to install to a different directory?",
                "Directory confirm", kYesNo) == kAnswerYes;
}

bool Install(const SetupContext& ctx, SetupUi& ui, std::string directory) {
  if (directory.size() > kMaxDirectory) directory.resize(kMaxDirectory);
  if (directory.find(":\\") == std::string::npos) directory = "C:\\" + directory;

  if (!DirectoryExists(directory) && !CreateFolder(directory)) {
    ui.Ask("Unable to create tessary directory. Ensure you have entered a valid path for the installation "
           "directory.",
           "File error", kIconWarning);
    return false;
  }

  std::string disk = ctx.sourceDir;
  if (!disk.empty() && disk.back() != '\\') disk += '\\';
  for (const FileEntry& entry : kFiles) {
    std::string source = disk + entry.source;
    if (!PathExists(source)) {
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

  // Each change of the settings file is whole or not made; one that is not made fails
  // the installation (the general error follows), the file as it was before it.
  const std::string& ini = ctx.settingsPath;
  bool saved = true;
  if (PathExists(ini)) {
    saved = saved && MoveOldKey(ini, "usesentinox", "sentinox", "no");
    saved = saved && MoveOldKey(ini, "briefdescription", "compare", "no");
    saved = saved && MoveOldKey(ini, "verifyalluninstall", "uninstall", "yes");
  }
  saved = saved && ProfileWrite(ini, "tessary", "Location", directory);
  if (saved && EqualsNoCase(ReadIni(ini, "tessary", "Directory", directory), directory))
    saved = ProfileWrite(ini, "tessary", "Directory", directory);
  saved = saved && ProfileWrite(ini, "tessary", "Version", kVersion);
  saved = saved && ProfileWrite(ini, "tessary", "FirstRun", "Yes");
  ProfileFlush(ini);
  if (!saved) {
    ui.Ask("Unable to write the settings file. Make sure the disk is not full.", ini, kIconWarning);
    return false;
  }

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
