// The install summary from end to end: tessaryc tracks an installer that does one thing of
// every kind the summary knows, with deep tracking and registry values, and its text and
// JSON name each of them in the expected category, flag the sensitive ones with their
// reason and link each to the action lines that undo it; undo --only-summary then carries
// out exactly one item's lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text_lines.h"
#include "program_run.h"
#include "testbed.h"

namespace tessary {
namespace {

using Json = nlohmann::json;

const char* const kInstallDir = "C:\\Program Files\\AllKindsVendor\\AllKinds";
const char* const kFirewallRules =
    "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules";
const char* const kTakenOver = "Software\\Classes\\.akt";  // the other program's extension
const char* const kOtherHandler = "OtherApp.File";
const char* const kPathBefore = "C:\\AllKindsBefore";

struct Place {
  HKEY root;
  const char* path;
};
// The keys the installer makes (its values in keys that were there are removed one by one).
const Place kInstalledKeys[] = {
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree\\AllKinds Update"},
    {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\AllKindsSvc"},
    {HKEY_LOCAL_MACHINE, "Software\\Classes\\.akd"},
    {HKEY_LOCAL_MACHINE, "Software\\Classes\\AllKinds.Document"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\AllKinds"},
    {HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{A11C1DE5-0B5E-4E7A-9C3D-2F1E0D9C8B7A}"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\allkinds.exe"},
};
struct Value {
  HKEY root;
  const char* key;
  const char* name;
};
const Value kInstalledValues[] = {
    {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "AllKinds"},
    {HKEY_CURRENT_USER, "Environment", "ALLKINDS_HOME"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "AllKinds Regular (TrueType)"},
    {HKEY_LOCAL_MACHINE, kFirewallRules, "{A11C1DE5-F1E0-4000-8000-000000000002}"},
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::optional<std::string> StringValue(HKEY root, const std::string& key, const char* name) {
  const RegKey k = RegKey::Open(root, key);
  std::string value;
  if (!k || !k.QueryString(name, value, 4096)) return std::nullopt;
  return value;
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
  ASSERT_TRUE(RegKey::CreateForWriting(root, key).SetString(name, value)) << key;
}

using Outcome = test::ProgramRun;

class SummaryE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windows = WindowsDirectory();
    system = SystemDirectory();
    ini = SettingsPathFor(windows);
    ProfileFlush(ini);
    settingsBefore = FileExists(ini) ? std::optional<std::string>(test::ReadBytes(ini)) : std::nullopt;
    RemoveInstallation();
    // What Windows has and a fresh Wine prefix may lack: the system's Tasks folder and the
    // firewall's rules key. Made now, they are part of the machine before the install.
    madeTasks = !DirectoryExists(system + "\\Tasks") && CreateDirectoryA((system + "\\Tasks").c_str(), nullptr);
    madeFirewall = RegKey::IsMissing(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SharedAccess");
    ASSERT_TRUE(RegKey::CreateForWriting(HKEY_LOCAL_MACHINE, kFirewallRules));
    // The other program's extension, and the user's PATH.
    SetString(HKEY_LOCAL_MACHINE, kTakenOver, "", kOtherHandler);
    pathBefore = StringValue(HKEY_CURRENT_USER, "Environment", "PATH");
    SetString(HKEY_CURRENT_USER, "Environment", "PATH", kPathBefore);
    backup = dir.MakeDir("BACKUP");
    ProfileFlush(ini);
    test::WriteBytes(ini, "[tessary]\r\nDirectory=" + backup + "\r\n");
    ProfileFlush(ini);
  }

  void TearDown() override {
    RemoveInstallation();
    if (madeTasks) RemoveDirectoryA((system + "\\Tasks").c_str());
    if (madeFirewall) RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SharedAccess");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTakenOver);
    const RegKey environment = RegKey::Open(HKEY_CURRENT_USER, "Environment");
    if (pathBefore) static_cast<void>(environment.SetString("PATH", *pathBefore));
    else static_cast<void>(environment.DeleteValue(u"PATH"));
    ProfileFlush(ini);
    if (settingsBefore) test::WriteBytes(ini, *settingsBefore);
    else DeleteFileA(ini.c_str());
    ProfileFlush(ini);
  }

  void RemoveInstallation() {
    test::RemoveTree("C:\\Program Files\\AllKindsVendor");
    for (const std::string& f : {system + "\\Tasks\\AllKinds Update", system + "\\drivers\\allkinds.sys",
                                 system + "\\allkinds64.dll", windows + "\\Fonts\\allkinds.ttf",
                                 ShellFolder("Startup") + "\\AllKinds.lnk", ShellFolder("Desktop") + "\\AllKinds.lnk"})
      DeleteFileA(f.c_str());
    test::RemoveTree(ShellFolder("Programs") + "\\AllKinds");
    for (const Place& k : kInstalledKeys) RegDeleteTreeA(k.root, k.path);
    for (const Value& v : kInstalledValues) RegDeleteKeyValueA(v.root, v.key, v.name);
  }

  // tessaryc.exe with no console to ask on and its output in files.
  Outcome Tessaryc(const std::vector<std::string>& args) {
    return test::RunProgram(test::CommandLine(test::BuildPath(TESSARYC_EXE), args), dir.path());
  }

  test::TempDir dir;
  std::string windows, system, ini, backup;
  std::optional<std::string> settingsBefore, pathBefore;
  bool madeTasks = false, madeFirewall = false;
};

struct Expected {
  const char* category;
  std::string words;
  bool secondLook;
};

// One run of each kind: the track (its text on the console), the same compare again for
// its JSON, and the undo of one item.
TEST_F(SummaryE2eTest, TrackOfAnInstallerOfEveryKindSumsItUpAndUndoesOneItem) {
  const std::string app = kInstallDir;
  const std::vector<Expected> expected = {
      {"autostart", "adds scheduled task \"AllKinds Update\"", true},
      {"autostart", "\"AllKinds\" runs \"" + app + "\\allkinds.exe\" /tray (Run, this user)", true},
      {"autostart", "adds AllKinds Update in the scheduled tasks", true},
      {"autostart", "adds AllKinds.lnk in the Startup folder (this user)", true},
      {"services", "adds service \"AllKindsSvc\": " + app + "\\allkindssvc.exe, starts automatically, own process", true},
      {"services", "adds allkinds.sys in the drivers folder", true},
      {"fileTypes", "adds the file type .akd for AllKinds.Document", false},
      {"fileTypes", "adds the commands that open AllKinds.Document files", true},
      {"fileTypes", "takes over .akt from OtherApp.File (now AllKinds.Document)", true},
      {"environment", "sets ALLKINDS_HOME=" + app + " (this user)", false},
      {"environment", "adds " + app + "\\bin to PATH (this user), first", true},
      {"shortcuts", "adds Programs\\AllKinds (folder) in the Start menu (this user)", false},
      {"shortcuts", "adds AllKinds.lnk in the desktop (this user)", false},
      {"uninstallEntries",
       "adds the uninstall entry \"AllKinds\" version 2.5.1 by AllKinds Vendor; uninstalls with \"" + app +
           "\\uninstall.exe\"",
       false},
      {"comServers", "adds the shell extension AllKinds (ContextMenuHandlers for AllKinds.Document)", true},
      {"comServers", "adds the COM server {A11C1DE5-0B5E-4E7A-9C3D-2F1E0D9C8B7A}: " + app + "\\allkindsext.dll", true},
      {"appPaths", "adds the App Path allkinds.exe to " + app + "\\allkinds.exe", false},
      {"fonts", "adds the font \"AllKinds Regular (TrueType)\" (allkinds.ttf)", false},
      {"fonts", "adds allkinds.ttf in the Fonts folder", false},
      {"systemFiles", "adds allkinds64.dll in the system folder", true},
      {"firewall",
       "adds the firewall rule \"{A11C1DE5-F1E0-4000-8000-000000000002}\": v2.30|Action=Allow|Active=TRUE|Dir=In|"
       "Protocol=6|LPort=4711|App=" + app + "\\allkinds.exe|Name=AllKinds|",
       false},
  };
  // Deep tracking and values on, and every branch the categories reach.
  const std::vector<std::string> tracking = {"--deep", "--values", "--branches",
                                             "HKCU,HKLM,HKLM\\SOFTWARE,HKCR,HKCR\\CLSID"};
  std::vector<std::string> track = {"track"};
  track.insert(track.end(), tracking.begin(), tracking.end());
  for (const std::string& a : {std::string("--"), test::BuildPath(ALLKINDS_SETUP), std::string("/S")})
    track.push_back(a);
  const Outcome tracked = Tessaryc(track);
  ASSERT_EQ(tracked.code, 1u) << tracked.out << tracked.err;  // changes found
  std::vector<std::string> compare = {"compare", "--name", "AGAIN", "--json", "--yes"};
  compare.insert(compare.end(), tracking.begin(), tracking.end());
  const Outcome again = Tessaryc(compare);
  ASSERT_EQ(again.code, 1u) << again.out << again.err;
  const Json& summary = again.json["summary"];

  // The JSON: the expected items, each once, flagged with a reason or not, in category order.
  std::map<std::string, std::size_t> order;
  for (const char* c : {"autostart", "services", "fileTypes", "environment", "shortcuts", "uninstallEntries",
                        "comServers", "appPaths", "fonts", "systemFiles", "firewall"})
    order.emplace(c, order.size());
  std::set<std::string> lines;
  for (const Json& a : again.json["actions"]) lines.insert(a["line"].get<std::string>());
  std::vector<std::string> unexpected;
  std::size_t seen = 0, flagged = 0, lastCategory = 0;
  for (const Json& item : summary["items"]) {
    const std::string category = item["category"], words = item["words"];
    const auto e = std::find_if(expected.begin(), expected.end(),
                                [&](const Expected& x) { return x.category == category && x.words == words; });
    if (e == expected.end()) {
      unexpected.push_back(category + ": " + words);
      continue;
    }
    ++seen;
    SCOPED_TRACE(words);
    EXPECT_GE(order[category], lastCategory);
    lastCategory = order[category];
    EXPECT_EQ(item["secondLook"], e->secondLook);
    EXPECT_EQ(!item.value("why", "").empty(), e->secondLook);
    flagged += e->secondLook;
    // Each item is undone by lines of the action file, and nothing of it is beyond undoing.
    EXPECT_FALSE(item["actions"].empty());
    for (const Json& line : item["actions"]) EXPECT_EQ(lines.count(line.get<std::string>()), 1u) << line;
    EXPECT_FALSE(item.contains("noUndo")) << item["noUndo"];
  }
  EXPECT_EQ(seen, expected.size()) << summary.dump(1);
  EXPECT_TRUE(unexpected.empty()) << testing::PrintToString(unexpected);
  EXPECT_EQ(summary["count"], summary["items"].size());
  EXPECT_EQ(summary["secondLook"], flagged);

  // The text comes first and says the same, item by item: its words, its reason, its undo.
  const std::vector<std::string> text = Lines(tracked.out);
  ASSERT_GT(text.size(), 2u) << tracked.out;
  EXPECT_EQ(text[1], "summary: " + std::to_string(expected.size()) + " items, " + std::to_string(flagged) +
                         " for a second look");
  std::vector<std::string> block;
  for (const Json& item : summary["items"]) {
    const std::string n = std::to_string(item["index"].get<int>());
    block.push_back("  [" + n + "] " + item["title"].get<std::string>() + ": " + item["words"].get<std::string>());
    if (item["secondLook"] == true) block.push_back("      second look: " + item["why"].get<std::string>());
    const std::size_t count = item["actions"].size();
    block.push_back("      undo: " + std::to_string(count) + (count == 1 ? " action" : " actions") +
                    " (undo --only-summary " + n + ")");
  }
  EXPECT_EQ(std::vector<std::string>(text.begin() + 2, text.begin() + 2 + std::min(block.size(), text.size() - 2)),
            block);

  // Undo of one item: the takeover of .akt, exactly its lines; the other program has it back
  // and the rest of the install stays.
  const auto takeover = std::find_if(summary["items"].begin(), summary["items"].end(), [](const Json& item) {
    return item["words"].get<std::string>().rfind("takes over .akt", 0) == 0;
  });
  ASSERT_NE(takeover, summary["items"].end());
  const std::set<std::string> itemLines((*takeover)["actions"].begin(), (*takeover)["actions"].end());
  const Outcome undone =
      Tessaryc({"undo", "AGAIN", "--yes", "--json", "--only-summary", std::to_string((*takeover)["index"].get<int>())});
  EXPECT_EQ(undone.code, 0u) << undone.out << undone.err;
  std::set<std::string> chosen;
  for (const Json& a : undone.json["actions"])
    if (a["chosen"] == true) {
      chosen.insert(a["line"].get<std::string>());
      EXPECT_EQ(a["outcome"], "done") << a.dump();
    }
  EXPECT_EQ(chosen, itemLines);
  EXPECT_EQ(undone.json["done"], itemLines.size());
  EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kTakenOver, ""), std::optional<std::string>(kOtherHandler));
  EXPECT_TRUE(StringValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\.akd", ""));
  EXPECT_TRUE(StringValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "AllKinds"));
  EXPECT_TRUE(FileExists(system + "\\allkinds64.dll"));
}

}  // namespace
}  // namespace tessary
