// The INI sections (WIN.INI, SYSTEM.INI, PROTOCOL.INI): key-by-key compare through the
// system's INI reader, with one uninstall action for each finding.
#pragma once

#include <string>

#include "compare/compare_run.h"

namespace tessary {

enum class IniPassKind { AddedAndChanged, Deleted };

// Pass results.
inline constexpr int kIniPassNothing = 0;
inline constexpr int kIniPassFound = 1;  // also after the pass's own errors
inline constexpr int kIniPassCancelled = 10;

// Scans `scanPath`, looks each key up in `otherPath`, and appends findings for the
// INI file named `target` ("WIN.INI", ...) to the report and the action file.
int IniPass(CompareRun& run, const std::string& scanPath, const std::string& otherPath, const std::string& target,
            IniPassKind kind);

// Whether `path` holds the entry of `deviceLine` in a [386enh] section: the same key
// and value without regard to case, as the INI reader takes both lines (blanks around
// them and the line end do not count).
bool FindDeviceLine(Prompter& prompts, const std::string& deviceLine, const std::string& path);

}  // namespace tessary
