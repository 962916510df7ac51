#include "cli/logic/verdict.h"

namespace tessary::cli {

namespace {

void AddNotCompared(const CompareCoverage& coverage, std::vector<std::string>& lines) {
  for (const NotCompared& n : coverage.notCompared)
    lines.push_back("not compared: " + n.what + " (" + NotComparedWhyText(n.why) + ")");
}

}  // namespace

Verdict JudgeCompare(const CompareCoverage& coverage, std::size_t found) {
  if (coverage.compared.empty()) return Verdict::NothingCompared;
  return found == 0 ? Verdict::NoneFound : Verdict::Found;
}

std::vector<std::string> CompareVerdictLines(const CompareCoverage& coverage, std::size_t changes, bool cancelled) {
  std::vector<std::string> lines;
  if (JudgeCompare(coverage, changes) == Verdict::NothingCompared) {
    lines.push_back("nothing was compared: no verdict can be given");
  } else {
    lines.push_back(std::to_string(changes) + (changes == 1 ? " change" : " changes") +
                    (cancelled ? " before the compare was interrupted" : " found") +
                    (coverage.notCompared.empty() ? "" : " in what was compared"));
  }
  AddNotCompared(coverage, lines);
  return lines;
}

std::vector<std::string> LeftoverVerdictLines(const CompareCoverage& coverage, std::size_t leftovers) {
  std::vector<std::string> lines;
  switch (JudgeCompare(coverage, leftovers)) {
    case Verdict::NothingCompared:
      lines.push_back("nothing was compared after the undo: what is left over is unknown");
      break;
    case Verdict::NoneFound:
      lines.push_back(coverage.notCompared.empty() ? "nothing left over" : "nothing left over in what was compared");
      break;
    case Verdict::Found: break;
  }
  AddNotCompared(coverage, lines);
  return lines;
}

}  // namespace tessary::cli
