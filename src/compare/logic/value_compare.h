// The comparison of two value snapshots of one branch (format: value_snapshot.h). No
// <windows.h>.
//
// Both files list the keys in the same depth-first walk, so the comparison is one merge
// pass over the two: stretches that are byte for byte the same are passed over whole, and
// only the key groups where the files differ are read line by line. A key that is in only
// one file is looked up in a set of the other file's keys (made the first time keys
// differ): a key of the current snapshot alone was added, and its values are not listed
// (the key's own line in the report covers them); a key of the backup alone was deleted,
// and its values count as deleted. Should the two walks ever order the same keys
// differently, the rest of the branch is matched by key through a table.
//
// Within a key, values are matched by name without regard to the case of ASCII letters,
// as the registry matches them; a value whose type or data differs is changed.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tessary {

struct ValueChange {
  std::string_view keyPath;  // relative to the branch root; "" for the root itself
  std::string_view name;     // the escaped name field, as the file holds it
  std::string_view type;     // the type name and data field: the current ones for an
  std::string_view data;     // added or changed value, the backup's for a deleted one
  std::string_view oldType;  // a changed value's type and data at backup time
  std::string_view oldData;
  std::size_t order = 0;     // where its line is in its file: the report keeps walk order
};

struct ValueChanges {
  std::vector<ValueChange> added;    // values of keys that are in both snapshots
  std::vector<ValueChange> changed;
  std::vector<ValueChange> deleted;  // deleted keys' values included
  // The values of keys the backup lacks (the report's line of the key covers them; the
  // install summary reads a new service's or uninstall entry's values from them).
  std::vector<ValueChange> inAddedKeys;
};

// The differences from `backup` to `current`, each list in walk order; nothing when
// either text does not begin with the value snapshot's signature line.
std::optional<ValueChanges> CompareValueSnapshots(std::string_view current, std::string_view backup);

}  // namespace tessary
