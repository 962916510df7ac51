// Start-up rules that need no window: where the settings file is, the last-backup text
// and label, and the main window's show command.
#pragma once

#include <string>

#include "platform/dos_time.h"

namespace tessary {

// The settings path: the Windows directory followed by "\tessary.ini". The companion
// programs find the settings file the same way.
std::string SettingsPathFor(const std::string& windowsDirectory);

// "%02d:%02d  %d %s %d": hour, minute, two blanks, day, English month, year.
// Example: "09:05  7 Dec 1996". An out-of-range month gives "???".
std::string FormatLastBackupTime(DosDateTime stamp);
std::string NoBackupText(const std::string& backupDirectory);
// The last-backup text is kept to 149 characters.
constexpr std::size_t kLastBackupTextMax = 149;
// The status-bar label: "LAST BACKUP IN:<dir> AT <time>", or the no-backup text,
// in upper case.
std::string LastBackupLabel(const std::string& lastBackupText, const std::string& backupDirectory);

// The show command of the main window. `given` is the one handed to the program;
// `showMax` and `autoOpenSnc` are the raw setting values.
int ChooseShowCommand(int given, const std::string& showMax, bool sentinoxMode, const std::string& autoOpenSnc);

}  // namespace tessary
