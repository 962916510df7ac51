#include "reports/logic/retention_logic.h"

#include <string_view>
#include <utility>

#include "platform/ascii.h"

namespace tessary {

std::optional<int> RetentionKeepCount(const std::string& lastSnc) {
  if (lastSnc.empty()) return std::nullopt;
  int k = DecimalPrefix(lastSnc);
  if (k < 10 || k > 200) return std::nullopt;
  return k;
}

bool IsSentinoxReportName(const std::string& name) { return EndsWithNoCase(name, ".SNC"); }

namespace {
bool Newer(const RetentionRecord& a, const RetentionRecord& b) {
  return a.date > b.date || (a.date == b.date && a.time > b.time);
}
}  // namespace

void OrderNewestFirst(std::vector<RetentionRecord>& records) {
  for (std::size_t j = 0; j + 1 < records.size(); ++j) {
    for (std::size_t k = j + 1; k < records.size(); ++k) {
      if (Newer(records[k], records[j])) std::swap(records[j], records[k]);
    }
  }
}

}  // namespace tessary
