// Lines of a text held in memory: "\n" ends a line, a "\r" just before it is not part of
// the line, and a last line without a line end still counts. No <windows.h>.
#pragma once

#include <string_view>
#include <type_traits>

namespace tessary {

// Calls `each(line)` for every line of `content` in order. When `each` returns bool,
// false stops the walk.
template <typename F>
void ForEachLine(std::string_view content, F&& each) {
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = next;
    if constexpr (std::is_same_v<decltype(each(line)), bool>) {
      if (!each(line)) return;
    } else {
      each(line);
    }
  }
}

}  // namespace tessary
