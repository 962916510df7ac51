// Pure pieces of the compare report: reading text files as line pieces, the report
// header, and the classification of INI lines. No <windows.h> here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Boot and INI files are read in pieces of at most 248 characters: a line of up to
// 247 characters and its line end is one piece, a longer line gives several.
inline constexpr std::size_t kLinePiece = 248;
// The device-line search reads pieces of at most 126 characters.
inline constexpr std::size_t kDevicePiece = 126;

// The bytes of a file as a text-mode reader sees them, cut into pieces: CR LF becomes
// "\n", a Ctrl-Z ends the text, and each piece keeps its "\n" when it has one.
std::vector<std::string> SplitLinePieces(std::string_view bytes, std::size_t pieceLength = kLinePiece);

// The report's header: title, report path and (unless brief) the explanatory block.
std::string CompareHeaderText(bool sentinox, const std::string& reportPath, bool brief);

// A line of an INI file as the INI compare sees it.
struct IniLine {
  enum class Kind { Other, Section, Key } kind = Kind::Other;
  std::string name;   // Section: the section name
  std::string key;    // Key: the text before the first "=", as written
  std::string value;  // Key: the text after the first "=", without the line end
};
// A line beginning with "[" gives its name without the first and the last character
// (after the line end); a line with "=" that is not a comment gives key and value.
// Whether a key line is inside a section is the caller's business.
IniLine ClassifyIniLine(std::string_view line);

// Whether a line begins with "device" in any case.
bool IsDeviceLine(std::string_view line);

}  // namespace tessary
