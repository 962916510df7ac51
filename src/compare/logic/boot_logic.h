// The set comparison of the boot-file sections, without the files and the report: one
// pass takes the pieces of one file in order and tells which of them the other file
// lacks, and under which label line. No <windows.h> here.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/ascii.h"

namespace tessary {

// One pass over the pieces of the scanned file (SplitLinePieces) against those of the
// other file. A piece that some piece of the other file equals without regard to case
// is no finding. A piece beginning with ":" is a label (a multi-boot block such as
// ":DOS"): a finding after it is reported under it, and the label line is written once
// before the first finding of each run of findings under it.
class BootPass {
 public:
  // Keeps views into `other`, which must outlive the pass.
  explicit BootPass(const std::vector<std::string>& other);
  BootPass(const BootPass&) = delete;
  BootPass& operator=(const BootPass&) = delete;

  // The report lines for the next scanned piece, in order: none when the other file
  // holds it; else the label line when one is due, then the piece itself.
  std::vector<std::string> Take(const std::string& piece);

 private:
  std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> other_;
  std::string currentLabel_;
  std::string lastLabelWritten_;
  bool anyLabelWritten_ = false;
};

// Every report line of one whole pass of `scanned` against `other`.
std::vector<std::string> BootPassLines(const std::vector<std::string>& scanned, const std::vector<std::string>& other);

}  // namespace tessary
