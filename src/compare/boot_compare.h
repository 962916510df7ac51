// The boot-file sections (AUTOEXEC.BAT, CONFIG.SYS, MSDOS.SYS) and the same-date check
// the run makes for all six copied files.
#pragma once

#include <string>

#include "compare/compare_run.h"

namespace tessary {

// "Same" when either file is missing or both carry the same local DOS date and time.
bool SameDateCheck(const std::string& currentPath, const std::string& backupPath);

struct BootFile {
  const char* title;          // "Comparing Autoexec.bat"
  const char* name;           // "AUTOEXEC.BAT"
  const char* fileName;       // "autoexec.bat" in the boot directory
  const char* base;           // "autoexec", the backup copy's base name
  const char* currentError;   // "Error opening autoexec.bat file"
  const char* backupError;    // "Error opening autoexec backup file"
};

// One boot file's section. `same` is the result of its same-date check.
SectionResult CompareBootFile(CompareRun& run, const BootFile& file, bool same, bool firstOfRun);

}  // namespace tessary
