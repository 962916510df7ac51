#include "core/startup_logic.h"

#include <cstdio>

#include "platform/ascii.h"

namespace tessary {

std::string SettingsPathFor(const std::string& windowsDirectory) { return windowsDirectory + "\\tessary.ini"; }

std::string FormatLastBackupTime(DosDateTime stamp) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  CivilTime t = UnpackDos(stamp);
  const char* month = (t.month >= 1 && t.month <= 12) ? kMonths[t.month - 1] : "???";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d:%02d  %d %s %d", t.hour, t.minute, t.day, month, t.year);
  return buf;
}

std::string NoBackupText(const std::string& backupDirectory) {
  std::string text = "No backup found in " + backupDirectory + " directory";
  if (text.size() > kLastBackupTextMax) {
    // Keep the end, which says what the text is about, and mark the cut.
    text = "No backup found in ..." + text.substr(text.size() - (kLastBackupTextMax - 22));
  }
  return text;
}

std::string LastBackupLabel(const std::string& lastBackupText, const std::string& backupDirectory) {
  std::string label;
  if (lastBackupText.find("No backup") != std::string::npos)
    label = lastBackupText;
  else
    label = "Last Backup in:" + backupDirectory + " at " + lastBackupText;
  return ToUpperAscii(label);
}

int ChooseShowCommand(int given, const std::string& showMax, bool sentinoxMode, const std::string& autoOpenSnc) {
  constexpr int kHide = 0, kNormal = 1, kMinimized = 2, kMaximized = 3, kMinNoActive = 7;
  int show = given;
  if (given != kHide && given != kMinNoActive) show = EqualsNoCase(showMax, "no") ? kNormal : kMaximized;
  if (sentinoxMode) {
    show = IsYes(autoOpenSnc) ? kNormal : kMinimized;
    if (IsYes(showMax)) show = kMaximized;
  }
  return show;
}

}  // namespace tessary
