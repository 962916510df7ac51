#include "uninstall/action_file_read.h"

#include "platform/code_page.h"
#include "platform/files.h"

namespace tessary {

std::optional<ActionEntries> ReadActionFile(const std::string& path) {
  const std::optional<std::string> content = ReadWholeFile(path);
  if (!content) return std::nullopt;
  return LoadActionEntries(*content, [](std::string_view line) { return FromOlderText(line); });
}

}  // namespace tessary
