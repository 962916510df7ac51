// Pure pieces of the registry comparison: the unchanged-snapshot test and the set of
// key paths of a backup snapshot. No <windows.h> here.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tessary {

// The lines of a snapshot file, line ends removed (views into `content`).
std::vector<std::string_view> SnapshotLines(std::string_view content);

// True when every line of the current snapshot equals the line at the same position
// of the backup snapshot without regard to case; the backup may have further lines.
bool SnapshotsSame(std::string_view current, std::string_view backup);

// The key paths of a backup snapshot, built once; lookups regard case and compare
// whole lines.
class SnapshotKeySet {
 public:
  explicit SnapshotKeySet(std::string content);
  SnapshotKeySet(const SnapshotKeySet&) = delete;
  SnapshotKeySet& operator=(const SnapshotKeySet&) = delete;
  bool Contains(std::string_view keyPath) const { return keys_.count(keyPath) != 0; }
  std::size_t size() const { return keys_.size(); }

 private:
  std::string content_;
  std::unordered_set<std::string_view> keys_;
};

}  // namespace tessary
