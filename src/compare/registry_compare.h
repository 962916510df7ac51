// The registry section of a compare run: keys that exist now and did not at backup
// time, each reported with a REG_DAT_REMOVE action.
#pragma once

#include "compare/compare_run.h"
#include "snapshot/registry_export.h"

namespace tessary {

// Holds the fresh "TST" snapshots (already written) against the backup's and writes
// the section; deletes the "TST" files at its end. `unwritable`: the keys the fresh
// export left out, each named in its branch's part of the report (without an action).
// CompareRegistry is the export followed by this.
SectionResult CompareRegistrySnapshots(CompareRun& run, const UnwritableKeys* unwritable = nullptr);

// Deletes every "*.TST" file of the backup directory.
void DeleteCompareSnapshots(const std::string& backupDirectory);

}  // namespace tessary
