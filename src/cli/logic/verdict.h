// What tessaryc says of a compare and of the compare after an undo, from what the run
// compared: "no changes" and "nothing left over" are said only of what was looked at,
// every place that was not is named, and a run that compared nothing gives no verdict.
// No <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compare/logic/compare_coverage.h"

namespace tessary::cli {

enum class Verdict {
  NothingCompared,  // no section compared anything: nothing can be said
  NoneFound,        // nothing found (no changes / nothing left over) in all that was compared
  Found,            // something found
};

Verdict JudgeCompare(const CompareCoverage& coverage, std::size_t found);

// The closing lines of a compare: "3 changes found", "0 changes found in what was
// compared" (something was not compared), "nothing was compared: no verdict can be
// given", then one "not compared: WHAT (WHY)" line for each place left out.
std::vector<std::string> CompareVerdictLines(const CompareCoverage& coverage, std::size_t changes, bool cancelled);

// The closing lines of the compare after an undo: "nothing left over" (everything was
// compared), "nothing left over in what was compared", or "nothing was compared after the
// undo: what is left over is unknown"; then the places not compared. When something is
// left over, the caller lists it before these lines, which then name only what was not
// compared.
std::vector<std::string> LeftoverVerdictLines(const CompareCoverage& coverage, std::size_t leftovers);

}  // namespace tessary::cli
