// The compare reports of a backup directory as the report choosers list them: the
// .TSC reports by name, then the .SNC reports tagged as Sentinox compare files.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// Appended (after a tab) to the entry of a Sentinox report.
inline constexpr const char* kSentinoxCompareTag = "\tSentinox Compare File";

// The entries for a list box: every file of backupDirectory whose name ends in ".tsc"
// (any case) when showTsc, then every one ending in ".snc" with kSentinoxCompareTag
// appended when showSnc. Each group is in directory order; the list box sorts them.
std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc);

// The file name of a list entry: the text before its first tab.
std::string CompareFileNameOf(const std::string& entry);

}  // namespace tessary
