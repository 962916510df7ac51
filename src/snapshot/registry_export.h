// The registry snapshot: the names of all keys below seven branches, one key path per
// line, relative to the branch root. Backup writes all seven (".TSB", ".SNB"); Compare
// writes the enabled branches (".TST") and holds them against the backup's. Both use
// the same walk, so two snapshots of an unchanged branch are identical line for line.
//
// With values recorded ([registry] RecordValues, or a caller's ValuesSwitch), the same
// walk also writes each branch's value snapshot beside its key snapshot ("curuser_val.TSB",
// format: logic/value_snapshot.h), and three more branches are recorded whatever the
// branch settings: the services, the system's and the user's environment.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"
#include "snapshot/values_switch.h"

namespace tessary {

struct RegistryBranch {
  const char* fileBase;        // "curuser", "locmach", ...
  HKEY root;                   // HKEY_CURRENT_USER, ...
  const char* rootName;        // "HKEY_CURRENT_USER", ...
  const char* subkey;          // "SOFTWARE" or "CLSID" for two branches, else ""
  const char* leftOut;         // top-level name left out ("SOFTWARE", "CLASSES", "CLSID") or ""
  const char* progressText;    // "HKEY_LOCAL_MACHINE\SOFTWARE", ...
  // [registry] key that enables the branch for Compare. For the branches of
  // kValuesBranches: the key of the branch that holds them, which compares them itself
  // when it is on.
  const SettingKey* compareSwitch;
  // The name left out below the top-level WOW6432Node, or "": "CLASSES" for the SOFTWARE
  // branch (the 32-bit programs' classes, which HKEY_CLASSES_ROOT\Wow6432Node shows, so
  // that a 32-bit class is found once).
  const char* leftOutBelowWow = "";
};

// The seven branches in the order they are written.
extern const RegistryBranch kRegistryBranches[7];
// The branches recorded, keys and values, only when values are, whatever the branch
// settings: HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services ("services"),
// ...\Control\Session Manager\Environment ("sysenv") and HKEY_CURRENT_USER\Environment
// ("userenv"), in that order, after the seven.
extern const RegistryBranch kValuesBranches[3];
inline constexpr std::size_t kAllBranchCount = 10;
// Branch `i` of the seven followed by the three.
const RegistryBranch& BranchAt(std::size_t i);

// Whether `keyPath` (below the branch's own key) lies in what the branch's walk leaves out
// below its top-level WOW6432Node. A backup made before the walk left it out recorded it;
// a compare holds nothing there against today.
bool BranchLeavesOutBelowWow(const RegistryBranch& branch, std::string_view keyPath);

// Whether snapshots record values: a caller's decision (tessaryc's --values), or else
// [registry] RecordValues.
bool RecordsValues(const Settings& settings, ValuesSwitch values);

// Whether Compare looks at `branch` (for a branch of kValuesBranches: whether the branch
// holding it is on): the process's choice (AppState::RegistryBranchesForced) or else the
// branch's [registry] switch.
bool BranchSwitchOn(const AppState& state, const Settings& settings, const RegistryBranch& branch);

// Writes the backup set's snapshot files (".TSB", or ".SNB" in Sentinox mode, where
// [registry] CompSentinox "yes" writes none) into `directory` (the backup directory when
// empty); with values, the value snapshots and the three value branches too. False when
// a file could not be written whole.
bool ExportRegistryForBackup(EngineHost& host, RunMode mode, const std::string& directory = {},
                             ValuesSwitch values = ValuesSwitch::FromSettings);
// Deletes the value snapshots of extension `ext` from `directory`, and the key snapshots
// of the three value branches: a backup set taken without values keeps none an earlier
// backup with values left, so that Compare never holds today's values against an older
// backup's.
void DeleteValueSnapshots(const std::string& directory, const std::string& ext);

// Keys that a snapshot leaves out because one line cannot carry their names (a line
// break, a NUL or another control character in a name): their paths relative to the
// branch root, raw, one list per branch in the order of BranchAt.
using UnwritableKeys = std::array<std::vector<std::string>, kAllBranchCount>;

// Writes "<base>.TST" in the backup directory for every branch enabled for Compare,
// and, when asked, the keys each one left out. With values: the value snapshots of
// those branches, and the branches of kValuesBranches whose holding branch is off.
bool ExportRegistryForCompare(EngineHost& host, UnwritableKeys* unwritable = nullptr,
                              ValuesSwitch values = ValuesSwitch::FromSettings);

// Writes one branch file at `path` (created empty first): the lines of every key below
// the branch's root (or its `subkey`, when it has one), depth first, each key's line
// before its subkeys', leaving out the branch's top-level `leftOut` name and its
// `leftOutBelowWow` name below a top-level WOW6432Node (without regard to case). A subkey that cannot be opened leaves the file empty. A key whose
// name holds a control character is left out with its subtree, and its path goes to
// `unwritable` when given. With a `valuesPath`, the same walk writes the branch's value
// snapshot there. Lets waiting messages through `progress` as it goes. False when a file
// cannot be created or written.
bool WriteBranchFile(const RegistryBranch& branch, const std::string& path, Progress& progress,
                     std::vector<std::string>* unwritable = nullptr, const std::string& valuesPath = {});

}  // namespace tessary
