// The directory sections of a compare run: each compared directory is held against its
// backup listing; new entries are reported ADDED (with a REMOVEFILE action), entries
// whose date or time changed UPDATED.
#pragma once

#include <optional>
#include <string>

#include "compare/compare_run.h"

namespace tessary {

// Compares one directory (its path without "\*.*") against a backup listing and
// appends its findings. Shows its own errors; Cancelled when a check point found the
// progress dialog gone.
SectionResult CompareOneDirectory(CompareRun& run, const std::string& directory, const std::string& listingPath);

// Whether the uninstall file's reader takes `action` (as it loads it: upper-cased) for
// the entry `name` of `directory`, as a folder or a file as it is one.
bool ActionNamesEntry(const std::string& action, const std::string& directory, const std::string& name,
                      bool isDirectory);

inline constexpr const char* kUserDirMismatchText =
    "Above user-selected compare directory is different from directory backed up, or a backup was not performed "
    "after selecting this directory. Ensure that you do a BACKUP after changing compare directory paths from Setup "
    "Options dialog box. This directory cannot be compared.";

}  // namespace tessary
