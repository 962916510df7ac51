// Pure pieces of the registry comparison.
#include "compare/logic/registry_logic.h"

#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary {

std::vector<std::string_view> SnapshotLines(std::string_view content) {
  std::vector<std::string_view> lines;
  ForEachLine(content, [&](std::string_view line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

bool SnapshotsSame(std::string_view current, std::string_view backup) {
  std::vector<std::string_view> backupLines = SnapshotLines(backup);
  std::size_t index = 0;
  bool same = true;
  ForEachLine(current, [&](std::string_view line) {
    same = index < backupLines.size() && EqualsNoCase(line, backupLines[index]);
    ++index;
    return same;
  });
  return same;
}

SnapshotKeySet::SnapshotKeySet(std::string content) : content_(std::move(content)) {
  keys_.reserve(content_.size() / 24 + 16);
  ForEachLine(content_, [&](std::string_view line) {
    keys_.insert(line);
    return true;
  });
}

}  // namespace tessary
