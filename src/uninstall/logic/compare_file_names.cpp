#include "uninstall/logic/compare_file_names.h"

#include <string_view>

#include "platform/ascii.h"

namespace tessary {

std::optional<std::string> CompareFileEntry(const std::string& name, bool isDirectory, bool showTsc, bool showSnc) {
  if (isDirectory) return std::nullopt;
  if (showTsc && EndsWithNoCase(name, ".tsc")) return name;
  if (showSnc && EndsWithNoCase(name, ".snc")) return name + kSentinoxCompareTag;
  return std::nullopt;
}

std::string CompareFileNameOf(const std::string& entry) {
  // Only the tag comes off: a tab inside the name (a file system may allow one) belongs
  // to the name.
  if (EndsWithNoCase(entry, kSentinoxCompareTag))
    return entry.substr(0, entry.size() - std::string_view(kSentinoxCompareTag).size());
  return entry;
}

std::vector<std::string> CompareFileList(const FileNameSearch& search, const std::string& backupDirectory,
                                         bool showTsc, bool showSnc) {
  std::vector<std::string> entries;
  // The search pattern also matches names whose short alias ends in the extension
  // ("x.TSCX"); CompareFileEntry leaves those out.
  auto add = [&](const char* pattern, bool tsc) {
    for (const std::string& name : search(backupDirectory + "\\" + pattern))
      if (auto listed = CompareFileEntry(name, false, tsc, !tsc)) entries.push_back(std::move(*listed));
  };
  if (showTsc) add("*.tsc", true);
  if (showSnc) add("*.snc", false);
  return entries;
}

}  // namespace tessary
