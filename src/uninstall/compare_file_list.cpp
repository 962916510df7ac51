#include "uninstall/compare_file_list.h"

#include "platform/ascii.h"
#include "platform/files.h"

namespace tessary {

namespace {
// Every plain file of the directory whose name ends in `extension`: the search pattern
// also matches names whose short alias ends so ("x.TSCX"), which are no reports.
void AddMatches(const std::string& directory, const char* extension, const char* suffix,
                std::vector<std::string>& out) {
  DirSearch search(directory + "\\*" + extension);
  FindEntry entry;
  while (search.Next(entry)) {
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || !EndsWithNoCase(entry.name, extension)) continue;
    out.push_back(entry.name + suffix);
  }
}
}  // namespace

std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc) {
  std::vector<std::string> names;
  if (showTsc) AddMatches(backupDirectory, ".tsc", "", names);
  if (showSnc) AddMatches(backupDirectory, ".snc", kSentinoxCompareTag, names);
  return names;
}

std::string CompareFileNameOf(const std::string& entry) {
  return entry.substr(0, entry.find('\t'));
}

}  // namespace tessary
