#include "uninstall/logic/action_result.h"

namespace tessary {

const char* ActionStatusName(ActionStatus status) {
  switch (status) {
    case ActionStatus::NotChosen: return "notChosen";
    case ActionStatus::NotReached: return "notReached";
    case ActionStatus::Done: return "done";
    case ActionStatus::Declined: return "declined";
    case ActionStatus::Refused: return "refused";
    case ActionStatus::Failed: return "failed";
  }
  return "";
}

std::optional<LoggedStatus> StatusOfLogPrefix(std::string_view prefix) {
  if (prefix == "DONE:") return LoggedStatus{ActionStatus::Done, ""};
  if (prefix == "NOT DONE:") return LoggedStatus{ActionStatus::Declined, ""};
  // "DONE(reason):" is done, with why it needed nothing ("Already removed").
  constexpr std::string_view kDoneOpen = "DONE(", kDoneClose = "):";
  if (prefix.size() > kDoneOpen.size() + kDoneClose.size() && prefix.substr(0, kDoneOpen.size()) == kDoneOpen &&
      prefix.substr(prefix.size() - kDoneClose.size()) == kDoneClose)
    return LoggedStatus{ActionStatus::Done,
                        std::string(prefix.substr(kDoneOpen.size(), prefix.size() - kDoneOpen.size() - kDoneClose.size()))};
  constexpr std::string_view kOpen = "NOT DONE(", kClose = "):";
  if (prefix.size() <= kOpen.size() + kClose.size() || prefix.substr(0, kOpen.size()) != kOpen ||
      prefix.substr(prefix.size() - kClose.size()) != kClose)
    return std::nullopt;
  const std::string reason(prefix.substr(kOpen.size(), prefix.size() - kOpen.size() - kClose.size()));
  return LoggedStatus{reason == "ERROR" ? ActionStatus::Failed : ActionStatus::Refused, reason};
}

}  // namespace tessary
