// The registry snapshot: the names of all keys below seven branches, one key path per
// line, relative to the branch root. Backup writes all seven (".TSB", ".SNB"); Compare
// writes the enabled branches (".TST") and holds them against the backup's. Both use
// the same walk, so two snapshots of an unchanged branch are identical line for line.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "core/host.h"

namespace tessary {

struct RegistryBranch {
  const char* fileBase;        // "curuser", "locmach", ...
  HKEY root;                   // HKEY_CURRENT_USER, ...
  const char* rootName;        // "HKEY_CURRENT_USER", ...
  const char* subkey;          // "SOFTWARE" or "CLSID" for two branches, else ""
  const char* leftOut;         // top-level name left out ("SOFTWARE", "CLASSES", "CLSID") or ""
  const char* progressText;    // "HKEY_LOCAL_MACHINE\SOFTWARE", ...
  const SettingKey* compareSwitch;  // [registry] key that enables the branch for Compare
};

// The seven branches in the order they are written.
extern const RegistryBranch kRegistryBranches[7];

// Writes the backup set's snapshot files (".TSB", or ".SNB" in Sentinox mode, where
// [registry] CompSentinox "yes" writes none) into `directory` (the backup directory when
// empty). False when a file could not be written whole.
bool ExportRegistryForBackup(Host& host, RunMode mode, const std::string& directory = {});

// Keys that a snapshot leaves out because one line cannot carry their names (a line
// break, a NUL or another control character in a name): their paths relative to the
// branch root, raw, one list per branch in the order of kRegistryBranches.
using UnwritableKeys = std::array<std::vector<std::string>, 7>;

// Writes "<base>.TST" in the backup directory for every branch enabled for Compare,
// and, when asked, the keys each one left out.
bool ExportRegistryForCompare(Host& host, UnwritableKeys* unwritable = nullptr);

// Writes one branch file at `path` (created empty first): the lines of every key below
// the branch's root (or its `subkey`, when it has one), depth first, each key's line
// before its subkeys', leaving out the branch's top-level `leftOut` name (without
// regard to case). A subkey that cannot be opened leaves the file empty. A key whose
// name holds a control character is left out with its subtree, and its path goes to
// `unwritable` when given. Lets waiting messages through `progress` as it goes. False
// when the file cannot be created or written.
bool WriteBranchFile(const RegistryBranch& branch, const std::string& path, Progress& progress,
                     std::vector<std::string>* unwritable = nullptr);

}  // namespace tessary
