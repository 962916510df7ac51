// A compare report read back into its sections and findings, for the counts tessaryc
// prints, its JSON and what track finds left over after an undo. The report stays the
// one written by the compare run; this only reads it. No <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/install_summary.h"

namespace tessary::cli {

enum class SectionKind { Boot, Ini, Registry, Directory, FreeSpace, Deep };

const char* SectionKindName(SectionKind kind);  // "boot", "ini", "registry", "directory", "freeSpace", "deep"

struct ReportFinding {
  // "added", "deleted", "changed" (INI), "updated" (directory), "leftOut" (a name no line
  // can carry), "increase" / "decrease" (free space)
  std::string change;
  std::string line;     // the report line (a CHANGED entry: its TO: line)
  std::string context;  // boot: the block label; INI: the section name
  std::string key, value, from;  // INI: key and value (CHANGED: value now, `from` before)
  std::string name;              // directory: the entry's name, without "  (DIR)"; deep: its
                                 // path within the place, without "  (DIR)" and the counts
  bool isDirectory = false;
  std::string newTime, oldTime;  // directory, updated
  char drive = 0;                // free space
  std::uint64_t bytes = 0;       // free space: the amount of the change
  bool noAction = false;         // the report says this finding has no undo action
};

struct ReportSection {
  SectionKind kind = SectionKind::Boot;
  // "AUTOEXEC.BAT", "WIN.INI", "Registry", the directory as the report names it
  // ("C:\windows", "C:\"), "Free disk space", a deep place's folder
  std::string name;
  bool sameDate = false;  // boot or INI: "No changes made (File has same date/time)"
  std::vector<ReportFinding> findings;
  std::vector<std::string> notes;  // branches or directories left out, and the like
};

struct ReportSummary {
  std::string title;  // the first line
  std::string path;   // the second line
  std::vector<ReportSection> sections;
  std::vector<std::string> notScanned;  // "--... not scanned" lines
  bool cancelled = false;      // ends with "---COMPARE CANCELLED BY USER---"
  bool noChangesLine = false;  // ends with "---No Changes found---"
  // The install summary before the raw sections (deep tracking or registry values on);
  // nothing for a standard report.
  std::optional<std::vector<SummaryItem>> installSummary;

  // Findings of every section but free space: what counts as a change.
  std::size_t Changes() const;
  // The section of that kind and name (case-insensitive), or null.
  const ReportSection* Find(SectionKind kind, std::string_view name) const;
};

// Reads a report as the compare run writes it (full or brief).
ReportSummary ReadReport(std::string_view text);

// "1 added, 2 changed" for a section; "no changes" when it has none.
std::string CountsText(const ReportSection& section);

// The install summary as tessaryc prints it first (lines without line ends):
//   summary: 3 items, 1 for a second look
//     [1] Starts with Windows: "Foo" runs C:\foo.exe (Run, this user)
//         second look: it starts with Windows, every time
//         undo: 1 action (undo --only-summary 1)
//         no undo: C:\windows\system32\b.dll: a changed file's old content is not kept
std::vector<std::string> SummaryLines(const std::vector<SummaryItem>& items);

}  // namespace tessary::cli
