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

}  // namespace tessary
