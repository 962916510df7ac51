// What the fuzz targets share: a check that reports a wrong result (not only a crash)
// with the values involved, and a way to cut one input into several fields.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tessary::fuzz {

// `text` with every byte outside printable ASCII written as \xNN, for the report.
inline std::string Shown(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

inline std::string ToText(std::string_view s) { return Shown(s); }
inline std::string ToText(const std::string& s) { return Shown(s); }
inline std::string ToText(const char* s) { return Shown(s); }
inline std::string ToText(bool b) { return b ? "true" : "false"; }
template <typename T>
std::enable_if_t<std::is_arithmetic_v<T>, std::string> ToText(T v) {
  return std::to_string(v);
}
template <typename T>
std::enable_if_t<std::is_enum_v<T>, std::string> ToText(T v) {
  return std::to_string(static_cast<long long>(v));
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line, const std::string& got,
                              const std::string& expected) {
  std::fprintf(stderr, "\n*** wrong result: %s (%s:%d)\n    got:      %s\n    expected: %s\n", what, file, line,
               got.c_str(), expected.c_str());
  std::abort();
}

// The input cut at every `separator` (an empty input gives one empty field).
inline std::vector<std::string> Fields(std::string_view data, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = data.find(separator, start);
    if (end == std::string_view::npos) {
      fields.emplace_back(data.substr(start));
      return fields;
    }
    fields.emplace_back(data.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace tessary::fuzz

// A property that must hold: aborts with the two values when it does not.
#define FUZZ_EXPECT_EQ(got, expected, what)                                                       \
  do {                                                                                            \
    if (!((got) == (expected)))                                                                   \
      ::tessary::fuzz::Fail(what, __FILE__, __LINE__, ::tessary::fuzz::ToText(got),               \
                            ::tessary::fuzz::ToText(expected));                                   \
  } while (0)
// `shown`: the value the condition is about, printed when it fails.
#define FUZZ_EXPECT(condition, what, shown)                                                         \
  do {                                                                                              \
    if (!(condition))                                                                               \
      ::tessary::fuzz::Fail(what, __FILE__, __LINE__, ::tessary::fuzz::ToText(shown), #condition);  \
  } while (0)
