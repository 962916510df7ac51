// The deep compare of one place: the backup's deep listing and a walk of the live tree,
// both in the walk's order (platform/tree_entry.h), merged in one pass. Memory holds the
// current entry of each side, never a whole tree. No <windows.h> here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/tree_entry.h"

namespace tessary {

// A new entry, reported once: for a folder, with what it holds.
struct DeepAdded {
  TreeEntry entry;
  std::uint64_t files = 0;  // files at any depth below a folder; 1 for a file
  std::uint64_t bytes = 0;  // their sizes together
};

class DeepFindings {
 public:
  virtual ~DeepFindings() = default;
  virtual void Added(const DeepAdded& added) = 0;
  // A file of the same name whose size or last-write time differs.
  virtual void Updated(const TreeEntry& before, const TreeEntry& now) = 0;
  // Gone since the backup: the top-most entry only.
  virtual void Deleted(const TreeEntry& before) = 0;
  // Called for every entry the merge passes; false stops it (a cancel).
  virtual bool Step() = 0;
};

// Entries are the same entry when their keys are equal (names that differ only in
// letter case name one entry, as for the file system); a folder that became a file of
// the same name, or a file that became a folder, is the old one deleted and the new one
// added. Folders are never updated (their times change with what they hold). False when
// Step() stopped the merge.
bool MergeTrees(TreeSource& before, TreeSource& now, DeepFindings& findings);

// The report lines of the findings (no line end), paths relative to the place.
// "ADDED  : path  (DIR)  3 files, 1,024 bytes" or "ADDED  : path  1,024 bytes"
std::string DeepAddedLine(const DeepAdded& added);
// "UPDATED: path  OLD: 1,024 bytes 2024-05-01 10:00:00.0000000 UTC  NEW: 2,048 bytes ..."
std::string DeepUpdatedLine(const TreeEntry& before, const TreeEntry& now);
// "DELETED: path" ("  (DIR)" after a folder's path)
std::string DeepDeletedLine(const TreeEntry& before);

}  // namespace tessary
