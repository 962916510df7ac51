#include "cli/logic/undo_logic.h"

#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "uninstall/logic/action_file.h"

namespace tessary::cli {

std::vector<bool> ChooseActions(const std::vector<std::string>& entries, const std::vector<std::string>& only) {
  std::vector<bool> chosen(entries.size(), false);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].empty()) continue;
    if (only.empty()) {
      chosen[i] = true;
      continue;
    }
    for (const std::string& text : only)
      if (!text.empty() && ContainsNoCase(entries[i], text)) chosen[i] = true;
  }
  return chosen;
}

std::optional<std::vector<bool>> ChooseSummaryActions(const std::vector<std::string>& entries,
                                                      const std::vector<SummaryItem>& items,
                                                      const std::vector<std::string>& selectors, std::string& error) {
  std::vector<bool> chosen(entries.size(), false);
  for (const std::string& selector : selectors) {
    bool named = false;
    for (std::size_t n = 0; n < items.size(); ++n) {
      if (selector != std::to_string(n + 1) && !EqualsNoCase(selector, SummaryCategoryName(items[n].category))) continue;
      named = true;
      for (const std::string& action : items[n].actions) {
        bool found = false;
        for (std::size_t i = 0; i < entries.size(); ++i)
          if (!entries[i].empty() && EqualsNoCase(entries[i], action)) chosen[i] = found = true;
        if (!found) {
          error = "summary item " + std::to_string(n + 1) + " names an action the action file does not hold: " + action;
          return std::nullopt;
        }
      }
    }
    if (!named) {
      error = "the summary has no item " + selector + " (give its number or a category such as autostart)";
      return std::nullopt;
    }
  }
  return chosen;
}

bool ActionReadable(std::string_view entry, std::string_view original) {
  if (entry.empty()) return true;
  const ActionKind kind = ClassifyAction(entry);
  if (kind == ActionKind::RegValueRemove || kind == ActionKind::RegValueRestore)
    return ParseValueAction(original.empty() ? entry : original).has_value();
  return !DescribeAction(entry).kind.empty();
}

ActionTarget DescribeAction(std::string_view line) {
  auto ini = [](const IniAction& a) { return a.file + "[" + a.section + "] " + a.key; };
  switch (ClassifyAction(line)) {
    case ActionKind::Change:
      if (auto a = ParseChangeAction(line)) return {"change", ini(*a)};
      break;
    case ActionKind::Add:
      if (auto a = ParseAddAction(line)) return {"add", ini(*a)};
      break;
    case ActionKind::Remove:
      if (auto a = ParseRemoveAction(line)) return {"remove", ini(*a)};
      break;
    case ActionKind::RegDatRemove:
      if (auto a = ParseRegDatRemoveAction(line)) return {"registryKey", a->keyPath};
      break;
    case ActionKind::RemoveFile:
      if (auto a = ParseRemoveFileAction(line)) return {"removeFile", a->path + (a->isDirectory ? "\\" : "")};
      break;
    case ActionKind::RegValueRemove:
    case ActionKind::RegValueRestore:
      if (auto a = ParseValueAction(line)) return {"registryValue", a->keyPath + " " + DescribeValueName(a->name)};
      break;
    case ActionKind::None: break;
  }
  return {};
}

std::vector<ActionOutcome> OutcomesFromLog(std::string_view logBlock, const std::vector<std::string>& entries,
                                           const std::vector<bool>& chosen) {
  struct Logged {
    std::string status, reason, line;
  };
  std::vector<Logged> logged;
  ForEachLine(logBlock, [&](std::string_view line) {
    if (line.substr(0, 5) == "DONE:") {
      logged.push_back({"done", "", std::string(line.substr(5))});
    } else if (line.substr(0, 5) == "DONE(") {
      // Done with a reason: "DONE(Already removed):" for a key that was gone already.
      const std::size_t close = line.find("):");
      if (close == std::string_view::npos) return;
      logged.push_back({"done", std::string(line.substr(5, close - 5)), std::string(line.substr(close + 2))});
    } else if (line.substr(0, 9) == "NOT DONE:") {
      logged.push_back({"notDone", "declined", std::string(line.substr(9))});
    } else if (line.substr(0, 9) == "NOT DONE(") {
      const std::size_t close = line.find("):");
      if (close == std::string_view::npos) return;
      logged.push_back({"notDone", std::string(line.substr(9, close - 9)), std::string(line.substr(close + 2))});
    }
  });
  std::vector<ActionOutcome> outcomes(entries.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i >= chosen.size() || !chosen[i]) continue;
    outcomes[i] = {"notReached", ""};
    for (std::size_t j = next; j < logged.size(); ++j) {
      if (logged[j].line != entries[i]) continue;
      outcomes[i] = {logged[j].status, logged[j].reason};
      next = j + 1;
      break;
    }
  }
  return outcomes;
}

UndoneAction DescribeOutcome(const ActionResult& result) {
  switch (result.status) {
    case ActionStatus::Done: return {"done", "", "DONE"};
    case ActionStatus::Declined: return {"notDone", "declined", "NOT DONE (declined)"};
    case ActionStatus::Refused:
    case ActionStatus::Failed: return {"notDone", result.reason, "NOT DONE (" + result.reason + ")"};
    case ActionStatus::NotReached: return {"notReached", "", "NOT REACHED"};
    case ActionStatus::NotChosen: return {"notChosen", "", "NOT CHOSEN"};
  }
  return {};
}

namespace {

std::string WithoutTrailingBackslash(std::string_view path) {
  std::string p(path);
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  return p;
}

bool SameFolder(std::string_view a, std::string_view b) {
  return EqualsNoCase(WithoutTrailingBackslash(a), WithoutTrailingBackslash(b));
}

// A boot or INI file's own section found nothing: its new date is all that changed.
bool OnlyDateChanged(const ReportSummary& report, SectionKind kind, std::string_view file) {
  const ReportSection* s = report.Find(kind, file);
  return s == nullptr || s->findings.empty();
}

}  // namespace

std::vector<Leftover> FindLeftovers(const ReportSummary& after, std::string_view windowsDirectory,
                                    std::string_view backupDirectory) {
  std::vector<Leftover> left;
  const std::string root = std::string(windowsDirectory.substr(0, 2)) + "\\";
  for (const ReportSection& s : after.sections) {
    if (s.kind == SectionKind::FreeSpace) continue;
    const bool inWindows = s.kind == SectionKind::Directory && SameFolder(s.name, windowsDirectory);
    const bool inRoot = s.kind == SectionKind::Directory && SameFolder(s.name, root);
    if (s.kind == SectionKind::Directory && !backupDirectory.empty() && SameFolder(s.name, backupDirectory)) continue;
    for (const ReportFinding& f : s.findings) {
      if (s.kind == SectionKind::Directory && !f.isDirectory) {
        const std::string name = ToUpperAscii(f.name);
        // The safety copies an undo writes, whether this undo made them or refreshed
        // those of an earlier one.
        if (inWindows && EndsWithNoCase(name, ".UIB")) continue;
        if (inWindows && name == "TESSARY.INI") continue;
        if (inRoot && name == "MSDOS.UIB") continue;
        if (f.change == "updated" && inWindows &&
            (name == "WIN.INI" || name == "SYSTEM.INI" || name == "PROTOCOL.INI") &&
            OnlyDateChanged(after, SectionKind::Ini, name))
          continue;
        if (f.change == "updated" && inRoot &&
            (name == "AUTOEXEC.BAT" || name == "CONFIG.SYS" || name == "MSDOS.SYS") &&
            OnlyDateChanged(after, SectionKind::Boot, name))
          continue;
      }
      Leftover l;
      l.section = s.name;
      l.kind = SectionKindName(s.kind);
      l.change = f.change;
      l.text = f.line;
      l.undoable = !f.noAction && s.kind != SectionKind::Boot;
      left.push_back(std::move(l));
    }
  }
  return left;
}

}  // namespace tessary::cli
