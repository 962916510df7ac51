#include "snapshot/logic/deep_listing.h"

#include <cstdio>

#include "platform/text_lines.h"

namespace tessary {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a civil date, and back (the proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

// Digits of `text` from `at`, exactly `count` of them.
bool Digits(std::string_view text, std::size_t at, std::size_t count, std::uint64_t& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + std::uint64_t(text[i] - '0');
  }
  return true;
}

std::optional<std::uint64_t> ParseDecimal(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = std::uint64_t(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<std::uint32_t> ParseHex8(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = unsigned(c - '0');
    else if (c >= 'A' && c <= 'F') digit = unsigned(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
    else return std::nullopt;
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace

std::string FormatFileTime(std::uint64_t ticks) {
  const std::uint64_t seconds = ticks / kTicksPerSecond;
  const std::int64_t days = static_cast<std::int64_t>(seconds / 86400) - kDaysFrom1601To1970;
  const unsigned daySeconds = static_cast<unsigned>(seconds % 86400);
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u.%07llu", static_cast<long long>(y), m, d,
                daySeconds / 3600, daySeconds / 60 % 60, daySeconds % 60,
                static_cast<unsigned long long>(ticks % kTicksPerSecond));
  return text;
}

std::optional<std::uint64_t> ParseFileTime(std::string_view text) {
  // YYYY-MM-DD hh:mm:ss.fffffff
  if (text.size() != 27 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':' || text[19] != '.')
    return std::nullopt;
  std::uint64_t y, mo, d, h, mi, s, f;
  if (!Digits(text, 0, 4, y) || !Digits(text, 5, 2, mo) || !Digits(text, 8, 2, d) || !Digits(text, 11, 2, h) ||
      !Digits(text, 14, 2, mi) || !Digits(text, 17, 2, s) || !Digits(text, 20, 7, f))
    return std::nullopt;
  if (y < 1601 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
  const std::int64_t days = DaysFromCivil(static_cast<std::int64_t>(y), unsigned(mo), unsigned(d)) + kDaysFrom1601To1970;
  if (days < 0) return std::nullopt;
  return (static_cast<std::uint64_t>(days) * 86400 + h * 3600 + mi * 60 + s) * kTicksPerSecond + f;
}

std::string FormatDeepHeader(const DeepListingHeader& header) {
  std::string text(kDeepListingFirstLine);
  text += "\r\nPLACE\t" + header.place + "\r\n";
  for (const std::string& folder : header.leftOut) text += "LEFT OUT\t" + folder + "\r\n";
  text += "\r\n";
  return text;
}

std::string FormatDeepRecord(const TreeEntry& entry) {
  if (HoldsControlCharacter(entry.path)) return std::string();
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "\t%llu\t", static_cast<unsigned long long>(entry.size));
  std::string line;
  line.reserve(entry.path.size() + 56);
  line += entry.path;
  line += numbers;
  line += FormatFileTime(entry.writeTime);
  std::snprintf(numbers, sizeof numbers, "\t%08X\r\n", static_cast<unsigned>(entry.attributes));
  line += numbers;
  return line;
}

std::string FormatDeepEnd(std::uint64_t entries) { return "END\t" + std::to_string(entries) + "\r\n"; }

std::optional<TreeEntry> DeepListingParser::Line(std::string_view line) {
  switch (state_) {
    case State::Header:
      if (!sawFirstLine_) {
        sawFirstLine_ = true;
        if (line != kDeepListingFirstLine) state_ = State::Bad;
      } else if (line.empty()) {
        state_ = header_.place.empty() ? State::Bad : State::Records;
      } else if (line.substr(0, 6) == "PLACE\t") {
        header_.place = std::string(line.substr(6));
      } else if (line.substr(0, 9) == "LEFT OUT\t") {
        header_.leftOut.emplace_back(line.substr(9));
      } else {
        state_ = State::Bad;
      }
      return std::nullopt;
    case State::Records: {
      if (line.substr(0, 4) == "END\t") {
        const auto count = ParseDecimal(line.substr(4));
        state_ = count && *count == entries_ ? State::Ended : State::Bad;
        return std::nullopt;
      }
      // path, size, time, attributes: the three fields are found from the right.
      const std::size_t a = line.rfind('\t');
      const std::size_t t = a == std::string_view::npos || a == 0 ? std::string_view::npos : line.rfind('\t', a - 1);
      const std::size_t s = t == std::string_view::npos || t == 0 ? std::string_view::npos : line.rfind('\t', t - 1);
      if (s == std::string_view::npos || s == 0) {
        state_ = State::Bad;
        return std::nullopt;
      }
      const auto size = ParseDecimal(line.substr(s + 1, t - s - 1));
      const auto time = ParseFileTime(line.substr(t + 1, a - t - 1));
      const auto attributes = ParseHex8(line.substr(a + 1));
      if (!size || !time || !attributes) {
        state_ = State::Bad;
        return std::nullopt;
      }
      TreeEntry entry;
      entry.path = std::string(line.substr(0, s));
      entry.size = *size;
      entry.writeTime = *time;
      entry.attributes = *attributes;
      ++entries_;
      return entry;
    }
    case State::Ended:
      if (!line.empty()) state_ = State::Bad;  // nothing may follow the END line
      return std::nullopt;
    case State::Bad:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace tessary
