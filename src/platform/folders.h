// Paths as the file system takes them, the folders of the shell (the per-user folders
// named in the registry, the system's folders behind the folder APIs), the folders no
// uninstall may remove, and the link-aware parts of removing a folder tree.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "files.h"

namespace tessary {

// The key of the current user that names the per-user shell folders.
inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The most a shell-folder value may hold: string data of up to 255 bytes (its zero
// included); a longer value counts as missing.
inline constexpr DWORD kShellFolderBytes = 255;
// The per-user folder that `valueName` ("Programs", "Desktop", "Startup") names in the
// shell-folders key of the current user, or `fallback` when the key cannot be opened or
// the value is missing, empty, not a string or too long. The second form reads another
// key the same way (for tests).
std::string ShellFolder(const char* valueName, const std::string& fallback = {});
std::string ShellFolder(HKEY root, const std::string& keyPath, const char* valueName, const std::string& fallback);
// The Start-menu programs folder and the desktop folder of the current user, as Backup
// lists them and Compare compares them: the "Programs" and "Desktop" shell folders, else
// windowsDirectory + "\Start Menu\Programs" and windowsDirectory + "\Desktop".
std::string StartMenuProgramsFolder(const std::string& windowsDirectory);
std::string DesktopFolder(const std::string& windowsDirectory);

// GetFullPathNameA: the path as the platform will use it (trailing dots and blanks of
// a name dropped, "." and ".." resolved, "/" made "\"). Empty when it fails or the
// result does not fit MAX_PATH.
std::string FullPathName(const std::string& path);
// GetLongPathNameA: every existing piece by its long name; empty when it fails.
std::string LongPathName(const std::string& path);
// The path of an existing file or folder after every junction and symbolic link on the
// way has been followed (GetFinalPathNameByHandleA), without the "\\?\" prefix; empty
// when it cannot be opened.
std::string FinalPathName(const std::string& path);
// "X:\..." on a drive the platform reports as fixed (no network, removable, CD-ROM or
// RAM drive).
bool IsOnLocalFixedDrive(const std::string& path);

// The folders no uninstall action may remove: drive roots (by rule), the Windows folder,
// the system folders, Program Files (both, with their Common Files), ProgramData, the
// user profile and its standard folders (Desktop, Documents, AppData with Roaming and
// Local, the Start menu with Programs and Startup, for the user and for all users), the
// fonts folder, the folder of the running program, and `extra` (the backup directory).
// Each is listed in every form it can be reached by: as given, by long names and with
// links followed.
std::vector<std::string> ProtectedFolders(const std::vector<std::string>& extra);
// Whether removing `path` (a full path, see FullPathName) would remove a protected
// folder: it is a drive root, one of `folders`, or a folder that holds one. The path is
// taken by its long names and with the links of its parent folders followed too.
bool RemovesProtectedFolder(const std::string& path, const std::vector<std::string>& folders);
// Whether `path` is a protected folder, holds one, or lies anywhere inside one (the whole
// subtree), in any of the forms RemovesProtectedFolder looks at, links followed.
bool TouchesProtectedFolder(const std::string& path, const std::vector<std::string>& folders);

// A junction or symbolic link (a reparse point), by its attributes.
inline bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
// The entries of a folder without "." and "..", in the order the file system gives them.
std::vector<FindEntry> ListFolder(const std::string& folder);
// Removes a junction or symbolic link itself, never what it points to.
[[nodiscard]] bool RemoveLink(const std::string& path, bool isDirectory);

using ListFolderFn = std::function<std::vector<FindEntry>(const std::string& folder)>;
using RemoveLinkFn = std::function<bool(const std::string& path, bool isDirectory)>;
// Removes every junction and symbolic link at any depth below `folder` as a link,
// never listing what is behind one, so that deleting the tree afterwards cannot reach
// outside it. False when a link could not be removed (the tree must then stay).
[[nodiscard]] bool RemoveLinksBelow(const std::string& folder, const ListFolderFn& list = ListFolder,
                      const RemoveLinkFn& removeLink = RemoveLink);

}  // namespace tessary
