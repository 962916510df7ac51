// Rules of the option dialogs that need no window: the retention number, the optional
// directory paths and the steps of the directory browser.
#pragma once

#include <string>

namespace tessary {

// The smallest and largest number of Sentinox reports that may be kept, and the value
// the Options dialog offers.
constexpr int kMinKeptReports = 10;
constexpr int kMaxKeptReports = 200;
constexpr const char* kDefaultKeptReports = "40";

// The number box gives up to 4 characters.
std::string TakeNumberBoxText(const std::string& boxText);
// Whether the number box text (already cut to 4 characters) is a keep count in range.
bool KeepCountAccepted(const std::string& numberText);

// An optional directory as saved: one trailing backslash is dropped unless the path
// is a 3-character drive root such as "C:\".
std::string TrimOptionalDirectory(std::string path);

// The directory browser.
bool IsDriveRootPath(const std::string& path);  // "C:\" (ends with ":\", shorter than 4)
// The search pattern that lists the entries of `path`.
std::string BrowserPattern(const std::string& path);
// The line shown for a subdirectory.
std::string BrowserDirectoryLine(const std::string& name);
// The line shown for a fixed drive.
std::string BrowserDriveLine(char letter);
// The path a double click on `line` leads to from `current`, before it is made full
// and normalised (so "[..]" gives "current\..").
std::string BrowserStep(const std::string& current, const std::string& line);

}  // namespace tessary
