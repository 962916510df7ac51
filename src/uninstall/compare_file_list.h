// The compare reports of a backup directory as the report choosers list them: the
// .TSC reports by name, then the .SNC reports tagged as Sentinox compare files.
#pragma once

#include <string>
#include <vector>

#include "uninstall/logic/compare_file_names.h"

namespace tessary {

// The entries for a list box (CompareFileEntry of every file of backupDirectory): the
// ".tsc" reports when showTsc, then the ".snc" ones when showSnc. Each group is in
// directory order; the list box sorts them.
std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc);

}  // namespace tessary
