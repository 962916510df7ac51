// The writers of the backup set: file copies, directory listings, optional-directory
// name files and free-space records, all directly in the backup directory. Compare
// reads the same names back, and uses the swap-file rule below for the live side.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {

// BackupDirectory + "\" + base + "." + ext
std::string BackupFilePath(const AppState& state, const std::string& base, const std::string& ext);

// Copies a live file into the backup set through the LZ copy, keeping its last-write
// time. A missing live file gives an empty backup file. When the copy cannot be made
// (source or destination cannot be opened, or the copy itself fails) it shows the copy
// message with the source path as caption and returns false.
bool CopyIntoBackup(EngineHost& host, const std::string& source, const std::string& dest, WindowHandle owner);

// Writes the listing of `directory` (a non-recursive scan of directory + "\*.*") to
// `outPath`. A directory that does not exist gives an empty listing. False when the
// output could not be written, or when the directory exists but could not be read
// (then `unreadable`, when given, is set): such a folder is never listed as empty.
bool WriteListing(const std::string& directory, const std::string& outPath, bool* unreadable = nullptr);

// The swap-file rule, the one both the free-space record and Compare's free space
// use: the size of the Windows swap file when it lies on drive `letter`, read from
// [386enh] PagingDrive (8 characters) and PagingFile of `systemIni`; 0 when it is
// elsewhere or cannot be found. "none" and the drive letters match in any case.
std::uint64_t SwapFileSize(const std::string& systemIni, const std::string& windowsDirectory, char letter);

// The free bytes of drive `letter` plus the swap file on it, in 64-bit arithmetic.
std::uint64_t FreeSpaceWithSwap(const std::string& windowsDirectory, char letter);

// Writes "\<L>_free.<ext>" with the free-space record of drive `letter`, in `directory`
// (the backup directory when empty).
bool WriteFreeSpaceRecord(const AppState& state, char letter, const std::string& ext, const std::string& directory = {});

// Writes "\optdirN.nam" (the directory as the setting holds it, no line end) and the
// listing "\optdirN.<ext>" for each [Directories] OptN that is set and names an
// existing directory, in `directory` (the backup directory when empty). False when some
// file could not be written or an optional directory could not be read; each unreadable
// directory is added to `unreadable` when given.
bool WriteOptionalDirectories(EngineHost& host, const std::string& ext, const std::string& directory = {},
                              std::vector<std::string>* unreadable = nullptr);

// What stood in the backup directory under the stage's name when a backup began, when
// the backup cannot use it. Staging never follows, empties or removes a link.
enum class StageProblem {
  None,        // the stage is an empty folder of its own, ready
  Link,        // "backup.new" is a junction or symbolic link
  File,        // "backup.new" is a file
  CannotMake,  // the folder could not be made (or emptied of an earlier backup's files)
};
// The attributes of a path as the file system reports them (GetFileAttributes); tests
// stand a link in with a function of their own.
using PathAttributesFn = std::function<DWORD(const std::string& path)>;
DWORD PathAttributes(const std::string& path);

// The files of one backup, written into a folder of their own in the backup directory
// ("backup.new", emptied of what a failed backup left there) and moved into the set only
// when every one of them is complete: a backup that failed is never the baseline.
class BackupStage {
 public:
  explicit BackupStage(std::string backupDirectory);
  ~BackupStage();  // removes the folder it made or emptied, with what is left in it
  BackupStage(const BackupStage&) = delete;
  BackupStage& operator=(const BackupStage&) = delete;
  // Makes the stage: an absent "backup.new" is created, a folder of that name is
  // emptied of its files. A link, a file or a folder that cannot be made is left as it
  // is, and the backup must stop (nothing is written).
  [[nodiscard]] StageProblem Prepare(const PathAttributesFn& attributesOf = PathAttributes);
  const std::string& directory() const { return stage_; }
  std::string PathOf(const std::string& fileName) const { return stage_ + "\\" + fileName; }
  // Puts the staged files in place of the set's. First the completion record of `ext`
  // is written "incomplete" with the staged files of the set and their sizes, then each
  // file replaces its namesake, then the record is written "complete". False when a
  // step failed: before the first file moved the old set is whole and still recorded
  // complete; after it, its record says incomplete, and Compare refuses it until a
  // backup completes.
  [[nodiscard]] bool Commit(const std::string& ext);

 private:
  std::string backupDirectory_;
  std::string stage_;
  bool owned_ = false;  // Prepare made or emptied the folder: the destructor removes it
};

// The state of the backup set of extension `ext` in `backupDirectory`.
enum class BackupSetState {
  Unrecorded,  // no completion record: a set written before backups kept one
  Complete,    // recorded complete, every file there at its recorded size
  Incomplete,  // a backup did not finish, or a file went missing or changed size
};
BackupSetState CheckBackupSet(const std::string& backupDirectory, const std::string& ext);

// The files Compare may take for the set of extension `ext`: those its completion
// record names. A set without a record (written before backups kept one) has every
// file that is there, as before. A deep listing, a value snapshot or a root or user
// directory's listing that an older backup left beside a recorded set is not the set's:
// Compare treats it as absent.
class BackupSetFiles {
 public:
  BackupSetFiles() = default;  // no record: every file that is there
  static BackupSetFiles Read(const std::string& backupDirectory, const std::string& ext);
  // Whether `path` (a file in the backup directory) exists and, for a recorded set, is
  // named in the record (its name in any letter case).
  bool Holds(const std::string& path) const;
  bool recorded() const { return recorded_.has_value(); }

 private:
  std::optional<std::vector<std::string>> recorded_;
};

}  // namespace tessary
