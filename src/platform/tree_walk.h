// A walk of a folder tree in the deep listing's order (tree_entry.h): each folder's
// entries are read, sorted by their folded names and given one by one, a folder's
// subtree right after the folder. Only the folders on the way down are held, so memory
// grows with the largest folder, not with the tree. Junctions and symbolic links
// (reparse points) are given as entries and never entered; "." and "..", names holding
// a control character (no line can carry them) and the folders `leaveOut` names are
// passed over with all they hold.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree_entry.h"

namespace tessary {

// A name as keys hold it: folded to upper case as the file system folds names (every
// letter, not only ASCII), in the program's code page.
std::string FoldedName(std::string_view name);

class TreeWalk : public TreeSource {
 public:
  // Whether the folder `path` (full) named `name` is passed over.
  using LeaveOut = std::function<bool(const std::string& path, std::string_view name)>;
  TreeWalk(std::string root, LeaveOut leaveOut);
  const TreeEntry* Peek() override;
  void Pop() override;
  // Folders that could not be read (no access): their entries are missing from the walk.
  std::size_t unreadable() const { return unreadable_; }

 private:
  struct Level {
    std::string path;  // full path of the folder
    std::vector<TreeEntry> entries;
    std::size_t next = 0;
  };
  void Enter(const std::string& path, const TreeEntry* folder);
  void Settle();

  std::string root_;
  LeaveOut leaveOut_;
  std::vector<Level> levels_;
  std::size_t unreadable_ = 0;
};

}  // namespace tessary
