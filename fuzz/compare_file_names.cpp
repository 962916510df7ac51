// The compare-report lists of a backup directory (the Uninstall chooser and the View
// dialog): the input is the directory's names, one after each NUL. Checked: which
// names are listed, that each entry gives back the name it was made from, the action
// file that goes with a report, and the newest-first order of Sentinox retention.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz_check.h"
#include "platform/ascii.h"
#include "reports/logic/retention_logic.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/compare_file_names.h"

namespace tessary {
namespace {

void Check(std::string_view data) {
  const std::vector<std::string> names = fuzz::Fields(data, '\0');
  std::vector<RetentionRecord> records;
  std::uint16_t tick = 0;
  for (const std::string& name : names) {
    const bool tsc = EndsWithNoCase(name, ".tsc"), snc = EndsWithNoCase(name, ".snc");
    FUZZ_EXPECT(!CompareFileEntry(name, true, true, true).has_value(), "a folder is never listed", name);
    auto asTsc = CompareFileEntry(name, false, true, false);
    auto asSnc = CompareFileEntry(name, false, false, true);
    FUZZ_EXPECT_EQ(asTsc.has_value(), tsc, "a report is listed by its extension");
    FUZZ_EXPECT_EQ(asSnc.has_value(), snc, "a Sentinox report is listed by its extension");
    FUZZ_EXPECT_EQ(IsSentinoxReportName(name), snc, "retention takes the same Sentinox reports");
    for (const auto& entry : {asTsc, asSnc}) {
      if (!entry) continue;
      FUZZ_EXPECT_EQ(CompareFileNameOf(*entry), name, "a list entry gives back its file name");
      // The action file of the chosen report: the report's path, "tsu" for its extension.
      const std::string report = "C:\\TESSARY\\" + CompareFileNameOf(*entry);
      const std::string actions = ActionFilePathFor(report);
      FUZZ_EXPECT_EQ(actions, report.substr(0, report.size() - 3) + "tsu", "the action file of a report");
    }
    if (snc) {
      tick = static_cast<std::uint16_t>(tick * 31 + name.size());
      records.push_back({name, static_cast<std::uint16_t>(tick % 7), static_cast<std::uint16_t>(name.size() % 3)});
    }
  }

  std::vector<RetentionRecord> ordered = records;
  OrderNewestFirst(ordered);
  FUZZ_EXPECT_EQ(ordered.size(), records.size(), "retention keeps every report in its order");
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    const RetentionRecord &a = ordered[i - 1], &b = ordered[i];
    FUZZ_EXPECT(a.date > b.date || (a.date == b.date && a.time >= b.time), "newest first", b.name);
  }
  auto byName = [](const RetentionRecord& a, const RetentionRecord& b) {
    return std::tie(a.name, a.date, a.time) < std::tie(b.name, b.date, b.time);
  };
  std::sort(ordered.begin(), ordered.end(), byName);
  std::sort(records.begin(), records.end(), byName);
  bool same = true;
  for (std::size_t i = 0; i < records.size(); ++i)
    same = same && records[i].name == ordered[i].name && records[i].date == ordered[i].date &&
           records[i].time == ordered[i].time;
  FUZZ_EXPECT(same, "the order holds the same reports", std::to_string(records.size()));
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
