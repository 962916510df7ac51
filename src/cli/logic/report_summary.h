// A compare report written earlier, read into the sections and findings a compare run
// returns (compare/logic/compare_findings.h), and what tessaryc sums up of either: the
// counts it prints, its JSON and what track finds left over after an undo. A run's own
// results come from the run, never from this reader. No <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/install_summary.h"
#include "compare/logic/compare_findings.h"

namespace tessary::cli {

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
