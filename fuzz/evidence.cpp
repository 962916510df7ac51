// The evidence file beside an action file: the input is read as a whole file, and its
// fields (cut at NUL) are made into records and facts. Checked: what the reader takes
// reads back the same when written again; what the writer writes reads back as written;
// an entry fact reads back field by field; the plan of a tree never removes a path it
// keeps or one that holds a kept path, and removes deeper paths first.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "uninstall/logic/evidence.h"

namespace tessary {
namespace {

void CheckReader(std::string_view data) {
  const auto read = ParseEvidence(data);
  if (!read) return;
  std::string again = std::string(kEvidenceHeader) + "\r\n";
  for (const EvidenceRecord& r : read->records) {
    const std::string text = FormatEvidenceRecord(r);
    FUZZ_EXPECT(!text.empty(), "a record the reader took can be written", r.action);
    again += text;
  }
  if (!read->seal.empty()) again += FormatSealLine(read->seal);
  const auto reread = ParseEvidence(again);
  FUZZ_EXPECT(reread.has_value(), "a file written from what was read reads", again);
  if (!reread) return;
  FUZZ_EXPECT(reread->records == read->records, "the records read back", again);
  FUZZ_EXPECT_EQ(reread->seal, read->seal, "the seal reads back");
}

void CheckWriter(std::string_view data) {
  const std::vector<std::string> fields = fuzz::Fields(data, '\0');
  if (fields.empty()) return;
  EvidenceRecord record{fields[0], {}};
  std::map<std::string, std::string> recorded, live;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::string& f = fields[i];
    const char kind = f.empty() ? 'F' : f[0];
    std::string fact;
    if (kind == 'K') {
      fact = FormatKeyFact(f.substr(1));
    } else if (kind == 'I') {
      fact = FormatIniFact(f.substr(1));
    } else {
      EntryFact e;
      e.path = f.size() > 1 ? f.substr(1) : "";
      e.attributes = static_cast<std::uint32_t>(f.size() * 2654435761u);
      e.size = f.size();
      e.time = static_cast<std::uint64_t>(i) << 40;
      fact = FormatEntryFact(e);
      const auto back = ParseEntryFact(fact);
      FUZZ_EXPECT(back.has_value(), "an entry fact reads", fact);
      if (back) {
        FUZZ_EXPECT_EQ(back->path, e.path, "the path reads back");
        FUZZ_EXPECT_EQ(back->size, e.size, "the size reads back");
        FUZZ_EXPECT_EQ(back->time, e.time, "the time reads back");
        FUZZ_EXPECT_EQ(back->attributes, e.attributes, "the attributes read back");
      }
      // Half the entries as recorded, the rest changed or new.
      (i % 2 ? recorded : live)[e.path] = fact;
      if (i % 3 == 0) recorded[e.path] = fact;
    }
    record.facts.push_back(fact);
  }
  const std::string text = FormatEvidenceRecord(record);
  if (!text.empty()) {
    const auto read = ParseEvidence(std::string(kEvidenceHeader) + "\r\n" + text);
    FUZZ_EXPECT(read.has_value() && read->records.size() == 1 && read->records[0] == record,
                "a written record reads back as written", text);
  }
  const TreePlan plan = PlanTreeRemoval(recorded, live);
  const std::set<std::string> kept(plan.kept.begin(), plan.kept.end());
  FUZZ_EXPECT_EQ(plan.whole, plan.kept.empty(), "whole when nothing is kept");
  std::size_t lastDepth = SIZE_MAX;
  for (const std::string& path : plan.removable) {
    FUZZ_EXPECT(!kept.count(path), "a kept path is never removed", path);
    for (const std::string& k : plan.kept)
      FUZZ_EXPECT(!(path.empty() || (k.size() > path.size() && k.compare(0, path.size(), path) == 0 &&
                                     k[path.size()] == '\\')),
                  "a path holding a kept one is never removed", path + " holds " + k);
    std::size_t depth = path.empty() ? 0 : 1;
    for (char c : path) depth += c == '\\';
    FUZZ_EXPECT(depth <= lastDepth, "deeper paths go first", path);
    lastDepth = depth;
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tessary::CheckReader(input);
  tessary::CheckWriter(input);
  return 0;
}
