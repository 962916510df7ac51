// Packed DOS date and time words, as the backup listings store them and the
// same-date check compares them.
//   date: bits 15-9 year less 1980, 8-5 month, 4-0 day
//   time: bits 15-11 hour, 10-5 minute, 4-0 seconds divided by two
#pragma once

#include <cstdint>

namespace tessary {

struct DosDateTime {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
  friend bool operator==(DosDateTime a, DosDateTime b) { return a.date == b.date && a.time == b.time; }
  friend bool operator!=(DosDateTime a, DosDateTime b) { return !(a == b); }
};

struct CivilTime {
  int year = 1980, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

constexpr std::uint16_t PackDosDate(int year, int month, int day) {
  return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr std::uint16_t PackDosTime(int hour, int minute, int second) {
  return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}
constexpr DosDateTime PackDos(const CivilTime& t) {
  return {PackDosDate(t.year, t.month, t.day), PackDosTime(t.hour, t.minute, t.second)};
}
// Fields are taken as they are: a month of 0 or 13 comes back unchanged.
constexpr CivilTime UnpackDos(DosDateTime d) {
  CivilTime t;
  t.year = 1980 + (d.date >> 9);
  t.month = (d.date >> 5) & 0x0F;
  t.day = d.date & 0x1F;
  t.hour = d.time >> 11;
  t.minute = (d.time >> 5) & 0x3F;
  t.second = (d.time & 0x1F) * 2;
  return t;
}

}  // namespace tessary
