#include "reports/catalogue.h"

#include "platform/files.h"

namespace tessary {

namespace {
void AddReports(std::vector<std::string>& lines, const std::string& pattern, const char* tag) {
  DirSearch search(pattern);
  FindEntry entry;
  while (search.Next(entry)) {
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    lines.push_back(entry.name + tag);
  }
}
}  // namespace

std::vector<std::string> CompareFileLines(const std::string& directory, bool showTsc, bool showSnc) {
  std::vector<std::string> lines;
  if (showTsc) AddReports(lines, directory + "\\*.tsc", "");
  if (showSnc) AddReports(lines, directory + "\\*.snc", kSentinoxCompareTag);
  return lines;
}

std::string CompareFileName(const std::string& line) { return line.substr(0, line.find('\t')); }

}  // namespace tessary
