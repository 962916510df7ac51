// The compare report as tessaryc reads it back (a report is a file anyone can edit or
// hand over): every finding is counted once, every section can be found by its name,
// the JSON made from it is valid JSON whatever bytes the report holds, and line ends
// written as CR LF read as the same report as plain LF; a summary block reads back as it
// is written again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/logic/cli_json.h"
#include "cli/logic/report_summary.h"
#include "fuzz_check.h"

namespace tessary::cli {
namespace {

std::string JsonText(const ReportSummary& report) {
  return ReportJson(report, "C:\\B\\R.TSC", "C:\\B\\R.TSU").dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Check(std::string_view text) {
  const ReportSummary report = ReadReport(text);

  std::size_t changes = 0;
  for (const ReportSection& s : report.sections) {
    if (s.kind != SectionKind::FreeSpace) changes += s.findings.size();
    const ReportSection* found = report.Find(s.kind, s.name);
    FUZZ_EXPECT(found != nullptr, "every section is found by its own name", s.name);
    FUZZ_EXPECT(!CountsText(s).empty(), "every section has its counts", s.name);
  }
  FUZZ_EXPECT_EQ(report.Changes(), changes, "changes are the findings outside free space");

  const std::string json = JsonText(report);
  const nlohmann::json back = nlohmann::json::parse(json, nullptr, false);
  FUZZ_EXPECT(!back.is_discarded(), "the report's JSON parses", json);
  FUZZ_EXPECT_EQ(back["sections"].size(), report.sections.size(), "one JSON section per report section");

  // A summary block read from the report is written again as the same items.
  if (report.installSummary) {
    const std::string block = FormatSummaryBlock(*report.installSummary);
    const auto again = ReadSummaryBlock(block);
    FUZZ_EXPECT(again && again->size() == report.installSummary->size(), "a summary block reads back whole", block);
    if (again)
      for (std::size_t i = 0; i < again->size(); ++i)
        FUZZ_EXPECT((*again)[i].words == (*report.installSummary)[i].words &&
                        (*again)[i].actions == (*report.installSummary)[i].actions,
                    "a summary item reads back as written", block);
    const std::string summary =
        SummaryJson(*report.installSummary).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    FUZZ_EXPECT(!nlohmann::json::parse(summary, nullptr, false).is_discarded(), "the summary's JSON parses", summary);
  }

  if (text.find('\r') == std::string_view::npos) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8);
    for (char c : text) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    FUZZ_EXPECT_EQ(JsonText(ReadReport(crlf)), json, "CR LF line ends read as LF");
  }
}

}  // namespace
}  // namespace tessary::cli

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::cli::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
