// Which Sentinox reports retention deletes: the keep count, the newest-first order of
// the reports and the uninstall action file that goes with a report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

// The keep count of a [sentinox] LastSNC value: nothing when the value is empty or
// its number lies outside 10..200.
std::optional<int> RetentionKeepCount(const std::string& lastSnc);

// Whether a name found by the search for "*.SNC" is a Sentinox report: it must really
// end in ".SNC" (any case). The search also finds names whose short alias ends so,
// such as "x.SNCX".
bool IsSentinoxReportName(const std::string& name);

// One Sentinox report: its name and its local last-write stamp in packed DOS form.
struct RetentionRecord {
  std::string name;
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};

// Orders the records newest first by exchange: for each position, every later record
// with a strictly newer stamp than the one currently there is exchanged into it.
// Records with equal stamps are never exchanged with each other, so among equal stamps
// the order is the exchange order, not the name order.
void OrderNewestFirst(std::vector<RetentionRecord>& records);

}  // namespace tessary
