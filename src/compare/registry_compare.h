// The registry section of a compare run: keys that exist now and did not at backup
// time, each reported with a REG_DAT_REMOVE action.
#pragma once

#include "compare/compare_run.h"

namespace tessary {

// Holds the fresh "TST" snapshots (already written) against the backup's and writes
// the section; deletes the "TST" files at its end. CompareRegistry is the export
// followed by this.
SectionResult CompareRegistrySnapshots(CompareRun& run);

// Deletes every "*.TST" file of the backup directory.
void DeleteCompareSnapshots(const std::string& backupDirectory);

}  // namespace tessary
