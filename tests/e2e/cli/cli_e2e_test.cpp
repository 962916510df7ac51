// tessaryc.exe from end to end: the real program, started as a process with its output
// in files, tracks the real test installers and undoes them, and its exit codes, dry runs,
// --only, refusals and Ctrl+C are checked against the files it writes and the machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include <nlohmann/json.hpp>

#include "cli/logic/cli_json.h"
#include "cli/logic/report_summary.h"
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
#include "../installers/installed_by_tests.h"
#include "window_probe.h"
#include "seal_for_tests.h"

namespace tessary {
namespace {

using Json = nlohmann::json;

using namespace installed;
const char* const kLateFolder = "C:\\Program Files\\CliLateVendor";
const char* const kManyKeys = "Software\\TessaryCliMany";
const char* const kVendorKey = "Software\\TessaryCliVendor";
const char* const kValuesKey = "Software\\TessaryCliValues";

std::string SystemProgram(const char* name) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\" + name;
}

bool KeyExists(HKEY root, const std::string& path) { return static_cast<bool>(RegKey::Open(root, path)); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  const std::vector<std::string> lines = Lines(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string ShellFolder(const char* name) {
  RegKey key = RegKey::Open(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  std::string value;
  if (!key || !key.QueryString(name, value, MAX_PATH + 1)) return {};
  return value;
}

// Every file and folder below `root`, lower case.
void ListTree(const std::string& root, std::vector<std::string>& out) {
  out.push_back(ToLowerAscii(root));
  DirSearch search(root + "\\*");
  FindEntry entry;
  while (search.Next(entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListTree(root + "\\" + entry.name, out);
    } else {
      out.push_back(ToLowerAscii(root + "\\" + entry.name));
    }
  }
}

using Outcome = test::ProgramRun;

class CliE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windows = WindowsDirectory();
    systemExisted = DirectoryExists(windows + "\\system");
    ini = SettingsPathFor(windows);
    Keep(ini);
    for (const char* f : kBootFiles) Keep(f);
    for (const char* f : kIniFiles) Keep(windows + "\\" + f);
    for (const char* f : {"win.uib", "system.uib", "protocol.uib"}) Keep(windows + "\\" + f);
    Keep("C:\\msdos.uib");
    RemoveInstallation();
    backup = dir.MakeDir("BACKUP");
    // A file changed within two seconds of its backup copy's time counts as unchanged.
    for (const char* f : kBootFiles) test::SetLastWrite(f, 2020, 1, 2, 3, 4, 6);
    for (const char* f : kIniFiles) test::SetLastWrite(windows + "\\" + f, 2020, 1, 2, 3, 4, 6);
    WriteSettings(true);
  }

  void TearDown() override {
    RemoveInstallation();
    for (const char* key : {kManyKeys, kVendorKey, kValuesKey}) RegDeleteTreeA(HKEY_CURRENT_USER, key);
    for (const auto& [path, bytes] : saved) {
      if (bytes) test::WriteBytes(path, *bytes);
      else DeleteFileA(path.c_str());
    }
    for (const char* f : kIniFiles) ProfileFlush(windows + "\\" + f);
    ProfileFlush(ini);
  }

  void Keep(const std::string& path) {
    ProfileFlush(path);
    saved[path] = FileExists(path) ? std::optional<std::string>(test::ReadBytes(path)) : std::nullopt;
  }

  // The settings file: the test's backup directory, and the registry branches the
  // installers write to when `branches`.
  void WriteSettings(bool branches, const std::string& extra = {}) {
    std::string text = "[tessary]\r\nDirectory=" + backup + "\r\n";
    if (branches) text += "[registry]\r\nCuruser=yes\r\nCLocmach=yes\r\nCSoftware=yes\r\nCClasses=yes\r\nCClsid=yes\r\n";
    ProfileFlush(ini);
    test::WriteBytes(ini, text + extra);
    ProfileFlush(ini);
  }

  void RemoveInstallation() {
    test::RemoveTree("C:\\Program Files\\NewVendor");
    test::RemoveTree(kLateFolder);
    for (const char* f : {"newapp.ini", "system\\newapp.drv", "fonts\\newapp.fon", "system\\sharelib.dll",
                          "system32\\sharelib64.dll"})
      DeleteFileA((windows + "\\" + f).c_str());
    DeleteFileA((ShellFolder("Desktop") + "\\NewApp.lnk").c_str());
    test::RemoveTree(ShellFolder("Programs") + "\\NewApp");
    if (!systemExisted) RemoveDirectoryA((windows + "\\system").c_str());
    for (const RegPlace& place : kInstalledKeys) RegDeleteTreeA(place.root, place.path);
    for (const char* section : {"TessaryE2E", "NewApp", "TessaryCliTest"}) EXPECT_TRUE(ProfileDeleteSection(windows + "\\win.ini", section));
    ProfileFlush(windows + "\\win.ini");
  }

  // The places the installers write to, sorted; the INI safety copies stay by design.
  std::vector<std::string> Tree() const {
    std::vector<std::string> tree;
    ListTree("C:\\Program Files", tree);
    ListTree(windows, tree);
    ListTree(ShellFolder("Desktop"), tree);
    ListTree(ShellFolder("Programs"), tree);
    for (const char* f : kBootFiles)
      if (FileExists(f)) tree.push_back(ToLowerAscii(f));
    tree.erase(std::remove_if(tree.begin(), tree.end(),
                              [](const std::string& p) { return EndsWithNoCase(p, ".uib"); }),
               tree.end());
    std::sort(tree.begin(), tree.end());
    return tree;
  }

  static std::string Diff(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    return test::ListDiff(before, after);
  }

  // Runs tessaryc.exe with no console to ask on and its output in files; `flags` go to
  // CreateProcess.
  Outcome Tessaryc(const std::vector<std::string>& args, DWORD flags = 0,
                   const std::function<void(HANDLE process, const std::string& errPath)>& whileRunning = {}) {
    return test::RunProgram(test::CommandLine(test::BuildPath(TESSARYC_EXE), args), dir.path(), flags, whileRunning);
  }

  // track --undo of an installer: nothing left over, the JSON as the report and the
  // action file say, the machine as before.
  Json TrackAndUndo(const char* setup, const std::vector<std::string>& flags = {}) {
    const std::vector<std::string> before = Tree();
    std::vector<std::string> args = {"track"};
    args.insert(args.end(), flags.begin(), flags.end());
    for (const char* a : {"--undo", "--yes", "--json", "--"}) args.push_back(a);
    args.push_back(test::BuildPath(setup));
    args.push_back("/S");
    Outcome run = Tessaryc(args);
    EXPECT_EQ(run.code, 0u) << run.out << run.err;
    const Json& doc = run.json;
    EXPECT_EQ(doc["exitCode"], 0);
    EXPECT_EQ(doc["program"]["exitCode"], 0);
    EXPECT_EQ(doc["nothingLeftOver"], true) << doc["leftovers"].dump(1);
    EXPECT_TRUE(doc["leftovers"].empty());
    // The JSON holds what the report and the action file hold.
    const std::string reportPath = doc["report"]["path"];
    const cli::ReportSummary report = cli::ReadReport(test::ReadBytes(reportPath));
    EXPECT_GT(report.Changes(), 0u);
    EXPECT_EQ(doc["report"]["changes"], report.Changes());
    // What the run returned is what its report says: section by section, entry by entry.
    EXPECT_EQ(doc["report"]["sections"].size(), report.sections.size());
    for (std::size_t i = 0; i < report.sections.size() && i < doc["report"]["sections"].size(); ++i) {
      Json typed = doc["report"]["sections"][i];
      const ReportSection& fromFile = report.sections[i];
      // Only the run knows the seconds of a directory entry's times.
      for (Json& entry : typed["entries"]) {
        if (entry.value("change", "") != "updated" || typed["kind"] != "directory") continue;
        EXPECT_EQ(entry["newAt"].get<std::string>().size(), 19u) << entry.dump();
        entry.erase("newAt");
        entry.erase("oldAt");
      }
      cli::ReportSummary one;
      one.sections = {fromFile};
      EXPECT_EQ(typed, cli::ReportJson(one, "", "")["sections"][0]) << fromFile.name;
    }
    EXPECT_EQ(doc["report"].value("notScanned", std::vector<std::string>{}), report.notScanned);
    std::multiset<std::string> fromJson, fromFile;
    for (const Json& a : doc["actions"]) fromJson.insert(a["line"].get<std::string>());
    for (const std::string& l : Lines(test::ReadBytes(doc["report"]["actionFile"]))) fromFile.insert(l);
    EXPECT_EQ(fromJson, fromFile);
    EXPECT_EQ(doc["undo"]["done"], fromFile.size());
    EXPECT_EQ(doc["undo"]["notDone"], 0);
    for (const Json& a : doc["undo"]["actions"]) EXPECT_EQ(a["outcome"], "done") << a.dump();
    EXPECT_EQ(doc["after"]["path"], ToUpperAscii(backup) + "\\TRACK_LEFT.TSC");
    // The machine as it was: files and folders, keys, INI entries.
    DeleteFileA((windows + "\\system32\\sharelib64.dll").c_str());  // system32 is not tracked
    const std::vector<std::string> after = Tree();
    EXPECT_EQ(after, before) << "changed by the installation and its undo:\n" << Diff(before, after);
    for (const RegPlace& place : kInstalledKeys) EXPECT_FALSE(KeyExists(place.root, place.path)) << place.path;
    EXPECT_EQ(ProfileRead(windows + "\\win.ini", "NewApp", "Path", "<absent>", 64), "<absent>");
    return doc;
  }

  test::TempDir dir;
  bool systemExisted = true;
  std::string windows, ini, backup;
  std::map<std::string, std::optional<std::string>> saved;
};

// On a machine without boot files (as a fresh Wine prefix is) the installers' lines in
// autoexec.bat and config.sys go with the files the undo removes.
TEST_F(CliE2eTest, TrackUndoOfNewAppLeavesNothingOver) {
  for (const char* f : kBootFiles) DeleteFileA(f);
  const Json doc = TrackAndUndo(NEWAPP_SETUP, {"--standard"});
  const Json* registry = nullptr;
  for (const Json& s : doc["report"]["sections"])
    if (s["kind"] == "registry") registry = &s;
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ((*registry)["count"], 12);
  EXPECT_EQ(doc["undo"]["done"], doc["actions"].size());
}

// A document the user saves into the program's folder after the report survives the undo,
// with the folders that hold it; everything the installer put there goes.
TEST_F(CliE2eTest, ADocumentSavedAfterTheReportSurvivesTheUndo) {
  for (const char* f : kBootFiles) DeleteFileA(f);
  Outcome run = Tessaryc({"track", "--standard", "--yes", "--json", "--", test::BuildPath(NEWAPP_SETUP), "/S"});
  ASSERT_EQ(run.code, 1u) << run.out << run.err;
  const std::string app = "C:\\Program Files\\NewVendor\\NewApp";
  ASSERT_TRUE(DirectoryExists(app));
  test::WriteBytes(app + "\\letter.txt", "the user's own");
  run = Tessaryc({"undo", "TRACK", "--yes", "--json"});
  EXPECT_EQ(run.code, 1u) << run.out << run.err;  // an action not done
  EXPECT_EQ(run.json["sealed"], true);
  EXPECT_EQ(test::ReadBytes(app + "\\letter.txt"), "the user's own");
  std::vector<std::string> left;
  for (const FindEntry& e : ListFolder(app)) left.push_back(e.name);
  EXPECT_EQ(left, std::vector<std::string>{"letter.txt"});
  const std::string log = test::ReadBytes(backup + "\\TRACK.log");
  EXPECT_NE(log.find("KEPT(changed since the report):C:\\Program Files\\NewVendor\\NewApp\\letter.txt\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("1 item was kept as changed since the report.\r\n"), std::string::npos) << log;
  EXPECT_EQ(run.json["notDone"], 1) << run.out;
}

TEST_F(CliE2eTest, TrackUndoOfSharedDllLeavesNothingOver) {
  for (const char* f : kBootFiles) DeleteFileA(f);
  const Json doc = TrackAndUndo(SHAREDDLL_SETUP, {"--standard"});
  EXPECT_FALSE(FileExists(windows + "\\system\\sharelib.dll"));
  bool dll = false;
  for (const Json& a : doc["actions"]) dll = dll || ContainsNoCase(a["line"].get<std::string>(), "sharelib.dll");
  EXPECT_TRUE(dll) << doc["actions"].dump(1);
}

// With --deep the run sees what a setup program of today writes (System32, SysWOW64,
// nested folders in Program Files, AppData, ProgramData, a name in any language), undoes
// every deep addition, and the compare after the undo finds nothing left, deep sections
// included.
TEST_F(CliE2eTest, DeepTrackUndoOfModernAppLeavesNothingOver) {
  for (const char* f : kBootFiles) DeleteFileA(f);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const Json doc = TrackAndUndo(MODERNAPP_SETUP, {"--deep"});
  std::set<std::string> deepAdded;
  for (const Json& s : doc["report"]["sections"])
    if (s["kind"] == "deep")
      for (const Json& e : s["entries"])
        if (e["change"] == "added") deepAdded.insert(e["name"].get<std::string>());
  EXPECT_EQ(deepAdded.count("modern64.dll"), 1u) << doc["report"].dump(1);
  EXPECT_EQ(deepAdded.count("drivers\\modern.sys"), 1u) << doc["report"].dump(1);
  EXPECT_FALSE(FileExists(std::string(system) + "\\modern64.dll"));
  EXPECT_FALSE(FileExists(std::string(system) + "\\drivers\\modern.sys"));

  // The summary names what the installer did by category, flags what Windows loads,
  // and each item names the lines that undid it.
  ASSERT_TRUE(doc.contains("summary")) << doc.dump(1);
  std::map<std::string, std::vector<const Json*>> byCategory;
  for (const Json& item : doc["summary"]["items"]) byCategory[item["category"].get<std::string>()].push_back(&item);
  auto find = [&](const char* category, const char* words) -> const Json* {
    for (const Json* item : byCategory[category])
      if (ContainsNoCase((*item)["words"].get<std::string>(), words)) return item;
    ADD_FAILURE() << category << ": " << words << " not in " << doc["summary"].dump(1);
    return nullptr;
  };
  const std::set<std::string> undone = [&] {
    std::set<std::string> lines;
    for (const Json& a : doc["undo"]["actions"]) lines.insert(ToUpperAscii(a["line"].get<std::string>()));
    return lines;
  }();
  struct Expected {
    const char* category;
    const char* words;
    bool secondLook;
  };
  for (const Expected& e : {Expected{"systemFiles", "adds modern64.dll in the system folder", true},
                            Expected{"services", "adds modern.sys in the drivers folder", true},
                            Expected{"shortcuts", "ModernApp (folder", false}}) {
    const Json* item = find(e.category, e.words);
    if (!item) continue;
    EXPECT_EQ((*item)["secondLook"], e.secondLook) << item->dump();
    ASSERT_FALSE((*item)["actions"].empty()) << item->dump();
    for (const Json& line : (*item)["actions"])
      EXPECT_EQ(undone.count(ToUpperAscii(line.get<std::string>())), 1u) << line;
  }
}

// On the console the summary comes first, before the report's counts.
TEST_F(CliE2eTest, DeepTrackPrintsTheSummaryFirst) {
  for (const char* f : kBootFiles) DeleteFileA(f);
  const Outcome run = Tessaryc({"track", "--deep", "--undo", "--yes", "--", test::BuildPath(MODERNAPP_SETUP), "/S"});
  EXPECT_EQ(run.code, 0u) << run.out << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u);
  // The program's own line comes first, then the summary, before the report's counts.
  EXPECT_EQ(lines[0].rfind("program: ", 0), 0u) << run.out;
  EXPECT_EQ(lines[1], "summary: 4 items, 3 for a second look") << run.out;
  const auto line = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text) - lines.begin(); };
  EXPECT_LT(line("  [3] System folder files: adds modern64.dll in the system folder"), line("      undo: 1 action (undo --only-summary 3)"));
  EXPECT_LT(line("      undo: 1 action (undo --only-summary 3)"), static_cast<long>(lines.size()));
  EXPECT_LT(line("      undo: 1 action (undo --only-summary 4)"), line("report:  " + ToUpperAscii(backup) + "\\TRACK.TSC"));
}

// Boot-file lines have no undo action: where autoexec.bat and config.sys were there
// before, what the installer wrote into them is left over, and says so.
TEST_F(CliE2eTest, TrackUndoReportsTheBootFileLinesItCannotUndo) {
  Outcome run =
      Tessaryc({"track", "--standard", "--undo", "--yes", "--json", "--", test::BuildPath(NEWAPP_SETUP), "/S"});
  EXPECT_EQ(run.code, 1u) << run.err;
  std::set<std::string> boot;
  for (const Json& l : run.json["leftovers"]) {
    EXPECT_FALSE(l["undoable"].get<bool>()) << l.dump();
    if (l["kind"] == "boot") {
      boot.insert(l["text"].get<std::string>());
    } else {
      EXPECT_EQ(l["section"], "C:\\") << l.dump();  // the boot files' new dates
      EXPECT_EQ(l["change"], "updated") << l.dump();
    }
  }
  EXPECT_EQ(boot, (std::set<std::string>{"SET NEWAPP=C:\\NEWAPP", "DEVICE=C:\\NEWAPP\\NEWAPP.SYS"}));
  EXPECT_EQ(run.json["nothingLeftOver"], false);
  EXPECT_NE(run.out.find("\"leftovers\""), std::string::npos);
}

// The program ends at once; the child it leaves behind makes its folder two seconds
// later. Tracking waits for the whole job.
TEST_F(CliE2eTest, TrackWaitsForEveryProcessTheProgramStarted) {
  WriteSettings(false);
  Outcome run =
      Tessaryc({"track", "--standard", "--json", "--", test::BuildPath(SPAWNER_EXE), "spawn", "CliLateVendor"});
  EXPECT_EQ(run.code, 1u) << run.err;
  EXPECT_GE(run.json["program"]["processes"].get<int>(), 2);
  bool late = false;
  for (const Json& s : run.json["report"]["sections"])
    for (const Json& e : s["entries"]) late = late || e["text"] == "ADDED  : CliLateVendor  (DIR)";
  EXPECT_TRUE(late) << run.json["report"].dump(1);
  EXPECT_TRUE(DirectoryExists(kLateFolder));
}

// Track compares the branches a program installs into whatever tessary.ini says (and
// writes nothing there), --standard those tessary.ini names; what it did not compare is
// named; a program that failed gives tessaryc's own exit code and shows in the summary.
TEST_F(CliE2eTest, TrackComparesItsOwnBranchesNamesTheRestAndTellsAFailedProgram) {
  WriteSettings(false);  // every registry branch off
  const std::string settings = test::ReadBytes(ini);
  Outcome run = Tessaryc({"track", "--json", "--quiet", "--", SystemProgram("cmd.exe"), "/c", "reg", "add",
                          std::string("HKCU\\") + kVendorKey + "\\App", "/f", "&", "exit", "3"});
  EXPECT_EQ(run.code, 6u) << run.err;
  EXPECT_EQ(run.json["exitCode"], 6);
  EXPECT_EQ(run.json["program"]["exitCode"], 3);
  std::set<std::string> keys;
  for (const Json& s : run.json["report"]["sections"])
    if (s["kind"] == "registry")
      for (const Json& e : s["entries"]) keys.insert(e["key"].get<std::string>());
  EXPECT_EQ(keys.count(std::string("HKEY_CURRENT_USER\\") + kVendorKey), 1u) << run.json["report"].dump(1);
  std::map<std::string, std::string> notCompared;
  for (const Json& n : run.json["report"]["notCompared"]) notCompared[n["what"]] = n["why"];
  EXPECT_EQ(notCompared.count("HKEY_LOCAL_MACHINE"), 0u);
  EXPECT_EQ(notCompared["HKEY_USERS"], "switchedOff");
  EXPECT_EQ(notCompared["HKEY_CURRENT_CONFIG"], "switchedOff");
  EXPECT_EQ(notCompared.count("HKEY_CURRENT_USER"), 0u);
  EXPECT_FALSE(std::any_of(notCompared.begin(), notCompared.end(), [](const auto& n) { return n.second == "outsideMode"; }));
  EXPECT_EQ(test::ReadBytes(ini), settings);

  // --standard: the branches of tessary.ini, here none, and no deep places.
  run = Tessaryc({"track", "--standard", "--name", "STANDARD", "--json", "--quiet", "--", SystemProgram("cmd.exe"), "/c",
                  "exit", "0"});
  EXPECT_EQ(run.code, 0u) << run.err;
  notCompared.clear();
  for (const Json& n : run.json["report"]["notCompared"]) notCompared[n["what"]] = n["why"];
  EXPECT_EQ(notCompared["HKEY_CURRENT_USER"], "switchedOff");
  EXPECT_EQ(notCompared["HKEY_LOCAL_MACHINE\\SOFTWARE"], "switchedOff");
  EXPECT_TRUE(std::any_of(notCompared.begin(), notCompared.end(), [](const auto& n) { return n.second == "outsideMode"; }));
  for (const Json& what : run.json["report"]["compared"])
    EXPECT_NE(what.get<std::string>().rfind("Program Files (", 0), 0u) << run.json["report"]["compared"].dump();
  EXPECT_EQ(test::ReadBytes(ini), settings);

  // In text: the program's exit code, and --branches none leaves the registry out by name.
  run = Tessaryc({"--quiet", "track", "--name", "FAILED", "--branches", "none", "--", SystemProgram("cmd.exe"), "/c",
                  "exit", "3"});
  EXPECT_EQ(run.code, 6u) << run.err;
  EXPECT_TRUE(HasLine(run.out, "program: " + SystemProgram("cmd.exe") + " /c exit 3 ended with exit code 3 (failed)"))
      << run.out;
  EXPECT_TRUE(HasLine(run.out, "  Registry                 not compared (no branch chosen)")) << run.out;
  EXPECT_NE(run.out.find(" found in what was compared\r\n"), std::string::npos) << run.out;
  EXPECT_TRUE(HasLine(run.out, "not compared: HKEY_CURRENT_USER (switched off)")) << run.out;
}

// Registry values alone are changes: counted, listed, and what an undo cannot put back
// is left over (data too large to keep whole has no undo action).
TEST_F(CliE2eTest, ValueChangesAreCountedListedAndLeftOver) {
  WriteSettings(false);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kValuesKey, &key), ERROR_SUCCESS);
  const RegKeyHandle owner(key);
  const std::string big(70000, 'b');
  ASSERT_EQ(RegSetValueExA(key, "Big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                           static_cast<DWORD>(big.size())),
            ERROR_SUCCESS);
  ASSERT_EQ(Tessaryc({"backup", "--quiet", "--values"}).code, 0u);
  ASSERT_EQ(RegSetValueExA(key, "Added", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_SUCCESS);
  Outcome run = Tessaryc({"compare", "--values", "--branches", "HKCU", "--quiet"});
  RegDeleteValueA(key, "Added");
  EXPECT_EQ(run.code, 1u) << run.out << run.err;
  EXPECT_TRUE(HasLine(run.out, "  Registry values          1 added")) << run.out;
  EXPECT_TRUE(HasLine(run.out, "1 change found in what was compared")) << run.out;

  run = Tessaryc({"track", "--undo", "--values", "--yes", "--json", "--quiet", "--", SystemProgram("cmd.exe"), "/c",
                  "reg", "add", std::string("HKCU\\") + kValuesKey, "/v", "Big", "/t", "REG_DWORD", "/d", "2", "/f", "&",
                  "reg", "add", std::string("HKCU\\") + kValuesKey, "/v", "Undone", "/d", "1", "/f"});
  EXPECT_EQ(run.code, 1u) << run.err;
  EXPECT_EQ(run.json["nothingLeftOver"], false);
  std::vector<std::string> left;
  for (const Json& l : run.json["leftovers"])
    left.push_back(l["kind"].get<std::string>() + " " + l["change"].get<std::string>() +
                   (l["undoable"].get<bool>() ? " undoable" : "") + (ContainsNoCase(l["text"].get<std::string>(), "\"Big\"") ? " Big" : ""));
  EXPECT_EQ(left, (std::vector<std::string>{"registryValues changed Big"})) << run.json["leftovers"].dump(1);
  EXPECT_EQ(RegQueryValueExA(key, "Undone", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(CliE2eTest, CompareExitCodesTellNoChangesChangesAndErrors) {
  WriteSettings(false);
  Outcome run = Tessaryc({"compare"});
  EXPECT_EQ(run.code, 3u);
  EXPECT_NE(run.err.find("no complete backup set in " + ToUpperAscii(backup)), std::string::npos) << run.err;
  EXPECT_EQ(Tessaryc({"compare", "--frobnicate"}).code, 2u);
  EXPECT_EQ(Tessaryc({"compare", "--dir", dir / "NOWHERE"}).code, 3u);

  ASSERT_EQ(Tessaryc({"backup"}).code, 0u);
  run = Tessaryc({"compare", "--json"});
  EXPECT_EQ(run.code, 0u) << run.out << run.err;
  EXPECT_EQ(run.json["report"]["changes"], 0);
  EXPECT_EQ(run.json["report"]["path"], ToUpperAscii(backup) + "\\COMPARE.TSC");
  EXPECT_TRUE(run.json["actions"].empty());

  test::WriteBytes("C:\\Program Files\\CliNewFile.txt", "new");
  run = Tessaryc({"compare", "--name", "SECOND"});
  DeleteFileA("C:\\Program Files\\CliNewFile.txt");
  EXPECT_EQ(run.code, 1u) << run.err;
  bool counted = false;
  for (const std::string& line : Lines(run.out))
    counted = counted || (line.rfind("  C:\\Program Files ", 0) == 0 && EndsWithNoCase(line, " 1 added"));
  EXPECT_TRUE(counted) << run.out;
  EXPECT_NE(test::ReadBytes(ToUpperAscii(backup) + "\\SECOND.TSU").find("REMOVEFILE:CliNewFile.txt>FROM:C:\\Program Files"),
            std::string::npos);
  // The report is there: without --yes and with nobody to ask, it stays as it is.
  const std::string second = test::ReadBytes(backup + "\\SECOND.TSC");
  EXPECT_EQ(Tessaryc({"compare", "--name", "SECOND"}).code, 5u);
  EXPECT_EQ(test::ReadBytes(backup + "\\SECOND.TSC"), second);
  EXPECT_EQ(Tessaryc({"compare", "--name", "SECOND", "--yes"}).code, 0u);
}

class CliUndoTest : public CliE2eTest {
 protected:
  void SetUp() override {
    CliE2eTest::SetUp();
    WriteSettings(false);
    files = dir.MakeDir("FILES");
    test::WriteBytes(files + "\\a.txt", "a");
    test::WriteBytes(files + "\\b.txt", "b");
    test::WriteBytes(backup + "\\HAND.TSC", "Tessary configuration file comparison file.\r\n");
    // Sealed as Compare seals what it writes.
    ASSERT_TRUE(test::SealAsCompareWould(backup + "\\HAND.TSU",
                                         {"ADD:CliKey=1>TO:WIN.INI[TessaryCliTest]", "REMOVEFILE:b.txt>FROM:" + files,
                                          "REMOVEFILE:a.txt>FROM:" + files},
                                         windows));
    ProfileFlush(windows + "\\win.ini");
    winIni = test::ReadBytes(windows + "\\win.ini");
    settingsFile = test::ReadBytes(ini);
  }
  // Nothing of the machine changed, and no log was written.
  void ExpectUnchanged(const std::string& report = "HAND") {
    EXPECT_TRUE(FileExists(files + "\\a.txt"));
    EXPECT_TRUE(FileExists(files + "\\b.txt"));
    ProfileFlush(windows + "\\win.ini");
    EXPECT_EQ(test::ReadBytes(windows + "\\win.ini"), winIni);
    EXPECT_EQ(test::ReadBytes(ini), settingsFile);
    EXPECT_FALSE(FileExists(backup + "\\" + report + ".log"));
  }
  std::string files, winIni, settingsFile;
};

TEST_F(CliUndoTest, ActionsAreListedAsTheDialogListsThem) {
  Outcome run = Tessaryc({"actions", "HAND", "--json"});
  EXPECT_EQ(run.code, 0u) << run.err;
  ASSERT_EQ(run.json["actions"].size(), 3u);
  EXPECT_EQ(run.json["actions"][0]["entry"], "ADD:CLIKEY=1>TO:WIN.INI[TESSARYCLITEST]");
  EXPECT_EQ(run.json["actions"][1]["entry"], "REMOVEFILE:A.TXT>FROM:" + ToUpperAscii(files));
  EXPECT_EQ(run.json["actions"][1]["line"], "REMOVEFILE:a.txt>FROM:" + files);
  EXPECT_EQ(run.json["actions"][1]["kind"], "removeFile");
  EXPECT_EQ(run.json["actions"][1]["target"], files + "\\a.txt");
  // The report is an object in every command's document, with its action file.
  // (The backup directory comes back as the settings' reader spells it.)
  EXPECT_TRUE(EqualsNoCase(run.json["report"]["path"].get<std::string>(), backup + "\\HAND.TSC")) << run.json["report"];
  EXPECT_TRUE(EqualsNoCase(run.json["report"]["actionFile"].get<std::string>(), backup + "\\HAND.TSU"))
      << run.json["report"];
}

TEST_F(CliUndoTest, DryRunChangesNothing) {
  Outcome run = Tessaryc({"undo", "HAND", "--dry-run", "--json"});
  EXPECT_EQ(run.code, 0u) << run.err;
  ASSERT_EQ(run.json["actions"].size(), 3u);
  for (const Json& a : run.json["actions"]) EXPECT_EQ(a["outcome"], "wouldDo");
  EXPECT_TRUE(EqualsNoCase(run.json["report"]["actionFile"].get<std::string>(), backup + "\\HAND.TSU"))
      << run.json["report"];
  ExpectUnchanged();
  // Without --yes and with nobody to ask, undo changes nothing either.
  run = Tessaryc({"undo", "HAND"});
  EXPECT_EQ(run.code, 5u);
  EXPECT_NE(run.err.find("confirm with --yes"), std::string::npos) << run.err;
  ExpectUnchanged();
}

TEST_F(CliUndoTest, OnlyCarriesOutTheChosenActions) {
  EXPECT_EQ(Tessaryc({"undo", "HAND", "--yes", "--only", "nothing like it"}).code, 3u);
  ExpectUnchanged();
  Outcome run = Tessaryc({"undo", "HAND", "--yes", "--json", "--only", "a.txt"});
  EXPECT_EQ(run.code, 0u) << run.err;
  EXPECT_FALSE(FileExists(files + "\\a.txt"));
  EXPECT_TRUE(FileExists(files + "\\b.txt"));
  EXPECT_EQ(ProfileRead(windows + "\\win.ini", "TessaryCliTest", "CliKey", "<absent>", 16), "<absent>");
  EXPECT_EQ(run.json["done"], 1);
  EXPECT_EQ(run.json["notDone"], 0);
  for (const Json& a : run.json["actions"])
    EXPECT_EQ(a["chosen"], a["entry"].get<std::string>().find("A.TXT") != std::string::npos) << a.dump();
  const std::string log = test::ReadBytes(backup + "\\HAND.log");
  EXPECT_NE(log.find("DONE:REMOVEFILE:A.TXT>FROM:" + ToUpperAscii(files) + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("NOT DONE:REMOVEFILE:B.TXT"), std::string::npos) << log;  // as the dialog logs the rest
  EXPECT_EQ(test::ReadBytes(ini), settingsFile);  // the dialog's remembered check boxes stay
}

// --only-summary carries out exactly the lines of the named summary items; a report
// without a summary, an item it lacks, or an action file without one of an item's lines
// is refused with nothing changed.
TEST_F(CliUndoTest, OnlySummaryCarriesOutTheLinesOfOneItem) {
  test::WriteBytes(backup + "\\SUMMED.TSC",
                   "Tessary configuration file comparison file.\r\n" + backup + "\\SUMMED.TSC\r\n"
                   "SUMMARY: what this install did, 2 items (every finding is listed below)\r\n"
                   "[1] Shortcuts: adds b.txt in the desktop (this user)\r\n"
                   "    UNDO: REMOVEFILE:b.txt>FROM:" + files + "\r\n"
                   "[2] Starts with Windows: adds WIN.INI [windows] run=x.exe\r\n"
                   "    SECOND LOOK: it starts with Windows, every time\r\n"
                   "    UNDO: ADD:CliKey=1>TO:WIN.INI[TessaryCliTest]\r\n"
                   "    UNDO: REMOVEFILE:gone.txt>FROM:" + files + "\r\n"
                   "END OF SUMMARY\r\n");
  ASSERT_TRUE(test::SealAsCompareWould(backup + "\\SUMMED.TSU",
                                       {"ADD:CliKey=1>TO:WIN.INI[TessaryCliTest]", "REMOVEFILE:b.txt>FROM:" + files,
                                        "REMOVEFILE:a.txt>FROM:" + files},
                                       windows));
  for (const std::vector<std::string>& refused :
       {std::vector<std::string>{"undo", "HAND", "--yes", "--only-summary", "1"},
        std::vector<std::string>{"undo", "SUMMED", "--yes", "--only-summary", "3"},
        std::vector<std::string>{"undo", "SUMMED", "--yes", "--only-summary", "autostart"}}) {
    const Outcome run = Tessaryc(refused);
    EXPECT_EQ(run.code, 3u) << refused[1] << " " << refused[4] << ": " << run.err;
    ExpectUnchanged(refused[1]);
  }
  Outcome run = Tessaryc({"undo", "SUMMED", "--yes", "--json", "--only-summary", "shortcuts"});
  EXPECT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(run.json["done"], 1);
  EXPECT_TRUE(FileExists(files + "\\a.txt"));
  EXPECT_FALSE(FileExists(files + "\\b.txt"));
  EXPECT_EQ(ProfileRead(windows + "\\win.ini", "TessaryCliTest", "CliKey", "<absent>", 16), "<absent>");
}

TEST_F(CliUndoTest, BadInputIsRefusedWithNothingChanged) {
  // A hostile line: the whole file is refused before anything is done.
  test::WriteBytes(backup + "\\EVIL.TSC", "x\r\n");
  test::WriteBytes(backup + "\\EVIL.TSU", "REMOVEFILE:b.txt>FROM:" + files + "\r\nREMOVEFILE:..\\..\\WINDOWS>FROM:" +
                                              files + "\r\nREG_DAT_REMOVE:HKEY_LOCAL_MACHINE>FROM:REG.DAT\r\n");
  Outcome run = Tessaryc({"undo", "EVIL", "--yes"});
  EXPECT_EQ(run.code, 3u);
  EXPECT_NE(run.err.find("integrity error"), std::string::npos) << run.err;
  ExpectUnchanged("EVIL");
  EXPECT_EQ(Tessaryc({"actions", backup + "\\EVIL.TSC"}).code, 3u);
  // A report without its action file, a report that is not there.
  test::WriteBytes(backup + "\\LONE.TSC", "x\r\n");
  run = Tessaryc({"undo", "LONE", "--yes"});
  EXPECT_EQ(run.code, 3u);
  EXPECT_NE(run.err.find("has no action file"), std::string::npos) << run.err;
  EXPECT_EQ(Tessaryc({"undo", "NOSUCH", "--yes"}).code, 3u);
  EXPECT_EQ(Tessaryc({"track", "--", "C:\\no\\such\\setup.exe"}).code, 3u);
  ExpectUnchanged("LONE");
}

// An older action file's REMOVEFILE line, in the machine's ANSI code page, is read as the
// Uninstall Actions dialog reads it: listed in the program's text, and planned for undo
// (an older file carries no seal, so it runs only line by line at a console).
TEST_F(CliUndoTest, OlderAnsiLinesAreReadAsTheDialogReadsThem) {
  test::WriteBytes(files + "\\caf\xC3\xA9.txt", "c");
  test::WriteBytes(backup + "\\OLD.TSC", "x\r\n");
  test::WriteBytes(backup + "\\OLD.TSU", "REMOVEFILE:caf\xE9.txt>FROM:" + files + "\r\n");
  Outcome run = Tessaryc({"actions", "OLD", "--json"});
  EXPECT_EQ(run.code, 0u) << run.err;
  ASSERT_EQ(run.json["actions"].size(), 1u);
  EXPECT_EQ(run.json["actions"][0]["line"], "REMOVEFILE:caf\xC3\xA9.txt>FROM:" + files);
  run = Tessaryc({"undo", "OLD", "--dry-run", "--json"});
  EXPECT_EQ(run.code, 0u) << run.err;
  ASSERT_EQ(run.json["actions"].size(), 1u) << run.json;
  EXPECT_EQ(run.json["actions"][0]["line"], "REMOVEFILE:caf\xC3\xA9.txt>FROM:" + files);
}

// An action file that is not as Compare sealed it (written by hand here, with a report
// beside it): undo refuses it, and with --unsealed still refuses to run it unasked.
TEST_F(CliUndoTest, AnUnsealedFileIsRefusedUnlessAskedLineByLineAtAConsole) {
  test::WriteBytes(backup + "\\OLD.TSC", "x\r\n");
  test::WriteBytes(backup + "\\OLD.TSU", "REMOVEFILE:b.txt>FROM:" + files + "\r\n");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"undo", "OLD", "--yes"}, "changed after Tessary wrote it"},
      {{"undo", "OLD", "--yes", "--unsealed"}, "never runs with --yes"},
      {{"undo", "OLD", "--unsealed"}, "without a console"},
  };
  for (const Case& c : cases) {
    const Outcome run = Tessaryc(c.args);
    EXPECT_EQ(run.code, 3u) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    ExpectUnchanged("OLD");
  }
  Outcome run = Tessaryc({"actions", "OLD", "--json"});
  EXPECT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(run.json["sealed"], false);
  run = Tessaryc({"actions", "HAND", "--json"});
  EXPECT_EQ(run.json["sealed"], true);
  // The sealed file, changed by one byte, is unsealed too.
  test::WriteBytes(backup + "\\HAND.TSU", test::ReadBytes(backup + "\\HAND.TSU") + "\r\n");
  EXPECT_EQ(Tessaryc({"undo", "HAND", "--yes"}).code, 3u);
  ExpectUnchanged();
}

// Ctrl+C while the registry is compared: the run stops at its next check, as Cancel in
// the progress dialog stops it, and the report ends with the cancellation line.
TEST_F(CliE2eTest, CtrlCStopsACompareAtTheNextCheck) {
  WriteSettings(false, "[registry]\r\nCuruser=yes\r\n");
  HKEY many = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kManyKeys, &many), ERROR_SUCCESS);
  const RegKeyHandle owner(many);
  for (int g = 0; g < 40; ++g) {
    HKEY group = nullptr;
    RegCreateKeyA(many, ("G" + std::to_string(g)).c_str(), &group);
    const RegKeyHandle groupOwner(group);
    for (int k = 0; k < 1000; ++k) {
      HKEY key = nullptr;
      if (RegCreateKeyA(group, ("K" + std::to_string(k)).c_str(), &key) == ERROR_SUCCESS) RegKeyHandle{key};
    }
  }
  ASSERT_EQ(Tessaryc({"backup", "--quiet"}).code, 0u);
  HKEY added = nullptr;
  RegCreateKeyA(many, "Added", &added);
  RegKeyHandle{added};

  bool sent = false;
  Outcome run = Tessaryc({"compare", "--name", "CTRLC"}, CREATE_NEW_CONSOLE, [&](HANDLE process, const std::string& errPath) {
    // Once the registry section has begun, Ctrl+C on the program's console.
    if (!test::WaitFor([&] { return test::ReadBytes(errPath).find("Comparing Registry") != std::string::npos; },
                       120000))
      return;
    FreeConsole();
    if (AttachConsole(GetProcessId(process))) {
      SetConsoleCtrlHandler(nullptr, TRUE);
      sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
      FreeConsole();
    }
  });
  ASSERT_TRUE(sent) << run.err;
  EXPECT_EQ(run.code, 130u) << run.err;
  const std::string report = test::ReadBytes(backup + "\\CTRLC.TSC");
  EXPECT_EQ(report.substr(report.size() - std::string("---COMPARE CANCELLED BY USER---").size()),
            "---COMPARE CANCELLED BY USER---");
  EXPECT_TRUE(FileExists(backup + "\\CTRLC.TSU"));
  EXPECT_NE(run.err.find("compare interrupted"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tessary
