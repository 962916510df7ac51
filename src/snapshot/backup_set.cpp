#include "snapshot/backup_set.h"

#include <fstream>

#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace tessary {

namespace {

constexpr char kCopyError[] =
    "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.";

bool IsDriveRoot(const std::string& path) {
  return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':';
}

bool WriteWhole(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  return !out.fail();
}

}  // namespace

std::string BackupFilePath(const AppState& state, const std::string& base, const std::string& ext) {
  return state.BackupDirectory + "\\" + base + "." + ext;
}

bool CopyIntoBackup(Host& host, const std::string& source, const std::string& dest, WindowHandle owner) {
  bool ok;
  if (!FileExists(source)) {
    // Compare always finds a copy: an absent live file is backed up as an empty one. It
    // carries the earliest date a file can have, so that a file created later, even in
    // the same two seconds as the backup, never passes for unchanged by its date.
    ok = CreateEmptyFile(dest);
    if (ok) SetFileLastWrite(dest, CivilTime{});
  } else {
    ok = LzCopyFile(source, dest) == LzCopyResult::Ok;
  }
  if (!ok) host.Prompts().Ask(kCopyError, source, mb::kOk, owner);
  return ok;
}

bool WriteListing(const std::string& directory, const std::string& outPath) {
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const bool root = IsDriveRoot(directory);
  std::string pattern = directory;
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += "*.*";
  std::string text;
  DirSearch search(pattern);
  FindEntry entry;
  while (search.Next(entry)) {
    if (!ListedInBackup(entry.attributes)) continue;
    if (root && (entry.name == "." || entry.name == "..")) continue;  // a root has neither
    text += ListingRecord(entry.name, entry.attributes, ToDosDateTime(entry.lastWrite));
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

std::uint64_t SwapFileSize(const std::string& systemIni, const std::string& windowsDirectory, char letter) {
  std::string pagingDrive = ProfileRead(systemIni, "386enh", "PagingDrive", "C:", 9);
  // system.ini is the machine's: a path in it may be in its ANSI code page.
  std::string pagingFile = FromOlderText(ProfileReadFull(systemIni, "386enh", "PagingFile", "none"));
  if (pagingDrive.empty() || AsciiUpper(pagingDrive[0]) != AsciiUpper(letter)) return 0;
  std::string candidate;
  if (!EqualsNoCase(pagingFile, "none")) {
    candidate = pagingFile;
  } else {
    std::string onPagingDrive = pagingDrive + "\\win386.swp";
    if (FileExists(onPagingDrive)) candidate = onPagingDrive;
    if (!windowsDirectory.empty() && AsciiUpper(windowsDirectory[0]) == AsciiUpper(pagingDrive[0])) {
      std::string inWindows = windowsDirectory + "\\win386.swp";
      if (FileExists(inWindows)) candidate = inWindows;
    }
  }
  if (candidate.empty()) return 0;
  return FileSize(candidate).value_or(0);
}

std::uint64_t FreeSpaceWithSwap(const std::string& windowsDirectory, char letter) {
  std::string root{letter, ':', '\\'};
  std::uint64_t free = FreeBytes(root).value_or(0);
  return free + SwapFileSize(windowsDirectory + "\\system.ini", windowsDirectory, letter);
}

bool WriteFreeSpaceRecord(const AppState& state, char letter, const std::string& ext) {
  std::string path = state.BackupDirectory + "\\" + std::string(1, letter) + "_free." + ext;
  return WriteWhole(path, FreeSpaceRecord(FreeSpaceWithSwap(state.WindowsDirectory, letter)));
}

bool WriteOptionalDirectories(Host& host, const std::string& ext) {
  Settings settings = host.AppSettings();
  bool ok = true;
  for (int n = 1; n <= 5; ++n) {
    std::string dir = settings.Read(settings::kOptDir[n - 1]);
    if (dir.empty() || !DirectoryExists(dir)) continue;
    std::string base = host.State().BackupDirectory + "\\optdir" + std::to_string(n);
    ok &= WriteWhole(base + ".nam", dir);
    ok &= WriteListing(dir, base + "." + ext);
  }
  return ok;
}

}  // namespace tessary
