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

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

unsigned UnitAt(std::string_view bytes, std::size_t at, bool bigEndian) {
  const unsigned a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
  return bigEndian ? (a << 8 | b) : (b << 8 | a);
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUnit(std::string& out, unsigned unit, bool bigEndian) {
  const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
  out += bigEndian ? high : low;
  out += bigEndian ? low : high;
}

// UTF-8 (a lone surrogate in its three bytes too) as UTF-16 units; false for any other bytes.
bool AppendUtf16(std::string& out, std::string_view text, bool bigEndian) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || text.size() - i < length) return false;
    unsigned code = length == 1 ? c : c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = code << 6 | (t & 0x3F);
    }
    const unsigned lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < lowest[length] || code > 0x10FFFF) return false;
    if (code >= 0x10000) {
      AppendUnit(out, 0xD800 | (code - 0x10000) >> 10, bigEndian);
      AppendUnit(out, 0xDC00 | ((code - 0x10000) & 0x3FF), bigEndian);
    } else {
      AppendUnit(out, code, bigEndian);
    }
    i += length;
  }
  return true;
}

}  // namespace

IniFileText DecodeIniFile(std::string_view bytes) {
  IniFileText file;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    file.encoding = IniEncoding::Utf8WithMark;
    file.text = std::string(bytes.substr(kUtf8Mark.size()));
    return file;
  }
  const bool littleMark = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool bigMark = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
  if (!littleMark && !bigMark) {
    file.text = std::string(bytes);
    return file;
  }
  file.encoding = bigMark ? IniEncoding::Utf16Be : IniEncoding::Utf16Le;
  const std::size_t end = bytes.size() - bytes.size() % 2;
  file.oddByte = std::string(bytes.substr(end));
  file.text.reserve(end);
  for (std::size_t at = 2; at < end; at += 2) {
    const unsigned unit = UnitAt(bytes, at, bigMark);
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 2 < end) {
      const unsigned next = UnitAt(bytes, at + 2, bigMark);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(file.text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        at += 2;
        continue;
      }
    }
    AppendUtf8(file.text, unit);
  }
  return file;
}

std::optional<std::string> EncodeIniFile(const IniFileText& file) {
  switch (file.encoding) {
    case IniEncoding::Plain: return file.text;
    case IniEncoding::Utf8WithMark: return std::string(kUtf8Mark) + file.text;
    case IniEncoding::Utf16Le:
    case IniEncoding::Utf16Be: {
      const bool bigEndian = file.encoding == IniEncoding::Utf16Be;
      std::string out;
      out.reserve(2 + file.text.size() * 2 + file.oddByte.size());
      AppendUnit(out, 0xFEFF, bigEndian);
      // A lone surrogate read from the file comes back as the unit it was.
      if (!AppendUtf16(out, file.text, bigEndian)) return std::nullopt;
      return out + file.oddByte;
    }
  }
  return std::nullopt;
}

IniDocument::IniDocument(std::string_view bytes) {
  IniFileText file = DecodeIniFile(bytes);
  encoding_ = file.encoding;
  oddByte_ = std::move(file.oddByte);
  text_ = std::move(file.text);
  Parse();
}

std::optional<std::string> IniDocument::FileBytes() const {
  return EncodeIniFile(IniFileText{encoding_, text_, oddByte_});
}

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

bool IniDocument::DeleteEntryWithValue(std::string_view section, std::string_view key, std::string_view value,
                                       bool every) {
  const auto range = SectionLines(section);
  if (!range) return false;
  key = Trim(key);
  value = WithoutIniQuotes(value);
  std::vector<std::size_t> matches;
  for (std::size_t i = range->first; i < range->second && (every || matches.empty()); ++i) {
    const Line& line = lines_[i];
    if (line.kind != Line::Kind::Entry || !EqualsNoCase(line.name, key)) continue;
    const std::string_view held = std::string_view(text_).substr(line.valueStart, line.valueEnd - line.valueStart);
    if (EqualsNoCase(WithoutIniQuotes(held), value)) matches.push_back(i);
  }
  if (matches.empty()) return false;
  // From the last line up, so that the offsets of the lines above hold.
  for (auto i = matches.rbegin(); i != matches.rend(); ++i)
    text_.erase(lines_[*i].start, lines_[*i].next - lines_[*i].start);
  Parse();
  return true;
}

bool IniDocument::InsertAfterHeaders(std::string_view section, std::string_view line) {
  section = Trim(section);
  bool any = false;
  for (std::size_t i = lines_.size(); i-- > 0;) {
    const Line& header = lines_[i];
    if (header.kind != Line::Kind::Header || !EqualsNoCase(header.name, section)) continue;
    // The new line ends as its header does (so it never joins a line end that follows);
    // a header that is the text's last line, without a line end, gets the text's one.
    const std::string own = text_.substr(header.contentEnd, header.next - header.contentEnd);
    const std::string eol = own.empty() ? LineEnd() : own;
    text_.insert(header.next, (own.empty() ? eol : "") + std::string(line) + eol);
    any = true;
  }
  if (any) Parse();
  return any;
}

}  // namespace tessary
