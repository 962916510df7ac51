// Pure pieces of the compare report: reading boot files as line pieces, the report
// header and its notes. INI files are read with platform/ini_text.h, as the system's
// INI reader takes them. No <windows.h> here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_text.h"

namespace tessary {

// Boot files are read in pieces of at most 248 characters: a line of up to 247
// characters and its line end is one piece, a longer line gives several. (INI files
// are read in whole lines.)
inline constexpr std::size_t kLinePiece = 248;

// The bytes of a file as a text-mode reader sees them, cut into pieces: CR LF becomes
// "\n", a Ctrl-Z ends the text, and each piece keeps its "\n" when it has one.
std::vector<std::string> SplitLinePieces(std::string_view bytes, std::size_t pieceLength = kLinePiece);

// The report's header: title, report path and (unless brief) the explanatory block.
std::string CompareHeaderText(bool sentinox, const std::string& reportPath, bool brief);

// The report line after a finding whose action cannot be written so that the
// uninstall file's reader takes it for the same entry: the finding is reported, no
// action is written.
inline constexpr const char* kNoActionNote =
    "-- No uninstall action: its name cannot be written unambiguously in the uninstall file.";

// The longest path, in UTF-16 units, that Uninstall acts on: the system's MAX_PATH (260)
// less its terminating zero. Uninstall takes a path only as the platform gives it back
// whole, so a longer one would be refused as an edited line.
inline constexpr std::size_t kLongestActionPath = 259;
// Whether Uninstall can act on the entry at `path` (UTF-8): its length in UTF-16 units
// is within kLongestActionPath.
bool UninstallCanReach(std::string_view path);
// The report line after a finding whose path is longer than that: reported, no action.
inline constexpr const char* kLongPathNote =
    "-- No uninstall action: its path is longer than the 259 characters Uninstall can act on.";
// The report line after a finding in a second section of a name in an INI file: the
// system's INI reader reads only the first section of a name, and an uninstall action
// edits only that one, so none is written.
inline constexpr const char* kRepeatedSectionNote =
    "-- No uninstall action: the entry is in a repeated section, which Windows does not read and an uninstall "
    "cannot reach.";

// The report line of a registry key or directory entry whose name holds a character
// that a line of a backup or report file cannot carry (a line break, a NUL, ...): the
// prefix, then the name with such characters written as "<0A>" and the like.
inline constexpr const char* kLeftOutPrefix = "LEFT OUT (name cannot be written as one line): ";

// Whether a line begins with "device" in any case.
bool IsDeviceLine(std::string_view line);

}  // namespace tessary
