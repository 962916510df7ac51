// Pure pieces of the registry comparison.
#include "compare/logic/registry_logic.h"

#include "platform/ascii.h"

namespace tessary {

namespace {

// Calls `each` with every line of `content`, line end removed.
template <typename F>
void ForEachLine(std::string_view content, F each) {
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!each(line)) return;
    start = next;
  }
}

}  // namespace

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
