#include "platform/ini_document.h"

#include "platform/ascii.h"
#include "platform/ini_text.h"

namespace tessary {

namespace {

// What the reader trims at either end of a line, a name and a value (line ends aside).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

IniDocument::IniDocument(std::string text) : text_(std::move(text)) { Parse(); }

void IniDocument::Parse() {
  lines_.clear();
  firstHeader_ = std::string::npos;
  std::size_t at = 0;
  while (at < text_.size()) {
    Line line;
    line.start = at;
    std::size_t end = text_.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text_.size();
    line.contentEnd = end;
    line.next = end;
    if (end < text_.size()) line.next = (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? end + 2 : end + 1;
    at = line.next;

    std::size_t first = line.start, last = line.contentEnd;
    while (first < last && IsBlank(text_[first])) ++first;
    while (last > first && IsBlank(text_[last - 1])) --last;
    const std::string_view content(text_.data() + first, last - first);
    if (content.empty()) {
      line.kind = Line::Kind::Blank;
    } else if (content.front() == '[' && content.rfind(']') != std::string_view::npos && content.rfind(']') > 0) {
      line.kind = Line::Kind::Header;
      line.name = std::string(Trim(content.substr(1, content.rfind(']') - 1)));
      if (firstHeader_ == std::string::npos) firstHeader_ = lines_.size();
    } else {
      line.nameStart = first;
      const std::size_t eq = content.find('=');
      if (eq == std::string_view::npos) {
        line.kind = Line::Kind::NameOnly;
        line.name = std::string(content);
      } else {
        line.kind = Line::Kind::Entry;
        line.name = std::string(Trim(content.substr(0, eq)));
        std::size_t value = first + eq + 1;
        while (value < last && IsBlank(text_[value])) ++value;
        line.valueStart = value;
        line.valueEnd = last;
      }
    }
    lines_.push_back(std::move(line));
  }
  if (firstHeader_ == std::string::npos) firstHeader_ = lines_.size();
}

std::optional<std::pair<std::size_t, std::size_t>> IniDocument::SectionLines(std::string_view section) const {
  section = Trim(section);
  // The lines before the first header are the nameless section, found before any "[]".
  if (section.empty()) return std::make_pair(std::size_t{0}, firstHeader_);
  for (std::size_t i = firstHeader_; i < lines_.size(); ++i) {
    if (lines_[i].kind != Line::Kind::Header || !EqualsNoCase(lines_[i].name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && lines_[end].kind != Line::Kind::Header) ++end;
    return std::make_pair(i + 1, end);
  }
  return std::nullopt;
}

std::optional<std::size_t> IniDocument::EntryLine(std::string_view section, std::string_view key) const {
  const auto range = SectionLines(section);
  if (!range) return std::nullopt;
  key = Trim(key);
  for (std::size_t i = range->first; i < range->second; ++i) {
    const Line& line = lines_[i];
    if ((line.kind == Line::Kind::Entry || line.kind == Line::Kind::NameOnly) && EqualsNoCase(line.name, key))
      return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const auto i = EntryLine(section, key);
  if (!i || lines_[*i].kind != Line::Kind::Entry) return std::nullopt;
  const Line& line = lines_[*i];
  return std::string(WithoutIniQuotes(std::string_view(text_).substr(line.valueStart, line.valueEnd - line.valueStart)));
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const auto range = SectionLines(section);
  if (!range) return keys;
  for (std::size_t i = range->first; i < range->second; ++i)
    if (lines_[i].kind == Line::Kind::Entry && (lines_[i].name.empty() || lines_[i].name.front() != ';'))
      keys.push_back(lines_[i].name);
  return keys;
}

std::vector<std::string> IniDocument::Sections() const {
  std::vector<std::string> sections;
  for (const Line& line : lines_)
    if (line.kind == Line::Kind::Header) sections.push_back(line.name);
  return sections;
}

std::string IniDocument::LineEnd() const {
  const std::size_t end = text_.find_first_of("\r\n");
  if (end == std::string::npos) return "\r\n";
  if (text_[end] == '\n') return "\n";
  return end + 1 < text_.size() && text_[end + 1] == '\n' ? "\r\n" : "\r";
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  const std::string eol = LineEnd();
  const std::string entry = std::string(key) + "=" + std::string(value);
  if (const auto i = EntryLine(section, key)) {
    const Line& line = lines_[*i];
    if (line.kind == Line::Kind::Entry) {
      if (std::string_view(text_).substr(line.valueStart, line.valueEnd - line.valueStart) == value) return false;
      text_.replace(line.valueStart, line.valueEnd - line.valueStart, value);
    } else {
      // A name without "=": the line becomes the entry, its name as the file spells it.
      text_.replace(line.nameStart, line.name.size(), line.name + "=" + std::string(value));
    }
    Parse();
    return true;
  }
  if (const auto range = SectionLines(section)) {
    // After the section's last line that is not empty, or right after its header.
    std::size_t at = range->first > 0 ? lines_[range->first - 1].next : 0;
    for (std::size_t i = range->first; i < range->second; ++i)
      if (lines_[i].kind != Line::Kind::Blank) at = lines_[i].next;
    std::string insert = entry + eol;
    if (at == text_.size() && !text_.empty() && text_.back() != '\n' && text_.back() != '\r') insert = eol + insert;
    text_.insert(at, insert);
    Parse();
    return true;
  }
  std::string append;
  if (!text_.empty() && text_.back() != '\n' && text_.back() != '\r') append = eol;
  append += "[" + std::string(section) + "]" + eol + entry + eol;
  text_ += append;
  Parse();
  return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const auto i = EntryLine(section, key);
  if (!i) return false;
  text_.erase(lines_[*i].start, lines_[*i].next - lines_[*i].start);
  Parse();
  return true;
}

bool IniDocument::DeleteSection(std::string_view section) {
  const auto range = SectionLines(section);
  if (!range) return false;
  const std::size_t from = range->first > 0 ? lines_[range->first - 1].start : 0;
  const std::size_t to = range->second < lines_.size() ? lines_[range->second].start : text_.size();
  if (from == to) return false;
  text_.erase(from, to - from);
  Parse();
  return true;
}

}  // namespace tessary
