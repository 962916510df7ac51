// INI text as the platform's private-profile reader takes it: which bytes end a line,
// what is trimmed, what makes a section header and an entry. Compare reads the INI
// files with it and the executor finds the lines it rewrites with it, so both agree
// with what the system itself reads. No <windows.h> here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

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

}  // namespace tessary
