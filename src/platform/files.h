// File-system wrappers: directory search, file times in packed DOS form, existence
// and write tests, drives and free space, LZ copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dos_time.h"
#include "handles.h"

namespace tessary {

struct FindEntry {
  std::string name;  // long file name, no path
  DWORD attributes = 0;
  FILETIME lastWrite{};
  std::uint64_t size = 0;
};

// The directory search over one pattern, in the order the file system returns the
// entries; the find handle is closed on every path. It searches with the "W" functions
// and gives each name in the program's code page (UTF-8), so that a long name whose
// UTF-8 form is longer than the "A" functions' 260 bytes comes whole.
class DirSearch {
 public:
  explicit DirSearch(const std::string& pattern);
  // The next entry, or false at the end (or when the pattern matched nothing).
  bool Next(FindEntry& entry);
  // Why the search ended early: 0 at a normal end, else the system's error. A pattern
  // that matches nothing or names a folder that does not exist counts as a normal end;
  // a folder that cannot be read does not.
  DWORD error() const { return error_; }

 private:
  DWORD error_ = 0;
  WIN32_FIND_DATAW data_{};
  FindHandle handle_;
  bool pending_ = false;
};

// The names of the plain files (folders left out) that match `pattern`, in the order of
// the directory search; empty when none matches or the folder cannot be read.
std::vector<std::string> FileNamesMatching(const std::string& pattern);

// A UTC file time as local packed DOS date and time.
DosDateTime ToDosDateTime(const FILETIME& utc);
// The local last-write time of a file in packed DOS form, or nothing when it cannot be opened.
[[nodiscard]] std::optional<DosDateTime> FileDosDateTime(const std::string& path);
// Sets a file's last-write time from a local civil time (for tests and tools).
[[nodiscard]] bool SetFileLastWrite(const std::string& path, const CivilTime& local);

bool PathExists(const std::string& path);       // file or directory
bool FileExists(const std::string& path);       // an existing file, not a directory
bool DirectoryExists(const std::string& path);
[[nodiscard]] std::optional<std::uint64_t> FileSize(const std::string& path);
// Whether the file can be opened for writing (it must exist).
[[nodiscard]] bool CanWriteFile(const std::string& path);
// Creates or truncates a file to zero length.
[[nodiscard]] bool CreateEmptyFile(const std::string& path);

// The whole content of a file, byte for byte, or nothing when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);

// A file being written through WriteFile, every write checked. Opened to create (an
// old file of the name is emptied) or to append (writes go to the end). A write either
// lands whole or not at all: a write that fails part-way is cut back, so the file ends
// where the last complete write ended. Closed with the object.
class OutputFile {
 public:
  enum class Mode { Create, Append };
  OutputFile() = default;
  OutputFile(const std::string& path, Mode mode) { Open(path, mode); }
  bool Open(const std::string& path, Mode mode);
  bool is_open() const { return static_cast<bool>(handle_); }
  // False when the file is not open, or a write (this or an earlier one) failed.
  bool Write(const std::string& bytes);
  // Writes what the system holds to the disk.
  bool Flush();
  // Closes the file; false when it was never open, a write failed or the close failed.
  bool Close();
  bool ok() const { return is_open() && ok_; }
  const std::string& path() const { return path_; }

 private:
  UniqueHandle handle_;
  std::string path_;
  bool ok_ = false;
};

// Where a file is written before it replaces `target`: target + ".new", beside it.
std::string SideFileFor(const std::string& target);

// The one way a file is rewritten: the content is written to SideFileFor(target),
// flushed to the disk, and only then moved over the target (MoveFileExA with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). A target that exists keeps its
// attributes (hidden, system, archive); a read-only target or a folder is refused. On
// any failure the target is as it was and the side file is gone.
[[nodiscard]] bool WriteFileReplacing(const std::string& target, const std::string& content);

// The last step of the same: moves a complete, flushed side file over `target`, which
// keeps its attributes when it exists. A read-only target or a folder is refused. On
// failure the target is unchanged (the side file stays; the caller removes it).
[[nodiscard]] bool ReplaceWithSideFile(const std::string& side, const std::string& target);

// As WriteFileReplacing, for a target that must exist already (the device= rewrite of
// system.ini): a missing target is refused.
[[nodiscard]] bool ReplaceFileKeepingAttributes(const std::string& target, const std::string& content);

// CopyFileA (the copy replaces `to`), DeleteFileA and MoveFileExA with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, as the fault seam allows them.
[[nodiscard]] bool CopyFileChecked(const std::string& from, const std::string& to);
[[nodiscard]] bool DeleteFileChecked(const std::string& path);
[[nodiscard]] bool MoveFileReplacing(const std::string& from, const std::string& to);
// Deletes a file whose removal is a courtesy, not a result: a side file left by a failed
// write, a work file, the partner of a file that could not be kept. DeleteFileChecked
// without an answer; a missing file is no matter.
void DeleteLeftover(const std::string& path);

// The other changes to files and folders, as the fault seam allows them (false with the
// reason as the thread's last error): SetFileAttributesA (a write); CreateDirectoryA of
// one folder (a create; ERROR_ALREADY_EXISTS when something of the name is there);
// RemoveDirectoryA of an empty folder (a delete); and MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT, which deletes a file in use when Windows next starts
// (a delete).
[[nodiscard]] bool SetPathAttributes(const std::string& path, DWORD attributes);
[[nodiscard]] bool CreateFolder(const std::string& path);
[[nodiscard]] bool RemoveEmptyFolder(const std::string& path);
[[nodiscard]] bool DeleteAtRestart(const std::string& path);

// GetDriveTypeA of "L:\".
UINT DriveTypeOf(char letter);
// Free bytes of a drive root: free clusters x sectors per cluster x bytes per sector.
[[nodiscard]] std::optional<std::uint64_t> FreeBytes(const std::string& root);

enum class LzCopyResult { Ok, SourceOpenFailed, DestOpenFailed, CopyFailed };
// Copies `source` to `dest` through the LZ expand-copy operation: an SZDD-compressed
// source is expanded, an ordinary one copied byte for byte. The copy keeps the
// source's last-write time. CopyFailed also covers a copy that could not be written
// whole (a full disk).
[[nodiscard]] LzCopyResult LzCopyFile(const std::string& source, const std::string& dest);

// The Windows and System directories as the system reports them; each of these is
// empty when the system cannot give it or it does not fit MAX_PATH.
std::string WindowsDirectory();
std::string SystemDirectory();
std::string SystemWow64Directory();  // the 32-bit System folder of a 64-bit system
std::string TempDirectory();
std::string CurrentDirectory();
// The full path of the running program; empty when it cannot be read whole.
std::string ProgramPath();

}  // namespace tessary
