// Stand-in for the shared compare-file list (uninstall/compare_file_list.h) until that
// module is part of this tree; with it present this header only forwards to it, so the
// View and UnInstall dialogs list reports with one piece of code. Remove this file and
// catalogue.cpp once the shared module is merged.
#pragma once

#if __has_include("uninstall/compare_file_list.h")
#include "uninstall/compare_file_list.h"
#else
#include <string>
#include <vector>

namespace tessary {

// Appended (after a tab) to the entry of a Sentinox report.
inline constexpr const char* kSentinoxCompareTag = "\tSentinox Compare File";

// Every "*.tsc" of the directory when showTsc, then every "*.snc" with the tag when
// showSnc, each group in search order; the list box sorts them.
std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc);
// The file name of a list entry: the text before its first tab.
std::string CompareFileNameOf(const std::string& entry);

}  // namespace tessary
#endif
