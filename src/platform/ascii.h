// ASCII-only case folding: every case-insensitive comparison in Tessary folds the
// letters A-Z and nothing else, whatever the code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessary {

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Position of the first occurrence of `needle` in `hay` ignoring case, or npos.
std::size_t FindNoCase(std::string_view hay, std::string_view needle);
// Whether `needle` occurs in `hay`, ignoring case.
inline bool ContainsNoCase(std::string_view hay, std::string_view needle) {
  return FindNoCase(hay, needle) != std::string_view::npos;
}
// Whether `s` begins with `prefix`, ignoring case.
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Whether `s` ends with `suffix`, ignoring case. A name found by a wildcard search such as
// "*.SNC" can still end otherwise ("x.SNCX", whose short alias matches): test the long name.
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// The value of the leading decimal digits of `text`; 0 when it starts with none. It
// stops reading past 100,000,000, so it never overflows.
int DecimalPrefix(std::string_view text);
// A settings switch is on only when its value is "yes", in any case.
inline bool IsYes(std::string_view value) { return EqualsNoCase(value, "yes"); }

// For hash sets keyed without regard to case.
struct NoCaseHash {
  std::size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualsNoCase(a, b); }
};

}  // namespace tessary
