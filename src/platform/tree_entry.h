// One entry of a folder tree as a deep listing holds it, and the order in which a walk
// of the tree gives entries: a folder, then everything below it, then its next sibling;
// siblings by their folded names (letter case does not count, as it does not for the
// file system). No <windows.h> here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

// Stands for the backslash between two names in a key. It is lower than every byte a
// name can hold, so comparing keys byte by byte gives the walk's order: "a", "a\b",
// "a b".
inline constexpr char kTreeKeySeparator = '\x01';

struct TreeEntry {
  std::string path;            // relative to the tree's root, names joined by "\"
  std::string key;             // the path with each name folded, joined by kTreeKeySeparator
  std::uint64_t size = 0;      // 0 for a folder
  std::uint64_t writeTime = 0; // last write, UTC, 100-nanosecond intervals since 1601
  std::uint32_t attributes = 0;

  static constexpr std::uint32_t kFolder = 0x10, kLink = 0x400;  // directory, reparse point
  bool IsFolder() const { return (attributes & kFolder) != 0; }
  bool IsLink() const { return (attributes & kLink) != 0; }
};

// A tree given entry by entry in the walk's order: a walk of the live tree, or a
// listing read back.
class TreeSource {
 public:
  virtual ~TreeSource() = default;
  // The current entry, or null at the end.
  virtual const TreeEntry* Peek() = 0;
  virtual void Pop() = 0;
};

// Whether the entry of key `key` lies below the folder of key `folder`.
inline bool IsBelow(std::string_view key, std::string_view folder) {
  return key.size() > folder.size() + 1 && key[folder.size()] == kTreeKeySeparator &&
         key.substr(0, folder.size()) == folder;
}

// The name of an entry: the last piece of its path.
inline std::string_view LeafName(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
// The folder of an entry, relative: the path without its last piece ("" at the top).
inline std::string_view ParentPath(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

}  // namespace tessary
