// What a compare found, section by section: the typed result the compare run returns
// beside the report it writes, and what tessaryc's report reader makes of a report
// written earlier. One section per heading of the report, in its order. No <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

enum class SectionKind { Boot, Ini, Registry, RegistryValues, Directory, FreeSpace, Deep };

// "boot", "ini", "registry", "registryValues", "directory", "freeSpace", "deep"
const char* SectionKindName(SectionKind kind);

struct ReportFinding {
  // "added", "deleted", "changed" (INI, registry values), "updated" (directory), "leftOut"
  // (a name no line can carry), "increase" / "decrease" (free space)
  std::string change;
  std::string line;     // the report line (a CHANGED entry: its TO: line)
  std::string context;  // boot: the block label; INI: the section name
  std::string key, value, from;  // INI: key and value (CHANGED: value now, `from` before);
                                 // registry values: the key and the value's name as the
                                 // report gives them, its data now (`from`: before)
  std::string name;              // directory: the entry's name, without "  (DIR)"; deep: its
                                 // path within the place, without "  (DIR)" and the counts
  bool isDirectory = false;
  std::string newTime, oldTime;  // directory, updated: as the report shows them
  std::string newAt, oldAt;      // the same as ISO 8601 with seconds; only a run's own result
                                 // has them (the report shows no seconds)
  char drive = 0;                // free space
  std::uint64_t bytes = 0;       // free space: the amount of the change
  bool noAction = false;         // the report says this finding has no undo action
};

struct ReportSection {
  SectionKind kind = SectionKind::Boot;
  // "AUTOEXEC.BAT", "WIN.INI", "Registry", "Registry values", the directory as the report
  // names it ("C:\windows", "C:\"), "Free disk space", a deep place's folder
  std::string name;
  bool sameDate = false;  // boot or INI: "No changes made (File has same date/time)"
  std::vector<ReportFinding> findings;
  std::vector<std::string> notes;  // branches or directories left out, and the like
};

}  // namespace tessary
