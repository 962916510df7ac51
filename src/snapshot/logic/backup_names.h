// Names and records of the backup set that do not need the system: the extensions by
// run mode, and the text of one listing line and of one free-space record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

#include "core/app_state.h"
#include "platform/dos_time.h"

namespace tessary {

// File copies and directory listings: "snb" in Sentinox mode, else "tsb".
std::string BackupExtension(RunMode mode);
// Free-space records: "tsb" only in Interactive mode, else "snb" (a backup that the
// program starts by itself writes them with "snb").
std::string FreeSpaceExtension(RunMode mode);
// Registry snapshot files of a backup: "SNB" in Sentinox mode, else "TSB".
std::string RegistryBackupExtension(RunMode mode);

// The fixed files of a backup set, in the order a backup writes them: the copies of the
// boot and INI files, then the listings of the standard directories. Backup takes from
// here where each one comes from and the text its progress shows; Compare's Sentinox
// check and tessaryc's check of a set take which files they need. (The root, optional
// and deep listings, the registry snapshots and the free-space records vary with the
// machine and the settings and are not in this table.)
enum class SetFileSource {
  BootDrive,      // a copy of `path` as it is ("c:\autoexec.bat")
  WindowsFolder,  // a copy of the Windows directory + `path` ("\win.ini")
  WindowsTree,    // the listing of the Windows directory + `path` ("" for itself, "\system")
  ProgramFiles,   // the listing of the Windows drive's "\Program Files"
  StartMenu,      // the listing of the Start-menu programs folder (StartMenuProgramsFolder)
  Desktop,        // the listing of the desktop folder (DesktopFolder)
};
struct BackupSetFile {
  const char* base;         // "autoexec": the file is base + "." + the set's extension
  const char* title;        // the backup's progress text for it
  SetFileSource source;
  const char* path;         // see SetFileSource
  bool sentinoxNeeds;       // a Sentinox pass compares only with a set that holds it
};
inline constexpr BackupSetFile kBackupSetFiles[] = {
    {"autoexec", "Autoexec.bat", SetFileSource::BootDrive, "c:\\autoexec.bat", true},
    {"config", "Config.sys", SetFileSource::BootDrive, "c:\\config.sys", true},
    {"win", "WIN.INI", SetFileSource::WindowsFolder, "\\win.ini", true},
    {"system", "SYSTEM.INI", SetFileSource::WindowsFolder, "\\system.ini", true},
    {"protocol", "PROTOCOL.INI", SetFileSource::WindowsFolder, "\\protocol.ini", true},
    {"msdos", "MSDOS.SYS", SetFileSource::BootDrive, "c:\\msdos.sys", true},
    {"windir", "Windows Directory", SetFileSource::WindowsTree, "", true},
    {"sysdir", "System directory", SetFileSource::WindowsTree, "\\system", true},
    {"fontdir", "Fonts", SetFileSource::WindowsTree, "\\fonts", true},
    {"infdir", "Inf", SetFileSource::WindowsTree, "\\inf", true},
    {"helpdir", "Help", SetFileSource::WindowsTree, "\\help", true},
    {"prgsdir", "Program Files", SetFileSource::ProgramFiles, "\\Program Files", false},
    {"startdir", "Start Directory", SetFileSource::StartMenu, "", true},
    {"desktop", "Desktop", SetFileSource::Desktop, "", true},
};
// Whether the set file is a copy of a live file (else a directory listing).
constexpr bool IsCopy(const BackupSetFile& f) {
  return f.source == SetFileSource::BootDrive || f.source == SetFileSource::WindowsFolder;
}

// File attribute bits as the directory search reports them.
namespace attr {
constexpr std::uint32_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04, kDirectory = 0x10, kArchive = 0x20;
}

// Whether a directory entry is listed: hidden and system files are left out, every
// directory is kept.
bool ListedInBackup(std::uint32_t attributes);

// The marker after a directory's name in a listing, a report line and an action line.
inline constexpr std::string_view kDirMarker = "  (DIR)";
// The marker after a file whose own name ends like a marker ("Keep  (DIR)"), so that
// it never reads as a directory.
inline constexpr std::string_view kFileMarker = "  (FILE)";

// Whether `name` ends in `marker`, without regard to case.
bool EndsWithMarker(std::string_view name, std::string_view marker);

// The key of a directory entry, as a listing line holds it and Compare looks it up: a
// directory's name with "  (DIR)", whatever its other attributes; a file's name as
// it is, unless it ends (in any case) in "  (DIR)" or "  (FILE)": then "  (FILE)"
// follows. No file and no directory share a key.
std::string ListingKey(const std::string& name, bool isDirectory);

// One listing line with its CR LF: the entry's key, then the packed date and time as
// unsigned decimals. Empty for a name that one line cannot carry (a control
// character in it): such an entry is left out.
std::string ListingRecord(const std::string& name, std::uint32_t attributes, DosDateTime stamp);

// The content of a free-space record: the byte count as an unsigned decimal, no line end.
std::string FreeSpaceRecord(std::uint64_t bytes);

// The completion record of a backup set, "complete." + ext in the backup directory.
// A backup writes it last: the set's files (those with the set's extension, in any
// letter case, except the free-space records, which another mode's backup may
// rewrite) with their sizes, and whether every one of them was put in place. A set
// without a record was written before backups kept one.
inline constexpr char kBackupRecordBase[] = "complete";
struct BackupRecordFile {
  std::string name;
  std::uint64_t size = 0;
  bool operator==(const BackupRecordFile& o) const { return name == o.name && size == o.size; }
};
struct BackupRecord {
  bool complete = false;
  std::vector<BackupRecordFile> files;
};
// Whether a file of the backup directory belongs in the record of the set `ext`.
bool RecordedInBackupSet(const std::string& name, const std::string& ext);
// The record as text: a first line "TESSARY BACKUP SET COMPLETE" (or "INCOMPLETE"), then
// one line "name,size" per file, each ended by CR LF.
std::string FormatBackupRecord(const BackupRecord& record);
// The record a text holds; nothing when the text is no record (cut short, damaged).
std::optional<BackupRecord> ParseBackupRecord(std::string_view text);

}  // namespace tessary
