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

// A per-user folder from the shell-folders key ("Programs", "Desktop"), or `fallback`
// when the value is empty or missing or the key cannot be opened.
std::string ShellFolder(const char* valueName, const std::string& fallback);

// The whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);

inline constexpr const char* kUserDirMismatchText =
    "Above user-selected compare directory is different from directory backed up, or a backup was not performed "
    "after selecting this directory. Ensure that you do a BACKUP after changing compare directory paths from Setup "
    "Options dialog box. This directory cannot be compared.";

}  // namespace tessary
