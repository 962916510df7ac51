#include "snapshot/backup_set.h"


#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"

namespace tessary {

namespace {

constexpr char kCopyError[] =
    "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.";

bool IsDriveRoot(const std::string& path) {
  return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':';
}

bool WriteWhole(const std::string& path, const std::string& content) {
  OutputFile out(path, OutputFile::Mode::Create);
  const bool written = out.Write(content);
  return out.Close() && written;
}

}  // namespace

std::string BackupFilePath(const AppState& state, const std::string& base, const std::string& ext) {
  return state.BackupDirectory + "\\" + base + "." + ext;
}

bool CopyIntoBackup(EngineHost& host, const std::string& source, const std::string& dest, WindowHandle owner) {
  bool ok;
  if (!FileExists(source)) {
    // Compare always finds a copy: an absent live file is backed up as an empty one. It
    // carries the earliest date a file can have, so that a file created later, even in
    // the same two seconds as the backup, never passes for unchanged by its date.
    // A copy that could not be given that date is no such copy.
    ok = CreateEmptyFile(dest) && SetFileLastWrite(dest, CivilTime{});
  } else {
    ok = LzCopyFile(source, dest) == LzCopyResult::Ok;
  }
  if (!ok) host.Prompts().Ask(kCopyError, source, mb::kOk, owner);
  return ok;
}

bool WriteListing(const std::string& directory, const std::string& outPath, bool* unreadable) {
  OutputFile out(outPath, OutputFile::Mode::Create);
  if (!out.is_open()) return false;
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
  if (search.error()) {
    if (unreadable) *unreadable = true;
    return false;
  }
  const bool written = out.Write(text);
  return out.Close() && written;
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

bool WriteFreeSpaceRecord(const AppState& state, char letter, const std::string& ext, const std::string& directory) {
  std::string path = (directory.empty() ? state.BackupDirectory : directory) + "\\" + std::string(1, letter) + "_free." + ext;
  return WriteWhole(path, FreeSpaceRecord(FreeSpaceWithSwap(state.WindowsDirectory, letter)));
}

bool WriteOptionalDirectories(EngineHost& host, const std::string& ext, const std::string& directory,
                              std::vector<std::string>* unreadable) {
  Settings settings = host.AppSettings();
  bool ok = true;
  for (int n = 1; n <= 5; ++n) {
    std::string dir = settings.Read(settings::kOptDir[n - 1]);
    if (dir.empty() || !DirectoryExists(dir)) continue;
    std::string base = (directory.empty() ? host.State().BackupDirectory : directory) + "\\optdir" + std::to_string(n);
    ok &= WriteWhole(base + ".nam", dir);
    bool cannotRead = false;
    ok &= WriteListing(dir, base + "." + ext, &cannotRead);
    if (cannotRead && unreadable) unreadable->push_back(dir);
  }
  return ok;
}

namespace {

std::string RecordPath(const std::string& backupDirectory, const std::string& ext) {
  return backupDirectory + "\\" + kBackupRecordBase + "." + ext;
}

// Removes the files directly in a stage folder of our own, then the folder. A folder
// that has become a link since is left alone: nothing behind it is touched.
void RemoveStage(const std::string& stage) {
  if (IsLink(PathAttributes(stage))) return;
  std::vector<std::string> names;
  {
    DirSearch search(stage + "\\*");
    FindEntry entry;
    while (search.Next(entry))
      if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.name);
  }
  for (const std::string& name : names) {
    const std::string path = stage + "\\" + name;
    // A file that cannot be made writable or removed stays; Prepare then refuses the stage.
    static_cast<void>(SetPathAttributes(path, FILE_ATTRIBUTE_NORMAL));
    DeleteLeftover(path);
  }
  static_cast<void>(RemoveEmptyFolder(stage));  // what stays now goes at the next backup's Prepare
}

}  // namespace

DWORD PathAttributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

BackupStage::BackupStage(std::string backupDirectory)
    : backupDirectory_(std::move(backupDirectory)), stage_(backupDirectory_ + "\\backup.new") {}

BackupStage::~BackupStage() {
  if (owned_) RemoveStage(stage_);
}

StageProblem BackupStage::Prepare(const PathAttributesFn& attributesOf) {
  const DWORD attributes = attributesOf(stage_);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // Looked at before anything is listed: a link's target is never listed or emptied.
    if (IsLink(attributes)) return StageProblem::Link;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return StageProblem::File;
    owned_ = true;
    RemoveStage(stage_);  // what a failed backup left; the folder goes when it can
  }
  if (!CreateFolder(stage_) && GetLastError() != ERROR_ALREADY_EXISTS)
    return StageProblem::CannotMake;
  owned_ = true;
  // Whatever stands there now must be a folder of its own (not made a link or a file
  // in the meantime), and empty of files.
  const DWORD made = attributesOf(stage_);
  if (made == INVALID_FILE_ATTRIBUTES || IsLink(made) || !(made & FILE_ATTRIBUTE_DIRECTORY)) {
    owned_ = false;
    return IsLink(made) ? StageProblem::Link : made == INVALID_FILE_ATTRIBUTES ? StageProblem::CannotMake
                                                                               : StageProblem::File;
  }
  // A file an earlier backup left that could not be removed would go into the set.
  DirSearch search(stage_ + "\\*");
  FindEntry entry;
  while (search.Next(entry))
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) return StageProblem::CannotMake;
  return StageProblem::None;
}

bool BackupStage::Commit(const std::string& ext) {
  std::vector<FindEntry> staged;
  {
    DirSearch search(stage_ + "\\*");
    FindEntry entry;
    while (search.Next(entry))
      if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) staged.push_back(entry);
    if (search.error()) return false;
  }
  BackupRecord record;
  for (const FindEntry& f : staged)
    if (RecordedInBackupSet(f.name, ext)) record.files.push_back({f.name, f.size});
  const std::string recordPath = RecordPath(backupDirectory_, ext);
  if (!WriteFileReplacing(recordPath, FormatBackupRecord(record))) return false;
  for (const FindEntry& f : staged)
    if (!ReplaceWithSideFile(PathOf(f.name), backupDirectory_ + "\\" + f.name)) return false;
  record.complete = true;
  return WriteFileReplacing(recordPath, FormatBackupRecord(record));
}

BackupSetState CheckBackupSet(const std::string& backupDirectory, const std::string& ext) {
  const std::string recordPath = RecordPath(backupDirectory, ext);
  if (!PathExists(recordPath)) return BackupSetState::Unrecorded;
  const std::optional<std::string> text = ReadWholeFile(recordPath);
  const std::optional<BackupRecord> record = text ? ParseBackupRecord(*text) : std::nullopt;
  if (!record || !record->complete) return BackupSetState::Incomplete;
  for (const BackupRecordFile& f : record->files)
    if (FileSize(backupDirectory + "\\" + f.name) != f.size) return BackupSetState::Incomplete;
  return BackupSetState::Complete;
}

BackupSetFiles BackupSetFiles::Read(const std::string& backupDirectory, const std::string& ext) {
  BackupSetFiles files;
  const std::optional<std::string> text = ReadWholeFile(RecordPath(backupDirectory, ext));
  if (!text) return files;
  files.recorded_.emplace();
  if (const std::optional<BackupRecord> record = ParseBackupRecord(*text))
    for (const BackupRecordFile& f : record->files) files.recorded_->push_back(f.name);
  return files;
}

bool BackupSetFiles::Holds(const std::string& path) const {
  if (!FileExists(path)) return false;
  if (!recorded_) return true;
  const std::string name = path.substr(path.rfind('\\') + 1);
  for (const std::string& f : *recorded_)
    if (EqualsNoCase(f, name)) return true;
  return false;
}

}  // namespace tessary
