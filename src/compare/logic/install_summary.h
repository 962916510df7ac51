// What an install did, in plain words: the findings of a compare run (registry keys and
// values, directory and deep entries, INI entries) sorted into categories by one table of
// places, each item with its words, whether it deserves a second look and why, and the
// action lines that undo it (or why nothing can). The summary block of the report is
// written and read back here. No <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// In the order the summary lists them.
enum class SummaryCategory {
  Autostart,         // starts with Windows
  Services,          // services and drivers
  FileTypes,         // file types and their handlers
  Environment,       // environment variables, PATH
  Shortcuts,         // Start menu and desktop
  UninstallEntries,  // the Uninstall key's entries
  ComServers,        // COM servers and shell extensions
  AppPaths,          // App Paths
  Fonts,             // fonts
  SystemFiles,       // files put into System32 / SysWOW64
  Firewall,          // the firewall's rule values
};

// "Starts with Windows", ... (the report's words); "autostart", ... (JSON and --only-summary).
const char* SummaryCategoryTitle(SummaryCategory category);
const char* SummaryCategoryName(SummaryCategory category);

enum class FindingKind { KeyAdded, ValueAdded, ValueChanged, ValueDeleted, EntryAdded, EntryUpdated, EntryDeleted,
                         IniAdded, IniChanged, IniDeleted };

// One finding of a compare run, as the sections hand it over.
struct InstallFinding {
  FindingKind kind = FindingKind::KeyAdded;
  // Registry: the key path, root in full ("HKEY_LOCAL_MACHINE\SOFTWARE\..."). Files: the
  // entry's full path. INI: the file ("WIN.INI").
  std::string path;
  std::string section;  // INI: the section
  std::string name;     // registry: the value's name ("" the default value); INI: the key
  std::string data;     // registry: the value's data as text (strings as they are, numbers in
  std::string oldData;  // decimal); INI: the value. oldData: a changed finding's before.
  bool folder = false;  // files: the entry is a folder
  std::string action;   // the action line that undoes it; "" when none
};

// The folders the table names, as the machine has them now (a missing one: "").
struct KnownFolders {
  std::string windows;         // C:\windows
  std::string system;          // C:\windows\system32
  std::string sysWow64;        // C:\windows\syswow64
  std::string startMenu;       // this user's Start menu
  std::string commonStartMenu; // all users' Start menu
  std::string startup;         // this user's Startup folder
  std::string commonStartup;   // all users' Startup folder
  std::string desktop;         // this user's desktop
  std::string commonDesktop;   // all users' desktop
};

struct SummaryItem {
  SummaryCategory category = SummaryCategory::Autostart;
  std::string words;       // "takes over .txt from txtfile"
  bool secondLook = false;
  std::string why;         // one line on why it matters (with secondLook)
  std::vector<std::string> actions;  // the action lines that undo it, in finding order
  std::string noUndo;      // what nothing can undo, and why ("" when the actions undo all)
};

// The items of the findings: each finding falls to the first row of the place table that
// takes it (findings no row takes are left to the raw sections); the findings of one
// place (a service's key, a Run value, an added folder and what lies in it) make one item.
// Items are in category order, then in the order their first finding came.
//
// An item deserves a second look when its row says so (the file-system places, a file
// type taken over, PATH set first, ...) or when `sensitive` takes one of its findings: by
// default the one list of places that decide what Windows starts or loads
// (uninstall/logic/sensitive_places.h), through IsSensitiveFinding. An item only that
// list flags gets kSensitiveWhy.
using SensitiveFinding = bool (*)(const InstallFinding& finding);
inline constexpr const char* kSensitiveWhy = "it writes where Windows looks for what to start or load";
// A registry finding of a sensitive key and value, or an INI finding of a sensitive entry.
bool IsSensitiveFinding(const InstallFinding& finding);
std::vector<SummaryItem> BuildInstallSummary(const std::vector<InstallFinding>& findings, const KnownFolders& folders,
                                             SensitiveFinding sensitive = IsSensitiveFinding);

// The report's block (lines ending in "\n"):
//   SUMMARY: what this install did, N items (every finding is listed below)
//   [1] Starts with Windows: words
//       SECOND LOOK: why
//       UNDO: action line
//       NO UNDO: what and why
//   END OF SUMMARY
std::string FormatSummaryBlock(const std::vector<SummaryItem>& items);
// The block read back from a whole report; nothing when the report has none before its
// first section (a standard report) or the block is cut short.
std::optional<std::vector<SummaryItem>> ReadSummaryBlock(std::string_view report);
// The first and last line of the block, for readers of the raw sections to pass over it.
inline constexpr std::string_view kSummaryFirstLine = "SUMMARY: what this install did";
inline constexpr std::string_view kSummaryLastLine = "END OF SUMMARY";

// A registry value's data as the summary words show it: a string as it is, a DWORD in
// decimal; other data as given by `other`.
std::string SummaryValueText(std::uint32_t type, std::string_view bytes);

}  // namespace tessary
