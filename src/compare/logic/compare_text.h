// Pure pieces of the compare report: reading boot files as line pieces, the report
// header, and reading INI files line by line as the system's INI reader does. No
// <windows.h> here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Boot files are read in pieces of at most 248 characters: a line of up to 247
// characters and its line end is one piece, a longer line gives several. (INI files
// are read in whole lines, below.)
inline constexpr std::size_t kLinePiece = 248;

// The bytes of a file as a text-mode reader sees them, cut into pieces: CR LF becomes
// "\n", a Ctrl-Z ends the text, and each piece keeps its "\n" when it has one.
std::vector<std::string> SplitLinePieces(std::string_view bytes, std::size_t pieceLength = kLinePiece);

// The report's header: title, report path and (unless brief) the explanatory block.
std::string CompareHeaderText(bool sentinox, const std::string& reportPath, bool brief);

// The lines of an INI file as the platform's INI reader takes them: a line ends at
// every CR and every LF, blanks, tabs, vertical tabs, form feeds and Ctrl-Z at either
// end are not part of it (Ctrl-Z does not end the text), and empty lines are dropped.
std::vector<std::string> SplitIniLines(std::string_view bytes);

// A line of an INI file as the INI compare sees it, which is as the platform's INI
// reader takes it.
struct IniLine {
  enum class Kind { Other, Section, Key } kind = Kind::Other;
  std::string name;   // Section: the text between the "[" and the last "]", trimmed
  std::string key;    // Key: the text before the first "=", trimmed
  std::string value;  // Key: the text after the first "=", trimmed
};
// The line is trimmed as above first. A section line begins with "[" and holds a "]"
// (what follows the last "]" is not part of the name; a "[" line without "]" is no
// section line); a line with "=" that does not begin with ";" is a key line. Whether a
// key line is inside a section is the caller's business.
IniLine ClassifyIniLine(std::string_view line);

// A value as the platform's reader returns it: one pair of matching single or double
// quotes around it is removed.
std::string_view WithoutIniQuotes(std::string_view value);

// The report line after a finding whose action cannot be written so that the
// uninstall file's reader takes it for the same entry: the finding is reported, no
// action is written.
inline constexpr const char* kNoActionNote =
    "-- No uninstall action: its name cannot be written unambiguously in the uninstall file.";

// The report line of a registry key or directory entry whose name holds a character
// that a line of a backup or report file cannot carry (a line break, a NUL, ...): the
// prefix, then the name with such characters written as "<0A>" and the like.
inline constexpr const char* kLeftOutPrefix = "LEFT OUT (name cannot be written as one line): ";

// Whether a line begins with "device" in any case.
bool IsDeviceLine(std::string_view line);

}  // namespace tessary
