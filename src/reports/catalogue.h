// The catalogue of compare reports in the backup directory, as the View Compare File
// dialog lists them: interactive reports by name, Sentinox reports by name and a tag.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// The tag after the name of a Sentinox report's line.
constexpr const char* kSentinoxCompareTag = "\tSentinox Compare File";

// The lines for the chosen report types, in search order (the list sorts them).
std::vector<std::string> CompareFileLines(const std::string& directory, bool showTsc, bool showSnc);
// The file name of a line: the text before its first tab.
std::string CompareFileName(const std::string& line);

}  // namespace tessary
