// Lines of a text held in memory: "\n" ends a line, a "\r" just before it is not part of
// the line, and a last line without a line end still counts. Also: which names a line
// cannot carry, and how a report shows them. No <windows.h>.
#pragma once

#include <string>
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

// Whether `name` holds a character that one line of a text file cannot carry safely:
// a control character (line feed and carriage return split a line, Ctrl-Z ends a text
// read in text mode, NUL ends a C string, ...). Such a name written into a line-based
// file would read back as another name, or as several.
inline bool HoldsControlCharacter(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

// `name` for a report line: each control character written as "<" two hex digits ">"
// ("x<0A>NAME"), everything else as it is.
inline std::string PrintableName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20) {
      out += '<';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
      out += '>';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace tessary
