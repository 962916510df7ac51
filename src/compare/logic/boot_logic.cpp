#include "compare/logic/boot_logic.h"

namespace tessary {

BootPass::BootPass(const std::vector<std::string>& other) : other_(other.begin(), other.end(), other.size() * 2 + 1) {}

std::vector<std::string> BootPass::Take(const std::string& piece) {
  std::vector<std::string> lines;
  if (!piece.empty() && piece.front() == ':') currentLabel_ = piece;
  if (other_.count(piece) != 0) return lines;
  if (!currentLabel_.empty() && (!anyLabelWritten_ || currentLabel_ != lastLabelWritten_)) {
    lines.push_back(currentLabel_);
    lastLabelWritten_ = currentLabel_;
    anyLabelWritten_ = true;
  }
  lines.push_back(piece);
  return lines;
}

std::vector<std::string> BootPassLines(const std::vector<std::string>& scanned, const std::vector<std::string>& other) {
  BootPass pass(other);
  std::vector<std::string> lines;
  for (const std::string& piece : scanned) {
    for (std::string& line : pass.Take(piece)) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace tessary
