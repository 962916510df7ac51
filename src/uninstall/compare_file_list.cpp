#include "uninstall/compare_file_list.h"

#include "platform/files.h"

namespace tessary {

namespace {
// The search pattern also matches names whose short alias ends in the extension
// ("x.TSCX"); CompareFileEntry leaves those out.
void AddMatches(const std::string& directory, const char* pattern, bool tsc, std::vector<std::string>& out) {
  DirSearch search(directory + "\\" + pattern);
  FindEntry entry;
  while (search.Next(entry)) {
    if (auto listed = CompareFileEntry(entry.name, (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, tsc, !tsc))
      out.push_back(std::move(*listed));
  }
}
}  // namespace

std::vector<std::string> CompareFileList(const std::string& backupDirectory, bool showTsc, bool showSnc) {
  std::vector<std::string> names;
  if (showTsc) AddMatches(backupDirectory, "*.tsc", true, names);
  if (showSnc) AddMatches(backupDirectory, "*.snc", false, names);
  return names;
}

}  // namespace tessary
