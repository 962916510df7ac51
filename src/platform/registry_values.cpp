// Registry values as text: type names, escaped units, data fields, readable forms.
#include "platform/registry_values.h"

#include <cstdio>
#include <vector>

#include "platform/sha256.h"

namespace tessary {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

constexpr std::string_view kTypeNames[] = {"REG_NONE",
                                           "REG_SZ",
                                           "REG_EXPAND_SZ",
                                           "REG_BINARY",
                                           "REG_DWORD",
                                           "REG_DWORD_BIG_ENDIAN",
                                           "REG_LINK",
                                           "REG_MULTI_SZ",
                                           "REG_RESOURCE_LIST",
                                           "REG_FULL_RESOURCE_DESCRIPTOR",
                                           "REG_RESOURCE_REQUIREMENTS_LIST",
                                           "REG_QWORD"};
constexpr std::string_view kOtherTypePrefix = "REG_TYPE_";

// How many characters of text, and bytes of other data, the readable form shows.
constexpr std::size_t kShownChars = 60;
constexpr std::size_t kShownBytes = 16;

bool IsStringType(std::uint32_t type) {
  return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<std::uint64_t> ParseValueSize(std::string_view text) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t next = n * 10 + static_cast<std::uint64_t>(c - '0');
    if (next / 10 != n) return std::nullopt;  // beyond 64 bits
    n = next;
  }
  return n;
}

namespace {

// The little-endian UTF-16 units of an even number of bytes.
std::u16string UnitsOf(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return units;
}

void AppendUnitsAsBytes(std::string& out, std::u16string_view units) {
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
}

bool IsControlUnit(char16_t u) { return u < 0x20 || u == 0x7F; }

// Units for people: control characters as "<XX>", the rest through `narrow`.
std::string ShownUnits(std::u16string_view units, NarrowText narrow) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= units.size(); ++i) {
    if (i < units.size() && !IsControlUnit(units[i])) continue;
    if (i > start) out += narrow(units.substr(start, i - start));
    if (i < units.size()) {
      out += '<';
      out += kHex[units[i] >> 4];
      out += kHex[units[i] & 0xF];
      out += '>';
    }
    start = i + 1;
  }
  return out;
}

std::string Shortened(std::string text) {
  if (text.size() > kShownChars) {
    text.resize(kShownChars - 3);
    text += "...";
  }
  return text;
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
    if (i > 0) out += ' ';
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  if (bytes.size() > kShownBytes) out += " ...";
  return out;
}

std::uint64_t LittleEndian(std::string_view bytes) {
  std::uint64_t v = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) v = v << 8 | static_cast<unsigned char>(bytes[i]);
  return v;
}

std::string Number(std::uint64_t value, int hexDigits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "0x%0*llX (%llu)", hexDigits, static_cast<unsigned long long>(value),
                static_cast<unsigned long long>(value));
  return buf;
}

// The data part of the readable form, for whole data.
std::string ShownData(std::uint32_t type, std::string_view bytes, NarrowText narrow) {
  if (type == regtype::kDword && bytes.size() == 4) return Number(LittleEndian(bytes), 8);
  if (type == regtype::kQword && bytes.size() == 8) return Number(LittleEndian(bytes), 16);
  if (type == regtype::kDwordBigEndian && bytes.size() == 4) {
    const std::uint64_t v = std::uint64_t(static_cast<unsigned char>(bytes[0])) << 24 |
                            std::uint64_t(static_cast<unsigned char>(bytes[1])) << 16 |
                            std::uint64_t(static_cast<unsigned char>(bytes[2])) << 8 |
                            static_cast<unsigned char>(bytes[3]);
    return Number(v, 8);
  }
  if (IsStringType(type) && bytes.size() % 2 == 0) {
    std::u16string units = UnitsOf(bytes);
    if (!units.empty() && units.back() == 0) units.pop_back();  // the string's own end
    if (type != regtype::kMultiSz) return Shortened("\"" + ShownUnits(units, narrow) + "\"");
    if (!units.empty() && units.back() == 0) units.pop_back();  // the list's end
    std::string shown;
    std::size_t start = 0;
    for (;;) {
      const std::size_t nul = units.find(u'\0', start);
      if (!shown.empty()) shown += ", ";
      shown += "\"" + ShownUnits(std::u16string_view(units).substr(start, nul - start), narrow) + "\"";
      if (nul == std::u16string::npos || shown.size() > kShownChars) break;
      start = nul + 1;
    }
    return Shortened(shown);
  }
  return HexBytes(bytes);
}

}  // namespace

std::string ValueTypeName(std::uint32_t type) {
  if (type < std::size(kTypeNames)) return std::string(kTypeNames[type]);
  return std::string(kOtherTypePrefix) + std::to_string(type);
}

std::optional<std::uint32_t> ParseValueTypeName(std::string_view name) {
  for (std::uint32_t i = 0; i < std::size(kTypeNames); ++i)
    if (name == kTypeNames[i]) return i;
  if (name.substr(0, kOtherTypePrefix.size()) != kOtherTypePrefix) return std::nullopt;
  const auto n = ParseValueSize(name.substr(kOtherTypePrefix.size()));
  if (!n || *n < std::size(kTypeNames) || *n > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(*n);
}

void AppendEscapedUnits(std::string& out, std::u16string_view units) {
  for (char16_t u : units) {
    if (u >= 0x20 && u <= 0x7E && u != '%' && u != '>') {
      out += static_cast<char>(u);
    } else {
      out += '%';
      out += kHex[(u >> 12) & 0xF];
      out += kHex[(u >> 8) & 0xF];
      out += kHex[(u >> 4) & 0xF];
      out += kHex[u & 0xF];
    }
  }
}

std::string EscapedUnits(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  AppendEscapedUnits(out, units);
  return out;
}

std::optional<std::u16string> UnescapeUnits(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%') {
      if (text.size() - i < 5) return std::nullopt;
      unsigned value = 0;
      for (std::size_t k = 1; k <= 4; ++k) {
        const int d = HexDigit(text[i + k]);
        if (d < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(d);
      }
      units += static_cast<char16_t>(value);
      i += 4;
    } else if (c >= 0x20 && c <= 0x7E && c != '>') {
      units += static_cast<char16_t>(c);
    } else {
      return std::nullopt;
    }
  }
  return units;
}

void AppendDataField(std::string& out, std::uint32_t type, std::string_view bytes) {
  if (bytes.size() > kValueKeptWholeBytes) {
    out += '*';
    out += std::to_string(bytes.size());
    out += ':';
    out += Sha256Hex(bytes);
    return;
  }
  if (IsStringType(type) && bytes.size() % 2 == 0) {
    const std::u16string units = UnitsOf(bytes);
    std::u16string_view text = units;
    if (!text.empty() && text.back() == 0) {
      out += '"';
      text.remove_suffix(1);
    } else {
      out += '\'';
    }
    AppendEscapedUnits(out, text);
    return;
  }
  out += ':';
  for (char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
}

std::string DataField(std::uint32_t type, std::string_view bytes) {
  std::string out;
  AppendDataField(out, type, bytes);
  return out;
}

std::optional<ValueData> ParseDataField(std::string_view field, std::uint32_t type) {
  if (field.empty()) return std::nullopt;
  ValueData data;
  data.type = type;
  const char form = field[0];
  const std::string_view body = field.substr(1);
  if (form == '"' || form == '\'') {
    if (!IsStringType(type)) return std::nullopt;
    auto units = UnescapeUnits(body);
    if (!units) return std::nullopt;
    if (form == '"') units->push_back(u'\0');
    data.bytes.reserve(units->size() * 2);
    AppendUnitsAsBytes(data.bytes, *units);
  } else if (form == ':') {
    if (body.size() % 2 != 0) return std::nullopt;
    data.bytes.resize(body.size() / 2);
    for (std::size_t i = 0; i < data.bytes.size(); ++i) {
      const int hi = HexDigit(body[2 * i]), lo = HexDigit(body[2 * i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      data.bytes[i] = static_cast<char>(hi << 4 | lo);
    }
  } else if (form == '*') {
    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto size = ParseValueSize(body.substr(0, colon));
    const std::string_view hash = body.substr(colon + 1);
    if (!size || *size <= kValueKeptWholeBytes || *size > kValueMaxBytes || hash.size() != 64) return std::nullopt;
    for (char c : hash)
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    data.whole = false;
    data.size = *size;
    data.sha256 = std::string(hash);
    return data;
  } else {
    return std::nullopt;
  }
  // Whole data is never longer than the writer keeps whole.
  if (data.bytes.size() > kValueKeptWholeBytes) return std::nullopt;
  data.size = data.bytes.size();
  return data;
}

std::string AsciiText(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (char16_t u : units) out += (u >= 0x20 && u <= 0x7E) ? static_cast<char>(u) : '?';
  return out;
}

std::string DescribeValueName(std::u16string_view name, NarrowText narrow) {
  if (name.empty()) return "(Default)";
  return "\"" + ShownUnits(name, narrow) + "\"";
}

std::string DescribeValueData(const ValueData& data, NarrowText narrow) {
  std::string out = ValueTypeName(data.type) + ", " + std::to_string(data.size) + (data.size == 1 ? " byte" : " bytes");
  if (!data.whole) return out + " (SHA-256 " + data.sha256.substr(0, 16) + "...)";
  if (data.bytes.empty()) return out;
  return out + ": " + ShownData(data.type, data.bytes, narrow);
}

}  // namespace tessary
