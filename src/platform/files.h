// File-system wrappers: directory search, file times in packed DOS form, existence
// and write tests, drives and free space, LZ copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

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

 private:
  WIN32_FIND_DATAW data_{};
  FindHandle handle_;
  bool pending_ = false;
};

// A UTC file time as local packed DOS date and time.
DosDateTime ToDosDateTime(const FILETIME& utc);
// The local last-write time of a file in packed DOS form, or nothing when it cannot be opened.
std::optional<DosDateTime> FileDosDateTime(const std::string& path);
// Sets a file's last-write time from a local civil time (for tests and tools).
bool SetFileLastWrite(const std::string& path, const CivilTime& local);

bool PathExists(const std::string& path);       // file or directory
bool FileExists(const std::string& path);       // an existing file, not a directory
bool DirectoryExists(const std::string& path);
std::optional<std::uint64_t> FileSize(const std::string& path);
// Whether the file can be opened for writing (it must exist).
bool CanWriteFile(const std::string& path);
// Creates or truncates a file to zero length.
bool CreateEmptyFile(const std::string& path);

// The whole content of a file, byte for byte, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the content of an existing file safely: the new content is written beside it
// (target + ".new"), flushed to the disk, and only then moved over the target, which
// keeps its attributes (hidden, system, archive). A read-only target is refused, as the
// INI functions refuse it. False on any failure, the target then unchanged.
bool ReplaceFileKeepingAttributes(const std::string& target, const std::string& content);

// GetDriveTypeA of "L:\".
UINT DriveTypeOf(char letter);
// Free bytes of a drive root: free clusters x sectors per cluster x bytes per sector.
std::optional<std::uint64_t> FreeBytes(const std::string& root);

enum class LzCopyResult { Ok, SourceOpenFailed, DestOpenFailed, CopyFailed };
// Copies `source` to `dest` through the LZ expand-copy operation: an SZDD-compressed
// source is expanded, an ordinary one copied byte for byte. The copy keeps the
// source's last-write time.
LzCopyResult LzCopyFile(const std::string& source, const std::string& dest);

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
