// What tessaryc decides around the uninstall executor, without the system: which
// actions --only chooses, which lines the executor would refuse as integrity errors, what
// each action is, what the log block says of each chosen action, and what a compare after
// an undo still finds. No <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/logic/report_summary.h"
#include "uninstall/logic/action_result.h"

namespace tessary::cli {

// One flag per entry: the entries holding one of `only` (any case), or every entry that
// is not empty when `only` is empty.
std::vector<bool> ChooseActions(const std::vector<std::string>& entries, const std::vector<std::string>& only);

// The entries (as loaded) that undo the summary items `selectors` names: an item by its
// number ("3") or every item of a category by its name ("autostart"). Nothing, and
// `error` says why, when a selector names no item or an item's action line is not among
// the entries (an action file that is not the report's).
std::optional<std::vector<bool>> ChooseSummaryActions(const std::vector<std::string>& entries,
                                                      const std::vector<SummaryItem>& items,
                                                      const std::vector<std::string>& selectors, std::string& error);

// Whether the executor reads the line (an entry as loaded: upper-cased) as an action:
// an empty line is no action; any other line must be of a known kind and parse. A
// registry value line is read as written (`original`, when given), as the executor
// reads it: its name and data keep their case.
bool ActionReadable(std::string_view entry, std::string_view original = {});

// The kind of an action line and what it changes, for people and for JSON.
struct ActionTarget {
  std::string kind;    // "change", "add", "remove", "registryKey", "registryValue", "removeFile",
                       // "" when unreadable
  std::string target;  // "WIN.INI[section] key", "HKEY_...\key", "HKEY_...\key \"name\"", "C:\dir\name"
};
ActionTarget DescribeAction(std::string_view line);

// What became of one chosen action, from the log block the run appended.
struct ActionOutcome {
  std::string status;  // "done", "notDone", "notReached" (no log line: refused as an integrity error or the run stopped first)
  std::string reason;  // "NOT DONE(reason):" and "DONE(reason):" give the reason; "NOT DONE:" gives "declined"
};

// What the executor's result for a chosen action means for tessaryc's output: the JSON
// `outcome` ("done", "notDone", "notReached") and `reason` ("declined", or why it was
// refused or failed), and the word printed before the entry ("DONE", "NOT DONE (reason)",
// "NOT REACHED").
struct UndoneAction {
  std::string outcome, reason, text;
};
UndoneAction DescribeOutcome(const ActionResult& result);

// The log block's lines in order matched to the chosen entries in order: each chosen
// entry takes the next line that logs it. Entries not chosen get an empty outcome.
std::vector<ActionOutcome> OutcomesFromLog(std::string_view logBlock, const std::vector<std::string>& entries,
                                           const std::vector<bool>& chosen);

// A finding of the compare after an undo that still differs from the backup.
struct Leftover {
  std::string section;  // the section's name
  std::string kind;     // the section's kind ("boot", "ini", ...)
  std::string change;   // the finding's change
  std::string text;     // the report line
  bool undoable = false;  // the report gives it an undo action (the undo did not restore it)
};

// What the report of a compare after an undo still finds, less what is no change of the
// program's: free space, the INI safety copies the undo writes (*.uib in the Windows
// folder, msdos.uib in C:\), the settings file tessary.ini, files of the backup directory itself, and an INI or boot
// file whose date alone changed (its own section finds no entry).
std::vector<Leftover> FindLeftovers(const ReportSummary& after, std::string_view windowsDirectory,
                                    std::string_view backupDirectory);

}  // namespace tessary::cli
