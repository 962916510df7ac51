// The entries of the compare-report lists (the Uninstall chooser and the View dialog)
// and the file name each entry stands for. No <windows.h> here.
#pragma once

#include <optional>
#include <string>

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

}  // namespace tessary
