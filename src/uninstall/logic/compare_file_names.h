// The entries of the compare-report lists (the Uninstall chooser and the View dialog)
// and the file name each entry stands for. No <windows.h> here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

// Appended (after a tab) to the entry of a Sentinox report.
inline constexpr const char* kSentinoxCompareTag = "\tSentinox Compare File";

// The list entry of one directory entry: a plain file whose name ends in ".tsc" (any
// case) when showTsc; one ending in ".snc" with kSentinoxCompareTag appended when
// showSnc; nothing for anything else (a folder, a name whose short alias alone matched
// the search).
std::optional<std::string> CompareFileEntry(const std::string& name, bool isDirectory, bool showTsc, bool showSnc);

// The file name of a list entry: the entry without its Sentinox tag (only the tag comes
// off: a tab in the name itself stays).
std::string CompareFileNameOf(const std::string& entry);

// The plain files (no folders) whose names match a search pattern, in the order the file
// system gives them: FileNamesMatching (platform/files.h), or a test's stand-in.
using FileNameSearch = std::function<std::vector<std::string>(const std::string& pattern)>;

// The compare reports of a backup directory as the report choosers list them
// (CompareFileEntry of each): the ".tsc" reports when showTsc, then the ".snc" ones when
// showSnc. Each group is in directory order; the list box sorts them.
std::vector<std::string> CompareFileList(const FileNameSearch& search, const std::string& backupDirectory,
                                         bool showTsc, bool showSnc);

}  // namespace tessary
