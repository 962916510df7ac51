// What a compare run looked at and what it did not, with the reason: a verdict such as
// "no changes" or "nothing left over" holds only for what was compared, and whoever
// shows it names the rest. The run fills it as it goes (compare_run.h). No <windows.h>.
#pragma once

#include <string>
#include <vector>

namespace tessary {

enum class NotComparedWhy {
  SwitchedOff,    // the settings (or the caller's choice of branches) leave it out
  OutsideMode,    // a place only deep tracking looks at, and deep tracking is off
  LeftOutByMode,  // the run mode leaves it out (the registry of a Sentinox or Direct run)
  NoBaseline,     // the backup set holds nothing to compare it with
  NotReached,     // the run stopped before it
};

struct NotCompared {
  std::string what;  // "HKEY_USERS", "Windows Directory", "ProgramData (C:\ProgramData)"
  NotComparedWhy why = NotComparedWhy::SwitchedOff;
};

struct CompareCoverage {
  std::vector<std::string> compared;  // what was held against the backup, in report order
  std::vector<NotCompared> notCompared;
};

// "switchedOff", "outsideMode", "leftOutByMode", "noBaseline", "notReached".
const char* NotComparedWhyName(NotComparedWhy why);
// The reason for people: "switched off", "deep tracking is off; --deep compares all of it", ...
const char* NotComparedWhyText(NotComparedWhy why);

}  // namespace tessary
