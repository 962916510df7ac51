// What became of each action of an uninstall run, as the run itself records it: the
// executor returns these with its result, and the log line it writes for an action says
// the same thing in the log's own words. A new kind of outcome is one more value of
// ActionStatus (and of the log prefix that writes it). No <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "uninstall/logic/action_file.h"

namespace tessary {

enum class ActionStatus {
  NotChosen,   // the entry was not selected
  NotReached,  // selected, but the run ended before it (a Cancel, Ctrl+C, a log that could not be written)
  Done,        // carried out: "DONE:"
  Declined,    // the user answered No: "NOT DONE:"
  Refused,     // the run would not carry it out (a protected key or folder, not found, an integrity error, ...)
  Failed,      // tried and failed: "NOT DONE(ERROR):"
};

struct ActionResult {
  std::size_t index = 0;  // the entry's place in the selection
  ActionKind kind = ActionKind::None;
  ActionStatus status = ActionStatus::NotChosen;
  std::string reason;  // Refused and Failed: why ("Protected", "File not found", "ERROR", "integrity error")
};

// "notChosen", "notReached", "done", "declined", "refused", "failed".
const char* ActionStatusName(ActionStatus status);

// The status and reason a log line's prefix records: "DONE:" is Done ("DONE(reason):" too,
// with its reason), "NOT DONE:" Declined,
// "NOT DONE(ERROR):" Failed and any other "NOT DONE(reason):" Refused with that reason.
// Nothing for a prefix that records no outcome.
struct LoggedStatus {
  ActionStatus status;
  std::string reason;
};
std::optional<LoggedStatus> StatusOfLogPrefix(std::string_view prefix);

}  // namespace tessary
