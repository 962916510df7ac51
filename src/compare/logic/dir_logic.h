// Pure pieces of the directory and free-space comparison: the backup listing as a
// lookup table, the classification of one current entry, the report lines, digit
// grouping and the free-space record. No <windows.h> here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/ascii.h"
#include "platform/dos_time.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {

// "1234567" -> "1,234,567"; one to three digits stay as they are.
std::string GroupDigits(std::uint64_t value);

// "%02d:%02d  %d %s %d": hour, minute, day, month name, year ("15:00  3 Dec 1996").
std::string FormatReportDate(DosDateTime when);

// A backup listing held in memory: each line's key (the entry name with its marker)
// maps to the date-and-time text of the first line with that key, compared without
// regard to case. Building it is one pass; each lookup is a hash probe.
class BackupListing {
 public:
  explicit BackupListing(std::string content);
  BackupListing(const BackupListing&) = delete;
  BackupListing& operator=(const BackupListing&) = delete;
  // The text after the key's comma ("8579,30720"), line end removed, or nothing.
  std::optional<std::string_view> Find(std::string_view key) const;
  std::size_t size() const { return index_.size(); }

 private:
  std::string content_;
  std::unordered_map<std::string_view, std::string_view, NoCaseHash, NoCaseEqual> index_;
};

// The packed date and time of a listing's "date,time" text (leading digits of each).
DosDateTime ParseListingDateTime(std::string_view dateTime);
// "date,time" as a listing writes it.
std::string ListingDateTime(DosDateTime when);

enum class EntryFinding { Unchanged, Updated, Added };

struct EntryCheck {
  EntryFinding finding = EntryFinding::Unchanged;
  std::string_view oldDateTime;  // Updated: the listing's text
};

// How a listing marks its folders: every one with "  (DIR)" (every listing of a set
// with a completion record), or as older backups did, a folder with other attributes
// (hidden, read-only, ...) and a file named like "x  (FILE)" under the bare name.
enum class ListingForm { EveryFolderMarked, Older };

// Classifies one current entry (`name` without marker; `isDirectory` whatever its
// other attributes) against the listing, looked up by its listing key. In an older
// listing a directory, or a file named like "x  (FILE)", not found under its key is
// looked up bare as well; in a listing that marks every folder a bare line is a file's,
// so a folder that replaced a file of its name is Added.
EntryCheck CheckEntry(const BackupListing& listing, const std::string& name, bool isDirectory, DosDateTime now,
                      bool excludeIni, bool excludeGrp, ListingForm form = ListingForm::Older);

// What a current entry's name allows the report and the action file to do with it.
enum class EntryNameUse {
  Action,      // reported; a REMOVEFILE line names exactly this entry
  NoAction,    // reported without an action: an action line would name another entry
  Unwritable,  // no line can carry the name: reported as left out
};
// A name holding a control character is Unwritable. A name ending in a dot or a blank
// (the system drops that end from a path, so the line would reach "name" without it,
// or with nothing left the folder itself), holding a character that a path cannot
// carry as part of one name (\ / : * ? " < > |), or a file's name ending in "  (DIR)"
// (the line would name a folder) is NoAction.
EntryNameUse ClassifyEntryName(const std::string& name, bool isDirectory);

// "UPDATED: name<tabs>\tNEW:<date>\tOLD:<date>" (no line end).
std::string UpdatedLine(const std::string& name, DosDateTime now, DosDateTime old);
// "ADDED  : " and the entry's listing key (no line end).
std::string AddedLine(const std::string& name, bool isDirectory);
// The directory as the report and the actions name it: a drive root keeps its
// backslash ("C:\"), any other directory is written as given.
std::string ReportDirectory(const std::string& directory);

// The free bytes of a free-space record: the number in its first word. Records are
// unsigned decimals; an older record written as a negative 32-bit number is read as
// the unsigned 32-bit count it stood for. Nothing when the word is not a number.
std::optional<std::uint64_t> ParseFreeSpaceRecord(std::string_view content);

// The report line of a free-space change ("Decrease in free disk space on drive D:
// ..." with its line end), or "" when nothing changed.
std::string FreeSpaceChangeLine(char letter, std::uint64_t before, std::uint64_t now);
// The paging note for a drive (two lines, each with its line end).
std::string PagingNote(char letter);

}  // namespace tessary
