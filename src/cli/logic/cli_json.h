// The pieces of tessaryc's JSON documents (docs/cli-json.md), built with nlohmann/json.
// No <windows.h>.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/logic/report_summary.h"
#include "cli/logic/undo_logic.h"
#include "compare/logic/compare_coverage.h"
#include "compare/logic/noise_list.h"

namespace tessary::cli {

// The version of the documents' layout; it grows when a field changes meaning.
inline constexpr int kJsonSchema = 3;

// {"path", "actionFile", "finished", "cancelled", "changes", "sections": [...]}
nlohmann::json ReportJson(const ReportSummary& report, const std::string& reportPath, const std::string& actionFile);

// The install summary: {"count", "secondLook", "items": [{"index", "category", "title",
// "words", "secondLook", "why", "actions", "noUndo"}]} ("why" only with secondLook,
// "noUndo" only when something cannot be undone).
nlohmann::json SummaryJson(const std::vector<SummaryItem>& items);

// What a compare run looked at: {"compared": [...], "notCompared": [{"what", "why"}]}.
nlohmann::json CoverageJson(const CompareCoverage& coverage);

// What a compare run left out as the system's own changes: {"noise": {"count", "rules":
// [{"rule", "count"}]}}, the rules in the order they first matched.
nlohmann::json NoiseJson(const std::vector<NoiseCount>& counts);

// The console's line for it: "left out as noise: 2 (value ...: 1; path ...: 1)"; empty
// when nothing was left out.
std::string NoiseText(const std::vector<NoiseCount>& counts);

// A time as ISO 8601 with seconds: "2026-12-08T12:40:05".
std::string IsoTime(int year, int month, int day, int hour, int minute, int second);

// One action: {"index", "line", "kind", "target"} (index from 1 in list order), and
// "sensitive": true for a write into a start-up place.
nlohmann::json ActionJson(std::size_t index, const std::string& line);

// {"section", "kind", "change", "text", "undoable"}
nlohmann::json LeftoverJson(const Leftover& leftover);

// A message the run showed: {"caption", "text"} (and "answer" for a question).
nlohmann::json MessageJson(const std::string& caption, const std::string& text, const std::string& answer);

}  // namespace tessary::cli
