#include "platform/ini_text.h"

namespace tessary {

namespace {

// What the platform's INI reader trims: white space, CR and Ctrl-Z (LF ends a line).
bool IsIniSpace(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view TrimIniLeft(std::string_view s) {
  while (!s.empty() && IsIniSpace(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimIniRight(std::string_view s) {
  while (!s.empty() && IsIniSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimIni(std::string_view s) { return TrimIniRight(TrimIniLeft(s)); }

}  // namespace

std::vector<std::string> SplitIniLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = TrimIni(bytes.substr(start, end - start));
    if (!line.empty()) lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

IniLine ClassifyIniLine(std::string_view line) {
  IniLine result;
  line = TrimIni(line);
  if (line.empty()) return result;
  if (line.front() == '[') {
    std::size_t close = line.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      result.kind = IniLine::Kind::Section;
      result.name = std::string(TrimIni(line.substr(1, close - 1)));
      return result;
    }
    // No closing bracket: the reader takes the line as an entry.
  }
  if (line.front() == ';') return result;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return result;
  result.kind = IniLine::Kind::Key;
  result.key = std::string(TrimIniRight(line.substr(0, eq)));
  result.value = std::string(TrimIniLeft(line.substr(eq + 1)));
  return result;
}

std::string_view WithoutIniQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace tessary
