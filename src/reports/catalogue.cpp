#include "reports/catalogue.h"

#if !__has_include("uninstall/compare_file_list.h")
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

std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc) {
  std::vector<std::string> lines;
  if (showTsc) AddReports(lines, backupDirectory + "\\*.tsc", "");
  if (showSnc) AddReports(lines, backupDirectory + "\\*.snc", kSentinoxCompareTag);
  return lines;
}

std::string CompareFileNameOf(const std::string& entry) { return entry.substr(0, entry.find('\t')); }

}  // namespace tessary
#endif
