// ostrel.exe: removes an installed Tessary. It asks first, then deletes the files that
// setup.exe copied into its own directory, the Start-menu folder "Tessary 95" with its
// shortcut, the Sentinox start-up shortcut that the Options dialog had made, and the
// entry in the list of removable programs, and says what it removed. The backup
// directory, its reports and the settings file stay.
// "/s" removes without asking and without the closing message (for unattended use).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/install_layout.h"
#include "core/settings_table.h"
#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace {

using namespace tessary;

constexpr char kCaption[] = "Tessary 95 Uninstall";
// This program itself, which setup.exe installs with the others, goes last (below).
constexpr char kSelf[] = "OSTREL.EXE";

std::string Parent(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The Sentinox start-up shortcut the Options dialog made, as the settings file names it;
// empty when the Windows directory, and with it the settings file, cannot be found.
std::string SentinoxShortcut() {
  const std::string windows = WindowsDirectory();
  if (windows.empty()) return {};
  const SettingKey& k = settings::kLPath;
  return ProfileRead(SettingsPathFor(windows), k.section, k.key, k.defaultValue, k.bufferLength);
}

// Deletes a file now, or, when it is in use (this program itself), when Windows
// next starts. Returns true when the file is gone or will be.
bool RemoveFile(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  // A read-only file that stays so is refused by the delete below, which says so.
  static_cast<void>(SetPathAttributes(path, FILE_ATTRIBUTE_NORMAL));
  if (DeleteFileChecked(path)) return true;
  return DeleteAtRestart(path);
}

// A running program cannot delete its own file. A copy in the temporary folder,
// started with "/finish <process id> <path>", waits for this process to end, then
// deletes the uninstaller and the install directory if nothing else is left in it.
bool HandOverSelfRemoval(const std::string& self) {
  const std::string temp = TempDirectory();
  const std::string copy = temp + "ostrel-finish.exe";
  if (!CopyFileChecked(self, copy)) return false;
  return StartDetached(copy, "\"" + copy + "\" /finish " + std::to_string(GetCurrentProcessId()) + " " + self, temp);
}

int FinishSelfRemoval(const std::string& args) {
  std::size_t space = args.find(' ');
  if (space == std::string::npos) return 1;
  DWORD pid = static_cast<DWORD>(std::strtoul(args.c_str(), nullptr, 10));
  std::string path = args.substr(space + 1);
  if (const UniqueHandle parent{OpenProcess(SYNCHRONIZE, FALSE, pid)}) WaitForSingleObject(parent.get(), 30000);
  for (int i = 0; i < 50 && !DeleteFileChecked(path) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);
  // The install directory goes only when nothing else (backups) is left in it, and this
  // copy in the temporary folder when Windows next starts; nobody is left to be told.
  static_cast<void>(RemoveEmptyFolder(Parent(path)));
  static_cast<void>(DeleteAtRestart(ProgramPath()));
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string args(commandLine);
  if (args.rfind("/finish ", 0) == 0) return FinishSelfRemoval(args.substr(8));
  bool quiet = args.find("/s") != std::string::npos;
  std::string self = ProgramPath();
  std::string dir = Parent(self);
  if (!quiet &&
      MessageBoxA(nullptr, ("Remove Tessary 95 from " + dir + "?\nYour backups and reports are kept.").c_str(),
                  kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 1;

  std::string removed;
  // What setup.exe installed, by the names it gave the files.
  for (const setup::FileEntry& file : setup::kFiles) {
    if (EqualsNoCase(file.target, kSelf)) continue;
    std::string path = dir + "\\" + file.target;
    if (RemoveFile(path)) removed += path + "\n";
  }
  // This program and then the install directory, the latter only when nothing else
  // (such as backups) is left in it.
  if (HandOverSelfRemoval(self) || RemoveFile(self)) removed += self + "\n";

  std::string programs = ShellFolder("Programs");
  if (!programs.empty()) {
    std::string folder = programs + "\\" + setup::kShortcutFolder;
    std::string link = folder + "\\" + setup::kShortcutFile;
    if (RemoveFile(link)) removed += link + "\n";
    if (RemoveEmptyFolder(folder)) removed += folder + "\n";
  }

  // The Sentinox start-up shortcut, whose path the Options dialog keeps in LPath.
  std::string sentinoxLink = SentinoxShortcut();
  if (!sentinoxLink.empty() && EndsWithNoCase(sentinoxLink, ".lnk") && RemoveFile(sentinoxLink))
    removed += sentinoxLink + "\n";

  if (const RegKey entries = RegKey::Root(HKEY_LOCAL_MACHINE).OpenSubKey(setup::kUninstallParent, KEY_ALL_ACCESS)) {
    if (entries.DeleteSubKey(setup::kUninstallSubkey))
      removed += std::string("The entry \"") + setup::kDisplayName + "\" in Add/Remove Programs\n";
  }

  if (!quiet) {
    std::string text = removed.empty() ? std::string("Nothing of Tessary 95 was found to remove.")
                                       : "Removed:\n" + removed + "\nYour backups, reports and tessary.ini are kept.";
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  }
  return 0;
}
