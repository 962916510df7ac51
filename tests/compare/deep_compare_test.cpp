// Deep tracking against real folders of the test prefix: the backup's deep listings and
// Compare's deep sections, with the places put in folders of the test's own.
#include <gtest/gtest.h>

#include <algorithm>

#include "compare/compare_run.h"
#include "compare/deep_compare.h"
#include "compare/dir_compare.h"
#include "compare/logic/compare_text.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "section_test.h"
#include "snapshot/backup_run.h"
#include "snapshot/backup_set.h"
#include "snapshot/deep_places.h"
#include "testbed.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class DeepCompareTest : public test::SectionRunTest {
 protected:
  DeepCompareTest()
      : prog(dir.MakeDir("PF")), sys(dir.MakeDir("SYS")), local(dir.MakeDir("LOCAL")), roots(dir.MakeDir("USERS")) {
    scope.places = FoldPlaces({{"prog", "Program Files", prog, ""},
                               {"common", "Common Files", prog + "\\Common Files", ""},
                               {"system", "System folder", sys, ""},
                               {"local", "AppData Local", local, ""}});
    scope.leftOut.folders = {backupDir, prog + "\\Temp"};
    scope.leftOut.cacheRoots = {local};
    SetDeepPlacesForTests([this] { return scope; });
    Set(settings::kDeepTracking, "yes");
  }
  ~DeepCompareTest() override { SetDeepPlacesForTests({}); }

  void Backup() {
    ASSERT_TRUE(WriteDeepListings(scope, backupDir, "tsb", {}, {}));
  }
  // The deep section's lines after its heading.
  std::vector<std::string> Findings() {
    std::vector<std::string> lines = Lines(Report());
    const auto leftOut = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Left out: ", 0) == 0; });
    EXPECT_NE(leftOut, lines.end()) << Report();
    return leftOut == lines.end() ? lines : std::vector<std::string>(leftOut + 1, lines.end());
  }

  std::string prog, sys, local, roots;
  DeepScope scope;
};

TEST_F(DeepCompareTest, WhatChangedInEachPlaceWithAnActionForEachTopMostAddition) {
  dir.MakeDir("PF\\Old App");
  WriteBytes(prog + "\\Old App\\app.exe", "0123456789");
  WriteBytes(prog + "\\Old App\\keep.dll", "k");
  dir.MakeDir("PF\\Common Files\\Vendor\\bin");
  WriteBytes(prog + "\\Common Files\\Vendor\\bin\\old.dll", "o");
  WriteBytes(prog + "\\gone.txt", "g");
  dir.MakeDir("PF\\data\\deeper");
  WriteBytes(prog + "\\data\\x", "x");
  dir.MakeDir("SYS\\drivers");
  dir.MakeDir("LOCAL\\Vendor\\Cache");
  Backup();

  // What a setup program of today does.
  WriteBytes(prog + "\\Common Files\\Vendor\\bin\\new.dll", "12345");
  dir.MakeDir("PF\\New App\\sub");
  WriteBytes(prog + "\\New App\\a.exe", "abc");
  WriteBytes(prog + "\\New App\\sub\\b.dat", "abcd");
  test::MakeFileNamed(prog + "\\New App", L"\u65E5\u672C\u8A9E.txt", "12");
  ASSERT_TRUE(test::SetLastWrite(prog + "\\Old App\\app.exe", 2030, 1, 2, 3, 4, 5));  // same size, another time
  ASSERT_TRUE(DeleteFileA((prog + "\\gone.txt").c_str()));
  test::RemoveTree(prog + "\\data");
  WriteBytes(prog + "\\data", "now a file");
  ASSERT_TRUE(MoveFileA((prog + "\\Old App\\keep.dll").c_str(), (prog + "\\Old App\\KEEP.DLL").c_str()));
  WriteBytes(sys + "\\drivers\\new.sys", "s");
  const std::string unicodeName = test::MakeFileNamed(sys, L"\u00DCn\u00EFcode \u2713.txt", "u");
  // Left out: the place's temporary folder, a cache below AppData, the backup directory.
  dir.MakeDir("PF\\Temp");
  WriteBytes(prog + "\\Temp\\setup.tmp", "t");
  WriteBytes(local + "\\Vendor\\Cache\\c1", "c");
  WriteBytes(backupDir + "\\other.tsb", "b");

  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_FALSE(run.noChangesFound);
  const std::string report = Report();
  EXPECT_EQ(report.find("===============\r\nDEEP TRACKING: today's install locations with all their subfolders\r\n"
                        "Program Files: " + prog + "\r\nCommon Files: " + prog +
                        "\\Common Files  (listed with Program Files)\r\nSystem folder: " + sys +
                        "\r\nAppData Local: " + local + "\r\nLeft out: " + backupDir + "; " + prog +
                        "\\Temp; folders named Cache, Code Cache, GPUCache, ShaderCache or cache2 below " + local + "\r\n"),
            0u)
      << report;
  std::vector<std::string> findings = Findings();
  ASSERT_EQ(findings.size(), 12u) << report;
  EXPECT_EQ(findings[0], "---------------");
  EXPECT_EQ(findings[1], "Program Files: " + prog);
  EXPECT_EQ(findings[2], "ADDED  : Common Files\\Vendor\\bin\\new.dll  5 bytes");
  EXPECT_EQ(findings[3], "DELETED: data  (DIR)");
  EXPECT_EQ(findings[4], "ADDED  : data  10 bytes");
  EXPECT_EQ(findings[5], "DELETED: gone.txt");
  EXPECT_EQ(findings[6], "ADDED  : New App  (DIR)  3 files, 9 bytes");
  EXPECT_EQ(findings[7].rfind("UPDATED: Old App\\app.exe  OLD: 10 bytes ", 0), 0u) << findings[7];
  EXPECT_NE(findings[7].find(" UTC  NEW: 10 bytes 2030-01-0"), std::string::npos) << findings[7];
  EXPECT_EQ(findings[8], "---------------");
  EXPECT_EQ(findings[9], "System folder: " + sys);
  EXPECT_EQ(findings[10], "ADDED  : drivers\\new.sys  1 byte");
  EXPECT_EQ(findings[11], "ADDED  : " + test::Utf8(L"\u00DCn\u00EFcode \u2713.txt") + "  1 byte");

  // One REMOVEFILE per top-most addition, which the uninstall reader takes for that entry.
  const std::vector<std::string> actions = Lines(Actions());
  EXPECT_EQ(actions, (std::vector<std::string>{
                         "REMOVEFILE:new.dll>FROM:" + prog + "\\Common Files\\Vendor\\bin",
                         "REMOVEFILE:data>FROM:" + prog,
                         "REMOVEFILE:New App  (DIR)>FROM:" + prog,
                         "REMOVEFILE:new.sys>FROM:" + sys + "\\drivers",
                         "REMOVEFILE:" + test::Utf8(L"\u00DCn\u00EFcode \u2713.txt") + ">FROM:" + sys,
                     }));
  for (const std::string& action : actions) {
    std::optional<FileAction> parsed = ParseRemoveFileAction(action);
    ASSERT_TRUE(parsed) << action;
    EXPECT_TRUE(PathExists(parsed->path)) << action;
  }
  EXPECT_TRUE(FileExists(unicodeName));
}

TEST_F(DeepCompareTest, ABackupThenACompareFindsNothingAndAMissingListingIsSaid) {
  dir.MakeDir("PF\\App\\bin");
  WriteBytes(prog + "\\App\\bin\\a.dll", "a");
  test::MakeFileNamed(sys, L"Caf\u00E9.dll", "c");
  Backup();
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_TRUE(run.noChangesFound);
  EXPECT_EQ(Findings(), std::vector<std::string>{}) << Report();
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);  // and again
  EXPECT_TRUE(run.noChangesFound);

  // A place the backup did not list, a listing cut short: said, never compared.
  ASSERT_TRUE(DeleteFileA(DeepListingPath(backupDir, "system", "tsb").c_str()));
  const std::string listing = DeepListingPath(backupDir, "prog", "tsb");
  std::string bytes = ReadBytes(listing);
  WriteBytes(listing, bytes.substr(0, bytes.size() - 8));
  WriteBytes(run.reportPath, "");
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_EQ(Findings(), (std::vector<std::string>{"--Program Files not compared: its deep listing cannot be read.",
                                                  "--System folder not compared: the backup holds no deep listing of it."}));
  EXPECT_EQ(Actions(), "");
}

// What the noise list takes is counted under the place's heading with its rules, never
// reported nor given an action; a place with nothing else gets its heading and that line,
// and the run still found no change.
TEST_F(DeepCompareTest, EntriesTheNoiseListTakesAreNamedNotReported) {
  dir.MakeDir("PF\\App");
  WriteBytes(prog + "\\App\\old.log", "1");
  Backup();
  WriteBytes(prog + "\\App\\old.log", "22");
  WriteBytes(prog + "\\App\\new.log", "3");
  WriteBytes(prog + "\\App\\new.dll", "4");
  WriteBytes(sys + "\\run.log", "5");
  const std::string appLogs = "path " + prog + "\\App\\*.log", sysLogs = "path " + sys + "\\*.log";
  ASSERT_TRUE(run.noise.Add(appLogs, {}));
  ASSERT_TRUE(run.noise.Add(sysLogs, {}));
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_EQ(Findings(), (std::vector<std::string>{"---------------", "Program Files: " + prog,
                                                  "--Left out as the system's own changes: 2 entries (" + appLogs + ": 2)",
                                                  "ADDED  : App\\new.dll  1 byte", "---------------",
                                                  "System folder: " + sys,
                                                  "--Left out as the system's own changes: 1 entry (" + sysLogs + ": 1)"}))
      << Report();
  EXPECT_EQ(Actions(), "REMOVEFILE:new.dll>FROM:" + prog + "\\App\r\n");
  EXPECT_FALSE(run.noChangesFound);
  EXPECT_EQ(run.noiseLeftOut.total(), 3u);

  ASSERT_TRUE(DeleteFileA((prog + "\\App\\new.dll").c_str()));
  WriteBytes(run.reportPath, "");
  run.noChangesFound = true;
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_TRUE(run.noChangesFound) << Report();
  EXPECT_EQ(Report().find("ADDED"), std::string::npos) << Report();
}

// A new folder directly in a place that a standard section compares too is reported by
// both, and gets one action.
TEST_F(DeepCompareTest, AnEntryTheStandardSectionFoundGetsOneAction) {
  ASSERT_TRUE(WriteListing(prog, backupDir + "\\prgsdir.tsb"));
  Backup();
  dir.MakeDir("PF\\NewCo");
  WriteBytes(prog + "\\NewCo\\a.dll", "a");
  ASSERT_EQ(CompareOneDirectory(run, prog, backupDir + "\\prgsdir.tsb"), SectionResult::Done);
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_NE(Report().find("ADDED  : NewCo  (DIR)\r\n"), std::string::npos) << Report();
  EXPECT_NE(Report().find("ADDED  : NewCo  (DIR)  1 file, 1 byte\r\n"), std::string::npos) << Report();
  EXPECT_EQ(Actions(), "REMOVEFILE:NewCo  (DIR)>FROM:" + prog + "\r\n");
}

TEST_F(DeepCompareTest, ACancelEndsTheSection) {
  for (int i = 0; i < 10; ++i) WriteBytes(sys + "\\f" + std::to_string(i), "x");
  Backup();
  host.progress.cancelAt = host.progress.checks + 3;
  EXPECT_EQ(CompareDeepPlaces(run), SectionResult::Cancelled);
}

// A deep listing the set's completion record does not name was left by an older
// backup: it is not compared, so a program installed before the current backup is
// never taken for new.
TEST_F(DeepCompareTest, OnlyTheListingsTheSetsRecordNamesAreCompared) {
  Backup();
  WriteBytes(sys + "\\installed-before.dll", "x");
  const std::string listing = DeepListingPath(backupDir, "prog", "tsb");
  WriteBytes(backupDir + "\\complete.tsb", FormatBackupRecord({true, {{"deep_prog.tsb", *FileSize(listing)}}}));
  run.setFiles = BackupSetFiles::Read(backupDir, "tsb");
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_EQ(Findings(), (std::vector<std::string>{
                            "--System folder not compared: the backup holds no deep listing of it.",
                            "--AppData Local not compared: the backup holds no deep listing of it."}));
  EXPECT_EQ(Actions(), "");
}

// What the backup left out of a place stays out at compare time, whatever the left-out
// list is then (another TEMP), and a temporary folder given by its short name is left
// out by its long one: neither is ever an addition with an action.
TEST_F(DeepCompareTest, WhatTheBackupLeftOutAndShortNamesAreNoAdditions) {
  const std::string temp = dir.MakeDir("PF\\Setup Temporary Files");
  scope.leftOut.folders.push_back(temp);
  Backup();
  scope.leftOut.folders.pop_back();
  WriteBytes(temp + "\\setup.tmp", "t");
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  EXPECT_EQ(Findings(), std::vector<std::string>{}) << Report();
  EXPECT_EQ(Actions(), "");

  char shortForm[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameA(temp.c_str(), shortForm, MAX_PATH), 0u);
  ASSERT_NE(std::string(shortForm), temp);
  const std::string tools = dir.MakeDir("My Longer Tools");
  char shortTools[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameA(tools.c_str(), shortTools, MAX_PATH), 0u);
  char oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
  GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
  SetEnvironmentVariableA("TMP", shortForm);
  SetEnvironmentVariableA("TEMP", shortForm);
  const DeepLeftOut leftOut = FindDeepLeftOut(host.state);
  SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
  SetEnvironmentVariableA("TEMP", oldTemp[0] ? oldTemp : nullptr);
  EXPECT_TRUE(IsLeftOut(leftOut, ByLongNames(temp), "Setup Temporary Files")) << LeftOutText(leftOut);
  Set(settings::kOptDir[0], shortTools);
  const std::vector<DeepPlace> places = FindDeepPlaces(settings());
  const auto opt1 = std::find_if(places.begin(), places.end(), [](const DeepPlace& p) { return p.id == "opt1"; });
  ASSERT_NE(opt1, places.end());
  EXPECT_NE(std::string(shortTools), tools);
  EXPECT_EQ(opt1->path, ByLongNames(tools));
}

// A new entry whose path is longer than Uninstall can act on is reported with a note
// saying so, and gets no action line that Uninstall would refuse as edited.
TEST_F(DeepCompareTest, APathBeyondWhatUninstallReachesIsReportedWithoutAnAction) {
  const std::string outer = test::MakeDirNamed(prog, std::wstring(120, L'a'));
  Backup();
  const std::string inner = test::MakeDirNamed(outer, std::wstring(140, L'b'));
  struct LongTree {  // beyond what the test folder's own removal reaches
    std::string folder;
    ~LongTree() {
      DeleteFileW(ToWide(folder + "\\setup.log").c_str());
      RemoveDirectoryW(ToWide(folder).c_str());
    }
  } removed{inner};
  WriteBytes(prog + "\\short.txt", "s");
  test::MakeFileNamed(inner, L"setup.log", "x");
  ASSERT_GT(inner.size(), kLongestActionPath);
  ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
  const std::vector<std::string> findings = Findings();
  ASSERT_EQ(findings.size(), 5u) << Report();
  EXPECT_EQ(findings[2], "ADDED  : " + std::string(120, 'a') + "\\" + std::string(140, 'b') + "  (DIR)  1 file, 1 byte");
  EXPECT_EQ(findings[3], kLongPathNote);
  EXPECT_EQ(findings[4], "ADDED  : short.txt  1 byte");
  EXPECT_EQ(Actions(), "REMOVEFILE:short.txt>FROM:" + prog + "\r\n");
}

// The backup writes one deep listing per listed place into its set, recorded with the
// set; a backup with deep tracking off writes none and leaves none of an older one.
TEST_F(DeepCompareTest, TheBackupSetHoldsTheDeepListingsOnlyWhileDeepTrackingIsOn) {
  host.state.WindowsDirectory = dir.MakeDir("WIN");
  WriteBytes(prog + "\\p.txt", "p");
  auto stub = [](EngineHost&, RunMode, const std::string&) { return true; };
  ASSERT_EQ(RunBackup(host, RunMode::Interactive, nullptr, stub), BackupOutcome::Completed);
  EXPECT_TRUE(host.prompter.boxes.empty());
  const std::vector<std::string> details = host.progress.Details();
  EXPECT_EQ(std::vector<std::string>(details.end() - 3, details.end()),
            (std::vector<std::string>{"Deep: Program Files", "Deep: System folder", "Deep: AppData Local"}));
  for (const char* id : {"prog", "system", "local"}) EXPECT_TRUE(FileExists(DeepListingPath(backupDir, id, "tsb"))) << id;
  EXPECT_FALSE(FileExists(DeepListingPath(backupDir, "common", "tsb")));  // listed with Program Files
  EXPECT_NE(ReadBytes(backupDir + "\\complete.tsb").find("deep_prog.tsb,"), std::string::npos);
  const std::string listing = ReadBytes(DeepListingPath(backupDir, "prog", "tsb"));
  EXPECT_EQ(listing.rfind("TESSARY DEEP LISTING 1\r\nPLACE\t" + prog + "\r\nLEFT OUT\t" + prog + "\\Temp\r\n\r\np.txt\t1\t", 0), 0u)
      << listing;

  Set(settings::kDeepTracking, "no");
  ASSERT_EQ(RunBackup(host, RunMode::Interactive, nullptr, stub), BackupOutcome::Completed);
  for (const char* id : {"prog", "system", "local"}) EXPECT_FALSE(FileExists(DeepListingPath(backupDir, id, "tsb"))) << id;
  EXPECT_EQ(ReadBytes(backupDir + "\\complete.tsb").find("deep_"), std::string::npos);
  EXPECT_EQ(host.progress.Details().back(), "Root Directories");

  // A command line's --deep switches it on for its process alone.
  host.state.DeepTrackingForced = true;
  ASSERT_EQ(RunBackup(host, RunMode::Interactive, nullptr, stub), BackupOutcome::Completed);
  EXPECT_TRUE(FileExists(DeepListingPath(backupDir, "prog", "tsb")));
  EXPECT_EQ(settings().Read(settings::kDeepTracking), "no");
}

// A place that a setup program makes (the Windows folder's package cache on a machine
// that never ran a package) is listed while it is absent; what appears in it later is
// found, and undone by the standard section's removal of the new folder when there is one,
// else entry by entry.
TEST_F(DeepCompareTest, APlaceMadeAfterTheBackupGoesWithItsFoldersOneAction) {
  const std::string win = dir.MakeDir("WIN");
  const std::string cache = win + "\\Installer";
  scope.places = FoldPlaces({{"installer", "Windows Installer cache", cache, ""}});
  struct Case {
    bool existed;             // the folder was there at the backup
    bool standardAction;      // a standard section wrote the removal of the folder
    std::vector<std::string> actions;
  };
  const std::string folderAction = "REMOVEFILE:Installer  (DIR)>FROM:" + win;
  const std::string entryAction = "REMOVEFILE:1ef.msi>FROM:" + cache;
  for (const Case& c : {Case{false, true, {folderAction}}, Case{true, false, {entryAction}},
                        Case{false, false, {entryAction}}}) {
    SCOPED_TRACE(std::to_string(c.existed) + std::to_string(c.standardAction));
    test::RemoveTree(cache);
    if (c.existed) dir.MakeDir("WIN\\Installer");
    WriteBytes(run.reportPath, "");
    WriteBytes(run.actionPath, "");
    run.actionsWritten.clear();
    Backup();
    const std::string listing = ReadBytes(DeepListingPath(backupDir, "installer", "tsb"));
    EXPECT_NE(listing.find("\r\nEND\t0\r\n"), std::string::npos) << listing;
    dir.MakeDir("WIN\\Installer");
    WriteBytes(cache + "\\1ef.msi", "package");
    if (c.standardAction) SectionOutput(run).Action(folderAction);
    ASSERT_EQ(CompareDeepPlaces(run), SectionResult::Done);
    const std::vector<std::string> findings = Findings();
    ASSERT_EQ(findings.size(), 3u) << Report();
    EXPECT_EQ(findings[2], "ADDED  : 1ef.msi  7 bytes");
    EXPECT_EQ(Lines(Actions()), c.actions);
  }
}

}  // namespace
}  // namespace tessary
