// The registry section of a compare run: keys that exist now and did not at backup
// time, each reported with a REG_DAT_REMOVE action.
#pragma once

#include <string>
#include <vector>

#include "compare/compare_run.h"
#include "compare/logic/noise_list.h"
#include "snapshot/registry_export.h"

namespace tessary {

// Holds the fresh "TST" snapshots (already written) against the backup's and writes
// the section; deletes the "TST" files at its end. `unwritable`: the keys the fresh
// export left out, each named in its branch's part of the report (without an action).
// CompareRegistry is the export followed by this.
SectionResult CompareRegistrySnapshots(CompareRun& run, const UnwritableKeys* unwritable = nullptr);

// Deletes every "*.TST" file of the backup directory.
void DeleteCompareSnapshots(const std::string& backupDirectory);

// The "Registry values" part of the section (written when values are recorded): what
// the branches' value snapshots found, each kind in branch and walk order, and the
// actions, in the same order.
struct ValueFindings {
  std::vector<std::string> notes;  // "***Values were not recorded at backup for: ..." lines
  std::string added, changed, deleted;  // report lines, each ending in "\n"
  std::vector<std::string> addedActions, changedActions, deletedActions;
  // The same findings for the install summary, the values of added keys included (with
  // no action of their own: the key's removal takes them).
  std::vector<InstallFinding> summary;
  std::vector<ReportFinding> addedFound, changedFound, deletedFound;  // the same findings, typed
  // The system's own changes: a value the list matches is counted in `leftOut` instead
  // of reported. No list: every value is reported.
  const NoiseList* noise = nullptr;
  NoiseTally leftOut;
  bool any() const { return !added.empty() || !changed.empty() || !deleted.empty() || !notes.empty(); }
};

// Holds one branch's fresh value snapshot (`currentPath`) against the backup's and adds
// what differs to `findings`, every key path behind the branch's progress text
// ("HKEY_CURRENT_USER"). False, with nothing added, when a file is missing or is not a
// value snapshot.
bool CollectValueChanges(const std::string& currentPath, const std::string& backupPath, const RegistryBranch& branch,
                         ValueFindings& findings);

// Appends the part to the report and its actions to the action file.
void WriteValueSection(SectionOutput& out, const ValueFindings& findings);

}  // namespace tessary
