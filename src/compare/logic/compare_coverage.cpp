#include "compare/logic/compare_coverage.h"

namespace tessary {

const char* NotComparedWhyName(NotComparedWhy why) {
  switch (why) {
    case NotComparedWhy::SwitchedOff: return "switchedOff";
    case NotComparedWhy::OutsideMode: return "outsideMode";
    case NotComparedWhy::LeftOutByMode: return "leftOutByMode";
    case NotComparedWhy::NoBaseline: return "noBaseline";
    case NotComparedWhy::NotReached: return "notReached";
  }
  return "";
}

const char* NotComparedWhyText(NotComparedWhy why) {
  switch (why) {
    case NotComparedWhy::SwitchedOff: return "switched off";
    case NotComparedWhy::OutsideMode: return "deep tracking is off; --deep compares all of it";
    case NotComparedWhy::LeftOutByMode: return "left out in this run mode";
    case NotComparedWhy::NoBaseline: return "the backup set holds nothing to compare it with";
    case NotComparedWhy::NotReached: return "the run stopped before it";
  }
  return "";
}

}  // namespace tessary
