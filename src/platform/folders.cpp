#include "folders.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "ascii.h"
#include "code_page.h"
#include "registry.h"

namespace tessary {

namespace {

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

// `inner` is `outer` or lies below it.
bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
  if (outer.empty() || !StartsWithNoCase(inner, outer)) return false;
  return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

void AddForms(std::vector<std::string>& out, const std::string& path) {
  if (path.empty()) return;
  const std::string full = FullPathName(path);
  for (const std::string& form : {path, full, LongPathName(full.empty() ? path : full),
                                  FinalPathName(full.empty() ? path : full)}) {
    if (form.empty()) continue;
    const std::string clean = WithoutTrailingBackslash(form);
    bool known = false;
    for (const std::string& o : out) known = known || EqualsNoCase(o, clean);
    if (!known) out.push_back(clean);
  }
}

std::string CsidlFolder(int csidl) {
  wchar_t buf[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf))) return {};
  return FromWide(buf);
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR wide = nullptr;
  std::string path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &wide)) && wide) path = FromWide(wide);
  CoTaskMemFree(wide);
  return path;
}

}  // namespace

std::string ShellFolder(HKEY root, const std::string& keyPath, const char* valueName, const std::string& fallback) {
  const RegKey key = RegKey::Open(root, keyPath);
  std::string folder;
  if (!key || !key.QueryString(valueName, folder, kShellFolderBytes) || folder.empty()) return fallback;
  return folder;
}

std::string ShellFolder(const char* valueName, const std::string& fallback) {
  return ShellFolder(HKEY_CURRENT_USER, kShellFoldersKey, valueName, fallback);
}

std::string StartMenuProgramsFolder(const std::string& windowsDirectory) {
  return ShellFolder("Programs", windowsDirectory + "\\Start Menu\\Programs");
}

std::string DesktopFolder(const std::string& windowsDirectory) {
  return ShellFolder("Desktop", windowsDirectory + "\\Desktop");
}

// The path functions run on UTF-16, so that MAX_PATH counts characters as the system
// does, not the bytes of a name's UTF-8 form.
std::string FullPathName(const std::string& path) {
  wchar_t buf[MAX_PATH] = {};
  wchar_t* part = nullptr;
  DWORD n = GetFullPathNameW(ToWide(path).c_str(), MAX_PATH, buf, &part);
  if (n == 0 || n >= MAX_PATH) return {};
  return FromWide(std::wstring_view(buf, n));
}

std::string LongPathName(const std::string& path) {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetLongPathNameW(ToWide(path).c_str(), buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return FromWide(std::wstring_view(buf, n));
}

std::string FinalPathName(const std::string& path) {
  const UniqueHandle h(CreateFileW(ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return {};
  wchar_t buf[MAX_PATH + 8] = {};
  const DWORD n = GetFinalPathNameByHandleW(h.get(), buf, MAX_PATH + 8, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= MAX_PATH + 8) return {};
  std::string final = FromWide(std::wstring_view(buf, n));
  if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + final.substr(8);
  if (final.compare(0, 4, "\\\\?\\") == 0) return final.substr(4);
  return final;
}

bool IsOnLocalFixedDrive(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
  const char letter = AsciiUpper(path[0]);
  if (letter < 'A' || letter > 'Z') return false;
  return DriveTypeOf(letter) == DRIVE_FIXED;
}

std::vector<std::string> ProtectedFolders(const std::vector<std::string>& extra) {
  std::vector<std::string> folders;
  AddForms(folders, WindowsDirectory());
  AddForms(folders, SystemDirectory());
  AddForms(folders, SystemWow64Directory());
  for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS, CSIDL_PROGRAM_FILES,
                    CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86,
                    CSIDL_COMMON_APPDATA, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_APPDATA,
                    CSIDL_LOCAL_APPDATA, CSIDL_STARTMENU, CSIDL_PROGRAMS, CSIDL_STARTUP,
                    CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_STARTMENU,
                    CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP})
    AddForms(folders, CsidlFolder(csidl));
  for (REFKNOWNFOLDERID id : {FOLDERID_UserProfiles, FOLDERID_Public}) AddForms(folders, KnownFolder(id));
  // The running program's own folder.
  const std::string exe = ProgramPath();
  const auto slash = exe.rfind('\\');
  if (slash != std::string::npos) AddForms(folders, exe.substr(0, slash == 2 ? 3 : slash));
  for (const std::string& path : extra) AddForms(folders, path);
  return folders;
}

bool RemovesProtectedFolder(const std::string& path, const std::vector<std::string>& folders) {
  // The path as given, as the platform takes it and by its long names; then through its
  // parent with the links followed (a line may reach a protected folder through a
  // junction on the way). A link that is itself the entry is not followed: removing it
  // removes the link only.
  const std::string clean = WithoutTrailingBackslash(path);
  std::vector<std::string> forms{clean};
  for (const std::string& form : {FullPathName(clean), LongPathName(clean)})
    if (!form.empty()) forms.push_back(WithoutTrailingBackslash(form));
  const auto slash = clean.rfind('\\');
  if (slash != std::string::npos && slash + 1 < clean.size()) {
    const std::string parent = clean.substr(0, slash == 2 ? 3 : slash);
    std::string name = clean.substr(slash + 1);
    const std::string longForm = LongPathName(clean);
    const auto longSlash = longForm.rfind('\\');
    if (longSlash != std::string::npos) name = longForm.substr(longSlash + 1);
    const std::string finalParent = FinalPathName(parent);
    if (!finalParent.empty())
      forms.push_back(WithoutTrailingBackslash(finalParent) + (finalParent.back() == '\\' ? "" : "\\") + name);
  }
  for (const std::string& form : forms) {
    if (IsDriveRoot(form)) return true;
    for (const std::string& folder : folders)
      if (IsSameOrBelow(folder, form)) return true;
  }
  return false;
}

bool TouchesProtectedFolder(const std::string& path, const std::vector<std::string>& folders) {
  if (RemovesProtectedFolder(path, folders)) return true;
  const std::string clean = WithoutTrailingBackslash(path);
  for (const std::string& form : {clean, FullPathName(clean), LongPathName(clean), FinalPathName(clean)}) {
    if (form.empty()) continue;
    for (const std::string& folder : folders)
      if (IsSameOrBelow(WithoutTrailingBackslash(form), folder)) return true;
  }
  return false;
}

std::vector<FindEntry> ListFolder(const std::string& folder) {
  std::vector<FindEntry> entries;
  DirSearch search(folder + (folder.empty() || folder.back() != '\\' ? "\\*" : "*"));
  FindEntry entry;
  while (search.Next(entry))
    if (entry.name != "." && entry.name != "..") entries.push_back(entry);
  return entries;
}

bool RemoveLink(const std::string& path, bool isDirectory) {
  // Read-only would stop the removal; the attribute belongs to the link itself.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return isDirectory ? RemoveDirectoryA(path.c_str()) != FALSE : DeleteFileA(path.c_str()) != FALSE;
}

bool RemoveLinksBelow(const std::string& folder, const ListFolderFn& list, const RemoveLinkFn& removeLink) {
  for (const FindEntry& entry : list(folder)) {
    const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + entry.name;
    const bool isDirectory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (IsLink(entry.attributes)) {
      if (!removeLink(path, isDirectory)) return false;
    } else if (isDirectory && !RemoveLinksBelow(path, list, removeLink)) {
      return false;
    }
  }
  return true;
}

}  // namespace tessary
