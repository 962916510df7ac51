#include "cli/logic/report_summary.h"

#include <algorithm>
#include <map>

#include "compare/logic/compare_text.h"
#include "compare/logic/noise_list.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary::cli {

namespace {

constexpr std::string_view kBootRule = "====================";  // boot and INI sections
constexpr std::string_view kRegistryRule = "================";
constexpr std::string_view kDirectoryRule = "===============";
constexpr std::string_view kFreeSpaceRule = "- - - - -";
constexpr std::string_view kDeepHeading = "DEEP TRACKING: ";  // after kDirectoryRule
constexpr std::string_view kDeepRule = "---------------";     // a deep place's block
constexpr std::string_view kCancelled = "---COMPARE CANCELLED BY USER---";
constexpr std::string_view kNoChanges = "---No Changes found---";
constexpr std::string_view kValuesAdded = "Registry values ADDED:";  // after kRegistryRule
constexpr std::string_view kValuesNote = "***Values were not recorded";  // or before it
constexpr std::string_view kNotRestorable = ", not restorable";
constexpr std::string_view kSameDate = " - No changes made (File has same date/time)";
constexpr const char* kBootFiles[] = {"AUTOEXEC.BAT", "CONFIG.SYS", "MSDOS.SYS"};
constexpr const char* kIniFiles[] = {"WIN.INI", "SYSTEM.INI", "PROTOCOL.INI"};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsBootHeading(std::string_view line) {
  for (const char* f : kBootFiles)
    if (line == std::string(f) + " File" || line == std::string(f) + std::string(kSameDate)) return true;
  return false;
}
bool IsIniHeading(std::string_view line) {
  for (const char* f : kIniFiles)
    if (line == f || line == std::string(f) + std::string(kSameDate)) return true;
  return false;
}

// "key=value" split at the first "=".
void SplitKeyValue(std::string_view text, std::string& key, std::string& value) {
  const std::size_t eq = text.find('=');
  key = std::string(text.substr(0, eq));
  value = eq == std::string_view::npos ? std::string() : std::string(text.substr(eq + 1));
}

std::uint64_t ParseGrouped(std::string_view digits) {
  std::uint64_t n = 0;
  for (char c : digits)
    if (c >= '0' && c <= '9') n = n * 10 + static_cast<std::uint64_t>(c - '0');
  return n;
}

class Reader {
 public:
  explicit Reader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  ReportSummary Read() {
    if (!lines_.empty()) summary_.title = lines_[0];
    if (lines_.size() > 1) summary_.path = lines_[1];
    std::size_t i = 2;
    // The explanatory block of a full report ends with its own last line.
    if (i < lines_.size() && lines_[i] == std::string(40, '=')) {
      while (i < lines_.size() && !StartsWith(lines_[i], "updated (changed/replaced)")) ++i;
      ++i;
    }
    for (; i < lines_.size(); ++i) {
      // The install summary's block is no section: read apart (ReadSummaryBlock).
      if (summary_.sections.empty() && StartsWith(lines_[i], kSummaryFirstLine)) {
        while (i < lines_.size() && lines_[i] != kSummaryLastLine) ++i;
        continue;
      }
      Line(i);
    }
    return std::move(summary_);
  }

 private:
  enum class Mode { None, Boot, Ini, Registry, Values, Directory, FreeSpace, DeepHeading, Deep };

  const std::string& Next(std::size_t i) const {
    static const std::string kEmpty;
    return i + 1 < lines_.size() ? lines_[i + 1] : kEmpty;
  }

  ReportSection& Open(SectionKind kind, std::string name, Mode mode) {
    summary_.sections.push_back({kind, std::move(name), false, {}, {}});
    mode_ = mode;
    pass_ = "added";
    context_.clear();
    lastLabel_.clear();
    return summary_.sections.back();
  }
  ReportSection& Current() { return summary_.sections.back(); }
  void Add(ReportFinding finding) { Current().findings.push_back(std::move(finding)); }

  void Line(std::size_t& i) {
    const std::string& line = lines_[i];
    if (line == kCancelled) {
      summary_.cancelled = true;
      return;
    }
    if (line == kNoChanges) {
      summary_.noChangesLine = true;
      return;
    }
    // Section starts. A rule line inside a boot file's findings is a finding unless a
    // section heading follows it.
    if (line == kBootRule && (IsBootHeading(Next(i)) || IsIniHeading(Next(i)))) {
      const std::string& heading = lines_[++i];
      const bool same = EndsWith(heading, kSameDate);
      const std::string file = same ? heading.substr(0, heading.size() - kSameDate.size())
                                    : (EndsWith(heading, " File") ? heading.substr(0, heading.size() - 5) : heading);
      const bool boot = IsBootHeading(heading);
      ReportSection& s = Open(boot ? SectionKind::Boot : SectionKind::Ini, file, boot ? Mode::Boot : Mode::Ini);
      s.sameDate = same;
      if (same) mode_ = Mode::None;
      return;
    }
    if (mode_ != Mode::Boot && line == kRegistryRule && Next(i) == "Registry keys ADDED:") {
      ++i;
      Open(SectionKind::Registry, "Registry", Mode::Registry);
      return;
    }
    // The registry keys end with their rule; the values part (recorded values only)
    // follows at once, its notes first.
    if (mode_ == Mode::Registry && line == kRegistryRule) {
      if (Next(i) == kValuesAdded || StartsWith(Next(i), kValuesNote) ||
          (StartsWith(Next(i), "***") && StartsWith(Next(i).substr(3), kNoiseLineText)))
        Open(SectionKind::RegistryValues, "Registry values", Mode::Values);
      else
        mode_ = Mode::None;
      return;
    }
    // The deep part comes after every standard section: its heading (the places and what
    // is left out), then one block per place with findings, "Title: folder".
    if (mode_ != Mode::Boot && line == kDirectoryRule && StartsWith(Next(i), kDeepHeading)) {
      ++i;
      mode_ = Mode::DeepHeading;
      return;
    }
    if ((mode_ == Mode::DeepHeading || mode_ == Mode::Deep) && line == kDeepRule) {
      const std::string heading = Next(i);
      if (i + 1 < lines_.size()) ++i;
      const std::size_t colon = heading.find(": ");
      Open(SectionKind::Deep, colon == std::string::npos ? heading : heading.substr(colon + 2), Mode::Deep);
      return;
    }
    if ((mode_ == Mode::DeepHeading || mode_ == Mode::Deep) && StartsWith(line, "--") &&
        line.find(" not compared: ") != std::string::npos) {
      summary_.notScanned.push_back(line);
      return;
    }
    if (mode_ != Mode::Boot && line == kDirectoryRule && EndsWith(Next(i), " Directory")) {
      const std::string& heading = lines_[++i];
      Open(SectionKind::Directory, heading.substr(0, heading.size() - 10), Mode::Directory);
      return;
    }
    if (mode_ != Mode::Boot && StartsWith(line, "--") && line.find(" not scanned.") != std::string::npos) {
      summary_.notScanned.push_back(line);
      mode_ = Mode::None;
      return;
    }
    if (line == kFreeSpaceRule && mode_ != Mode::Boot && mode_ != Mode::Registry && mode_ != Mode::Values) {
      if (mode_ == Mode::FreeSpace) {
        mode_ = Mode::None;
      } else {
        Open(SectionKind::FreeSpace, "Free disk space", Mode::FreeSpace);
      }
      return;
    }
    switch (mode_) {
      case Mode::Boot: BootLine(line); break;
      case Mode::Ini: IniLine(i); break;
      case Mode::Registry: RegistryLine(line); break;
      case Mode::Values: ValueLine(i); break;
      case Mode::Directory: DirectoryLine(line); break;
      case Mode::FreeSpace: FreeSpaceLine(line); break;
      case Mode::Deep: DeepLine(line); break;
      case Mode::DeepHeading:
      case Mode::None: break;
    }
  }

  void BootLine(const std::string& line) {
    if (line == "Lines added or modified:" || line == "No lines added or modified.") return;
    if (line == "- - -") {
      pass_ = "deleted";
      context_.clear();
      lastLabel_.clear();
      return;
    }
    if (line == "Lines deleted or modified:") return;
    // A block label is written before the first finding of its block; a new label line
    // is then written a second time as a finding of its own.
    if (!line.empty() && line[0] == ':' && line != lastLabel_) {
      context_ = line;
      lastLabel_ = line;
      return;
    }
    lastLabel_.clear();
    ReportFinding f;
    f.change = pass_;
    f.line = line;
    f.context = context_;
    Add(std::move(f));
  }

  void IniLine(std::size_t& i) {
    const std::string& line = lines_[i];
    if (line == "------" || line == "- - -" || line == "Lines Added or Changed:" ||
        line == "No Added or Changed lines found." || line == "No Deleted lines found.")
      return;
    if (line == "Lines Deleted (or ignored with ';'):") return;
    if (line == kNoActionNote || line == kRepeatedSectionNote) {
      if (!Current().findings.empty()) Current().findings.back().noAction = true;
      return;
    }
    ReportFinding f;
    if (StartsWith(line, "ADDED: ")) {
      f.change = "added";
      SplitKeyValue(std::string_view(line).substr(7), f.key, f.value);
    } else if (StartsWith(line, "DELETED: ")) {
      f.change = "deleted";
      SplitKeyValue(std::string_view(line).substr(9), f.key, f.value);
    } else if (StartsWith(line, "FROM:  ") && StartsWith(Next(i), "TO:    ")) {
      f.change = "changed";
      std::string key;
      SplitKeyValue(std::string_view(line).substr(7), key, f.from);
      const std::string& to = lines_[++i];
      SplitKeyValue(std::string_view(to).substr(7), f.key, f.value);
      f.line = to;
      f.context = context_;
      Add(std::move(f));
      return;
    } else if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      context_ = line.substr(1, line.size() - 2);
      return;
    } else {
      Current().notes.push_back(line);
      return;
    }
    f.line = line;
    f.context = context_;
    Add(std::move(f));
  }

  void RegistryLine(const std::string& line) {
    if (line == kFreeSpaceRule) return;
    if (line == kRegistryRule) {
      mode_ = Mode::None;
      return;
    }
    if (StartsWith(line, "***")) {
      Current().notes.push_back(line);
      return;
    }
    ReportFinding f;
    f.line = line;
    if (StartsWith(line, kLeftOutPrefix)) {
      f.change = "leftOut";
      f.name = line.substr(std::string_view(kLeftOutPrefix).size());
      f.noAction = true;
    } else {
      f.change = "added";
      f.name = line;
    }
    Add(std::move(f));
  }

  // "Registry values ADDED:", "CHANGED:" and "DELETED:", each list between "- - - - -"
  // lines: "KEY NAME = DATA" (added, deleted), "KEY NAME" with its "FROM:" and "TO:"
  // lines (changed); old data that cannot be put back ends in ", not restorable".
  void ValueLine(std::size_t& i) {
    const std::string& line = lines_[i];
    if (line == kFreeSpaceRule) return;
    if (line == kRegistryRule) {
      mode_ = Mode::None;
      return;
    }
    if (line == kValuesAdded || line == "Registry values CHANGED:" || line == "Registry values DELETED:") {
      pass_ = line == kValuesAdded ? "added" : line[16] == 'C' ? "changed" : "deleted";
      return;
    }
    if (StartsWith(line, "***")) {
      Current().notes.push_back(line);
      return;
    }
    ReportFinding f;
    f.change = pass_;
    f.line = line;
    if (pass_ == "changed" && StartsWith(Next(i), "FROM:  ") && i + 2 < lines_.size() &&
        StartsWith(lines_[i + 2], "TO:    ")) {
      f.key = line;
      f.from = lines_[i + 1].substr(7);
      f.value = lines_[i + 2].substr(7);
      f.noAction = EndsWith(f.from, kNotRestorable);
      i += 2;
    } else {
      const std::size_t equals = line.find(" = ");
      f.key = line.substr(0, equals);
      f.value = equals == std::string::npos ? std::string() : line.substr(equals + 3);
      f.noAction = f.change == "deleted" && EndsWith(line, kNotRestorable);
    }
    Add(std::move(f));
  }

  // "ADDED  : path  5 bytes", "ADDED  : path  (DIR)  3 files, 9 bytes",
  // "UPDATED: path  OLD: ...  NEW: ...", "DELETED: path" or "DELETED: path  (DIR)".
  void DeepLine(const std::string& line) {
    ReportFinding f;
    f.line = line;
    std::string rest = line.size() > 9 ? line.substr(9) : std::string();
    if (StartsWith(line, "ADDED  : ")) {
      f.change = "added";
      const std::size_t dir = rest.rfind("  (DIR)  ");
      f.isDirectory = dir != std::string::npos;
      const std::size_t cut = f.isDirectory ? dir : rest.rfind("  ");
      f.name = rest.substr(0, cut);
    } else if (StartsWith(line, "UPDATED: ")) {
      f.change = "updated";
      f.name = rest.substr(0, rest.rfind("  OLD: "));
      f.noAction = true;  // reported only
    } else if (StartsWith(line, "DELETED: ")) {
      f.change = "deleted";
      f.isDirectory = EndsWith(rest, "  (DIR)");
      f.name = f.isDirectory ? rest.substr(0, rest.size() - 7) : rest;
      f.noAction = true;  // nothing can bring it back
    } else {
      if (!line.empty()) Current().notes.push_back(line);
      return;
    }
    Add(std::move(f));
  }

  void DirectoryLine(const std::string& line) {
    if (line == kNoActionNote) {
      if (!Current().findings.empty()) Current().findings.back().noAction = true;
      return;
    }
    ReportFinding f;
    f.line = line;
    if (StartsWith(line, "ADDED  : ")) {
      f.change = "added";
      f.name = line.substr(9);
      if (EndsWith(f.name, "  (DIR)")) {
        f.isDirectory = true;
        f.name.resize(f.name.size() - 7);
      } else if (EndsWith(f.name, "  (FILE)")) {
        f.name.resize(f.name.size() - 8);
      }
    } else if (StartsWith(line, "UPDATED: ")) {
      f.change = "updated";
      const std::size_t newAt = line.find("\tNEW:");
      const std::size_t oldAt = line.find("\tOLD:");
      f.name = line.substr(9, newAt == std::string::npos ? std::string::npos : newAt - 9);
      while (!f.name.empty() && f.name.back() == '\t') f.name.pop_back();
      if (newAt != std::string::npos && oldAt != std::string::npos && oldAt > newAt) {
        f.newTime = line.substr(newAt + 5, oldAt - newAt - 5);
        f.oldTime = line.substr(oldAt + 5);
      }
      f.noAction = true;  // updated files are reported only
    } else if (StartsWith(line, kLeftOutPrefix)) {
      f.change = "leftOut";
      f.name = line.substr(std::string_view(kLeftOutPrefix).size());
      f.noAction = true;
    } else {
      Current().notes.push_back(line);
      return;
    }
    Add(std::move(f));
  }

  void FreeSpaceLine(const std::string& line) {
    const bool increase = StartsWith(line, "Increase in free disk space on drive ");
    const bool decrease = StartsWith(line, "Decrease in free disk space on drive ");
    if (!increase && !decrease) {
      Current().notes.push_back(line);
      return;
    }
    ReportFinding f;
    f.change = increase ? "increase" : "decrease";
    f.line = line;
    const std::size_t letterAt = std::string_view("Increase in free disk space on drive ").size();
    f.drive = letterAt < line.size() ? line[letterAt] : 0;
    const std::size_t amountAt = line.find(":  ");
    const std::size_t bytesAt = line.find(" Bytes.");
    if (amountAt != std::string::npos && bytesAt != std::string::npos && bytesAt > amountAt)
      f.bytes = ParseGrouped(std::string_view(line).substr(amountAt + 3, bytesAt - amountAt - 3));
    f.noAction = true;
    Add(std::move(f));
  }

  std::vector<std::string> lines_;
  ReportSummary summary_;
  Mode mode_ = Mode::None;
  std::string pass_ = "added";
  std::string context_;
  std::string lastLabel_;
};

}  // namespace

std::size_t ReportSummary::Changes() const {
  std::size_t n = 0;
  for (const ReportSection& s : sections)
    if (s.kind != SectionKind::FreeSpace) n += s.findings.size();
  return n;
}

const ReportSection* ReportSummary::Find(SectionKind kind, std::string_view name) const {
  for (const ReportSection& s : sections)
    if (s.kind == kind && EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

ReportSummary ReadReport(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  // The last line of a report may lack its line end ("---No Changes found---").
  ReportSummary summary = Reader(std::move(lines)).Read();
  summary.installSummary = ReadSummaryBlock(text);
  return summary;
}

std::vector<std::string> SummaryLines(const std::vector<SummaryItem>& items) {
  const auto flagged = std::count_if(items.begin(), items.end(), [](const SummaryItem& i) { return i.secondLook; });
  std::vector<std::string> out = {"summary: " + std::to_string(items.size()) + (items.size() == 1 ? " item" : " items") +
                                  ", " + std::to_string(flagged) + " for a second look"};
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SummaryItem& item = items[i];
    const std::string number = std::to_string(i + 1);
    out.push_back("  [" + number + "] " + SummaryCategoryTitle(item.category) + ": " + item.words);
    if (item.secondLook) out.push_back("      second look: " + item.why);
    if (!item.actions.empty())
      out.push_back("      undo: " + std::to_string(item.actions.size()) +
                    (item.actions.size() == 1 ? " action" : " actions") + " (undo --only-summary " + number + ")");
    if (!item.noUndo.empty()) out.push_back("      no undo: " + item.noUndo);
  }
  return out;
}

std::string CountsText(const ReportSection& section) {
  if (section.findings.empty()) return section.sameDate ? "no changes (same date and time)" : "no changes";
  std::vector<std::pair<std::string, int>> counts;
  for (const ReportFinding& f : section.findings) {
    std::string word = f.change;
    if (section.kind == SectionKind::Registry && word == "added") word = "keys added";
    bool found = false;
    for (auto& [w, n] : counts)
      if (w == word) found = (++n, true);
    if (!found) counts.emplace_back(word, 1);
  }
  std::string text;
  for (const auto& [w, n] : counts) text += (text.empty() ? "" : ", ") + std::to_string(n) + " " + w;
  return text;
}

}  // namespace tessary::cli
