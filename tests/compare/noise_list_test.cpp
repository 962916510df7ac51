// The list of what the system changes by itself: which values and paths its rules take
// (and, as much, which they leave to the report), the user's own rules, the rules it
// refuses for being too wide, and the line that names what was left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/logic/noise_list.h"

namespace tessary {
namespace {

std::string Expand(std::string_view text) {
  std::string s(text);
  for (const auto& [name, value] : {std::pair<std::string, std::string>{"%APPDATA%", "C:\\users\\me\\AppData\\Roaming"},
                                    {"%SystemRoot%", "C:\\windows"}, {"%ProgramData%", "C:\\ProgramData"},
                                    {"%LOCALAPPDATA%", "C:\\users\\me\\AppData\\Local"}}) {
    if (s.compare(0, name.size(), name) == 0) s = value + s.substr(name.size());
  }
  return s;
}

const char* Matched(const NoiseRule* rule) { return rule ? rule->text.c_str() : "(reported)"; }

TEST(NoiseList, DefaultsTakeTheSystemsOwnWritesAndNothingBeside) {
  const NoiseList wine = NoiseList::Defaults(NoiseDefaults::WindowsAndWine, Expand);
  const NoiseList windows = NoiseList::Defaults(NoiseDefaults::Windows, Expand);
  struct Case {
    const char* key;
    const char* name;
    bool onWine, onWindows;
  };
  const Case values[] = {
      // Wine's font code pages and the display driver's date, in the key's own case.
      {"HKEY_CURRENT_USER\\Software\\Wine\\Fonts", "\"Codepages\"", true, false},
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", "\"OEMFONT.FON\"",
       true, false},
      {"HKEY_LOCAL_MACHINE\\System\\ControlSet001\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000",
       "\"DriverDateData\"", true, false},
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\{082ed88c-38f7-4fe7-971d-df11bb54df93}\\0000",
       "\"DriverDateData\"", true, false},
      // Windows's random seed and MRU lists, below the key too where the rule says so.
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography\\RNG", "\"Seed\"", true, true},
      {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs", "\"MRUListEx\"", true,
       true},
      {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\.txt", "\"0\"", true, true},
      // Narrow: another value of the same key, the same value of another key, a key of
      // another class, one level too deep, and what an installer writes are reported.
      {"HKEY_CURRENT_USER\\Software\\Wine\\Fonts", "\"Replacements\"", false, false},
      {"HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Codepages", "\"Codepages\"", false, false},
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}\\0000",
       "\"DriverDateData\"", false, false},
      {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\{082ed88c}\\0000\\Extra", "\"DriverDateData\"",
       false, false},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography\\RNG", "\"Other\"", false, false},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "\"Vendor\"", false, false},
      {"HKEY_CURRENT_USER\\Software\\Wine\\Fonts", "(Default)", false, false},
  };
  for (const Case& c : values) {
    EXPECT_EQ(wine.MatchValue(c.key, c.name) != nullptr, c.onWine) << c.key << " " << c.name << ": "
                                                                   << Matched(wine.MatchValue(c.key, c.name));
    EXPECT_EQ(windows.MatchValue(c.key, c.name) != nullptr, c.onWindows) << c.key << " " << c.name;
  }
  struct PathCase {
    const char* path;
    bool noise;
  };
  const PathCase paths[] = {
      {"C:\\windows\\System32\\LogFiles", true},  // the folder itself, with "\**"
      {"C:\\windows\\system32\\logfiles\\WMI\\RtBackup\\x.etl", true},
      {"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\letter.lnk", true},
      {"C:\\users\\me\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat.LOG1", true},
      {"C:\\windows\\system32\\config\\SOFTWARE", true},
      {"C:\\windows\\system32\\config\\systemprofile\\vendor.dll", false},  // "config\*" is one level
      {"C:\\windows\\system32\\LogFilesVendor\\x.log", false},
      {"C:\\users\\other\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\letter.lnk", false},
      {"C:\\Program Files\\Vendor\\LogFiles\\x.log", false},
  };
  for (const PathCase& c : paths) EXPECT_EQ(wine.MatchPath(c.path) != nullptr, c.noise) << c.path;
  EXPECT_EQ(wine.MatchPath("C:\\windows\\system32\\LogFiles\\x")->kind, NoiseKind::Path);
  EXPECT_EQ(wine.MatchValue("HKEY_CURRENT_USER\\Software\\Wine\\Fonts", "\"Codepages\"")->kind, NoiseKind::Value);
}

// The user's file adds rules in the same form, short root names included; lines that are
// no rule, and rules that would leave out a whole branch or drive, add nothing and are
// named.
TEST(NoiseList, TheUsersRulesAddToTheDefaultsAndTooWideOnesAreRefused) {
  NoiseList list = NoiseList::Defaults(NoiseDefaults::Windows, Expand);
  const std::size_t defaults = list.rules().size();
  const std::vector<std::string> refused = list.AddText(
      "# my machine's own writes\r\n"
      "\r\n"
      "value HKCU\\Software\\Vendor\\Agent \"LastCheck*\"\r\n"
      "  value HKLM\\SOFTWARE\\Vendor (Default)\r\n"
      "path %APPDATA%\\Vendor\\*.log\r\n"
      "; nothing\r\n"
      "value HKCU\\Software\\Vendor\r\n"     // no value name
      "value HKXX\\Software \"a\"\r\n"      // no root
      "value HKLM\\** \"*\"\r\n"            // the whole branch
      "path C:\\**\r\n"                     // the whole drive
      "path %NOSUCH%\\x\r\n"                // a variable that names nothing
      "key HKCU\\Software\\Vendor\r\n",     // no such kind
      Expand);
  EXPECT_EQ(refused, (std::vector<std::string>{"line 7: value HKCU\\Software\\Vendor", "line 8: value HKXX\\Software \"a\"",
                                               "line 9: value HKLM\\** \"*\"", "line 10: path C:\\**",
                                               "line 11: path %NOSUCH%\\x", "line 12: key HKCU\\Software\\Vendor"}));
  EXPECT_EQ(list.rules().size(), defaults + 3);
  const NoiseRule* agent = list.MatchValue("HKEY_CURRENT_USER\\Software\\Vendor\\Agent", "\"LastCheckTime\"");
  ASSERT_NE(agent, nullptr);
  EXPECT_EQ(agent->text, "value HKCU\\Software\\Vendor\\Agent \"LastCheck*\"");
  EXPECT_EQ(list.MatchValue("HKEY_CURRENT_USER\\Software\\Vendor\\Agent", "\"Version\""), nullptr);
  EXPECT_NE(list.MatchValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "(Default)"), nullptr);
  EXPECT_EQ(list.MatchValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", "\"Default\""), nullptr);
  EXPECT_NE(list.MatchPath("C:\\users\\me\\AppData\\Roaming\\Vendor\\run.log"), nullptr);
  EXPECT_EQ(list.MatchPath("C:\\users\\me\\AppData\\Roaming\\Vendor\\run.dll"), nullptr);
  EXPECT_EQ(list.MatchPath("C:\\users\\me\\AppData\\Roaming\\Vendor\\logs\\run.log"), nullptr);
}

// The line names the count and every rule that matched, with its own count, in the order
// they first matched; nothing is said when nothing matched.
TEST(NoiseList, TheTallyNamesTheCountAndTheRules) {
  NoiseList list;
  ASSERT_TRUE(list.Add("value HKCU\\A \"x\"", Expand));
  ASSERT_TRUE(list.Add("path C:\\B\\*.log", Expand));
  NoiseTally tally;
  EXPECT_EQ(tally.Text("value", "values"), "");
  tally.Add(*list.MatchValue("HKEY_CURRENT_USER\\A", "\"X\""));
  EXPECT_EQ(tally.Text("value", "values"), "Left out as the system's own changes: 1 value (value HKCU\\A \"x\": 1)");
  tally.Add(*list.MatchPath("C:\\b\\one.LOG"));
  tally.Add({NoiseCount{"value HKCU\\A \"x\"", 2}});
  EXPECT_EQ(tally.total(), 4u);
  EXPECT_EQ(tally.Text("entry", "entries"),
            "Left out as the system's own changes: 4 entries (value HKCU\\A \"x\": 3; path C:\\B\\*.log: 1)");
}

}  // namespace
}  // namespace tessary
