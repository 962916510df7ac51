#include "cli/logic/cli_json.h"
#include "uninstall/logic/sensitive_places.h"

#include <cstdio>

namespace tessary::cli {

namespace {

nlohmann::json FindingJson(SectionKind kind, const ReportFinding& f) {
  nlohmann::json j = {{"change", f.change}, {"text", f.line}};
  switch (kind) {
    case SectionKind::Boot:
      if (!f.context.empty()) j["block"] = f.context;
      break;
    case SectionKind::Ini:
      j["section"] = f.context;
      j["key"] = f.key;
      j["value"] = f.value;
      if (f.change == "changed") j["from"] = f.from;
      break;
    case SectionKind::Registry:
      j["key"] = f.name;
      break;
    case SectionKind::RegistryValues:
      j["value"] = f.key;
      j["data"] = f.value;
      if (f.change == "changed") j["from"] = f.from;
      break;
    case SectionKind::Directory:
      j["name"] = f.name;
      j["directory"] = f.isDirectory;
      if (f.change == "updated") {
        j["new"] = f.newTime;
        j["old"] = f.oldTime;
        if (!f.newAt.empty()) j["newAt"] = f.newAt;
        if (!f.oldAt.empty()) j["oldAt"] = f.oldAt;
      }
      break;
    case SectionKind::Deep:
      j["name"] = f.name;
      j["directory"] = f.isDirectory;
      break;
    case SectionKind::FreeSpace:
      j["drive"] = std::string(1, f.drive);
      j["bytes"] = f.bytes;
      break;
  }
  if (kind != SectionKind::FreeSpace && kind != SectionKind::Boot) j["undoAction"] = !f.noAction;
  return j;
}

}  // namespace

nlohmann::json ReportJson(const ReportSummary& report, const std::string& reportPath, const std::string& actionFile) {
  nlohmann::json sections = nlohmann::json::array();
  for (const ReportSection& s : report.sections) {
    nlohmann::json findings = nlohmann::json::array();
    for (const ReportFinding& f : s.findings) findings.push_back(FindingJson(s.kind, f));
    nlohmann::json section = {{"name", s.name}, {"kind", SectionKindName(s.kind)}, {"count", s.findings.size()},
                              {"entries", findings}};
    if (s.sameDate) section["sameDate"] = true;
    if (!s.notes.empty()) section["notes"] = s.notes;
    sections.push_back(std::move(section));
  }
  nlohmann::json j = {{"path", reportPath},
                      {"actionFile", actionFile},
                      {"finished", !report.cancelled},
                      {"cancelled", report.cancelled},
                      {"changes", report.Changes()},
                      {"sections", sections}};
  if (!report.notScanned.empty()) j["notScanned"] = report.notScanned;
  return j;
}

nlohmann::json SummaryJson(const std::vector<SummaryItem>& items) {
  nlohmann::json list = nlohmann::json::array();
  std::size_t flagged = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SummaryItem& item = items[i];
    nlohmann::json j = {{"index", i + 1},
                        {"category", SummaryCategoryName(item.category)},
                        {"title", SummaryCategoryTitle(item.category)},
                        {"words", item.words},
                        {"secondLook", item.secondLook},
                        {"actions", item.actions}};
    if (item.secondLook) j["why"] = item.why, ++flagged;
    if (!item.noUndo.empty()) j["noUndo"] = item.noUndo;
    list.push_back(std::move(j));
  }
  return {{"count", items.size()}, {"secondLook", flagged}, {"items", list}};
}

nlohmann::json CoverageJson(const CompareCoverage& coverage) {
  nlohmann::json notCompared = nlohmann::json::array();
  for (const NotCompared& n : coverage.notCompared)
    notCompared.push_back({{"what", n.what}, {"why", NotComparedWhyName(n.why)}});
  return {{"compared", coverage.compared}, {"notCompared", notCompared}};
}

nlohmann::json NoiseJson(const std::vector<NoiseCount>& counts) {
  std::size_t total = 0;
  nlohmann::json rules = nlohmann::json::array();
  for (const NoiseCount& c : counts) {
    total += c.count;
    rules.push_back({{"rule", c.rule}, {"count", c.count}});
  }
  return {{"noise", {{"count", total}, {"rules", rules}}}};
}

std::string NoiseText(const std::vector<NoiseCount>& counts) {
  NoiseTally tally;
  tally.Add(counts);
  if (tally.total() == 0) return {};
  std::string text = "left out as noise: " + std::to_string(tally.total()) + " (";
  for (std::size_t i = 0; i < counts.size(); ++i)
    text += (i ? "; " : "") + counts[i].rule + ": " + std::to_string(counts[i].count);
  return text + ")";
}

std::string IsoTime(int year, int month, int day, int hour, int minute, int second) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

nlohmann::json ActionJson(std::size_t index, const std::string& line) {
  const ActionTarget t = DescribeAction(line);
  nlohmann::json j = {{"index", index}, {"line", line}, {"kind", t.kind}, {"target", t.target}};
  if (t.kind.empty()) j["readable"] = false;
  // A write into a place that decides what Windows starts (sensitive_places.h).
  if (IsSensitiveWrite(line)) j["sensitive"] = true;
  return j;
}

nlohmann::json LeftoverJson(const Leftover& l) {
  return {{"section", l.section}, {"kind", l.kind}, {"change", l.change}, {"text", l.text}, {"undoable", l.undoable}};
}

nlohmann::json MessageJson(const std::string& caption, const std::string& text, const std::string& answer) {
  nlohmann::json j = {{"caption", caption}, {"text", text}};
  if (!answer.empty()) j["answer"] = answer;
  return j;
}

}  // namespace tessary::cli
