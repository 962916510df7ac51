// The INI sections (WIN.INI, SYSTEM.INI, PROTOCOL.INI): key-by-key compare through the
// system's INI reader, with one uninstall action for each finding.
#pragma once

#include <string>

#include "compare/compare_run.h"

namespace tessary {

enum class IniPassKind { AddedAndChanged, Deleted };

// How a pass ended: nothing found, something found (also after the pass's own errors,
// which it has shown), or the progress dialog cancelled.
enum class IniPassResult { Nothing, Found, Cancelled };

// Scans `scanPath`, looks each key up in `otherPath`, and appends findings for the
// INI file named `target` ("WIN.INI", ...) to the report and the action file.
[[nodiscard]] IniPassResult IniPass(CompareRun& run, const std::string& scanPath, const std::string& otherPath, const std::string& target,
            IniPassKind kind);

// Whether `path` holds the entry of `deviceLine` in a [386enh] section: the same key
// and value without regard to case, as the INI reader takes both lines (blanks around
// them and the line end do not count).
[[nodiscard]] bool FindDeviceLine(Prompter& prompts, const std::string& deviceLine, const std::string& path);

}  // namespace tessary
