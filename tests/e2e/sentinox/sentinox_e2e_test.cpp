// A tracked installation by Sentinox passes, as the companion runs them: sentinox.exe
// writes the start request and starts tessary.exe, which takes the baseline; a real
// installer runs; a second start request makes tessary.exe compare against that
// baseline and write a date-named .SNC report with its uninstall actions. Then every
// action is carried out and the machine is checked against what it was before.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "core/startup.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "compare/logic/install_summary.h"
#include "compare/logic/value_compare.h"
#include "platform/registry.h"
#include "platform/registry_values.h"
#include "snapshot/registry_export.h"
#include "platform/shell.h"
#include "platform/text_lines.h"
#include "testbed.h"
#include "../installers/installed_by_tests.h"
#include "window_probe.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_run.h"

namespace tessary {
namespace {

// Everything the installer touches outside the files Tessary keeps, so that the
// prefix is as it was whatever the test finds.
using namespace installed;

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

std::string Lower(std::string text) { return ToLowerAscii(text); }

// The paths of every file and folder below `root`, lower case, root first.
void ListTree(const std::string& root, std::vector<std::string>& out) {
  out.push_back(Lower(root));
  DirSearch search(root + "\\*");
  FindEntry entry;
  while (search.Next(entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListTree(root + "\\" + entry.name, out);
    } else {
      out.push_back(Lower(root + "\\" + entry.name));
    }
  }
}

class SentinoxE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windows = WindowsDirectory();
    systemExisted_ = DirectoryExists(windows + "\\system");
    ini = SettingsPathFor(windows);
    // Everything this test or the uninstall writes outside its own folder is put back
    // as found: the settings, the boot and INI files and the INI files' safety copies.
    Keep(ini);
    for (const char* f : kBootFiles) Keep(f);
    for (const char* f : kIniFiles) Keep(windows + "\\" + f);
    for (const char* f : {"win.uib", "system.uib", "protocol.uib"}) Keep(windows + "\\" + f);
    RemoveInstallation();

    // The program and its companion side by side, as the installer lays them out.
    program = dir.MakeDir("TESSARY");
    ASSERT_TRUE(CopyFileA(test::BuildPath(TESSARY_EXE).c_str(), (program + "\\tessary.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(test::BuildPath(SENTINOX_EXE).c_str(), (program + "\\sentinox.exe").c_str(), FALSE));
    backup = dir.MakeDir("BACKUP");

    // Entries the installer changes and deletes.
    EXPECT_TRUE(ProfileWrite(windows + "\\win.ini", "TessaryE2E", "Mode", "old"));
    EXPECT_TRUE(ProfileWrite(windows + "\\win.ini", "TessaryE2E", "Obsolete", "1"));
    ProfileFlush(windows + "\\win.ini");
    // Compare skips a file whose date and time (to two seconds) are those of its backup
    // copy: the files the installer changes were last written well before the pass.
    for (const char* f : kBootFiles) test::SetLastWrite(f, 2020, 1, 2, 3, 4, 6);
    for (const char* f : kIniFiles) test::SetLastWrite(windows + "\\" + f, 2020, 1, 2, 3, 4, 6);

    test::WriteBytes(ini, "");
    EXPECT_TRUE(ProfileWrite(ini, "tessary", "Directory", backup));
    EXPECT_TRUE(ProfileWrite(ini, "tessary", "FirstRun", "no"));
    EXPECT_TRUE(ProfileWrite(ini, "sentinox", "AutoOpenSNC", "no"));
    EXPECT_TRUE(ProfileWrite(ini, "sentinox", "KeepLastSNC", "no"));
    EXPECT_TRUE(ProfileWrite(ini, "registry", "CompSentinox", "no"));  // registry snapshots in Sentinox passes too
    for (const char* branch : {"Curuser", "CLocmach", "CSoftware", "CClasses", "CClsid"})
      EXPECT_TRUE(ProfileWrite(ini, "registry", branch, "yes"));
    ProfileFlush(ini);
  }

  void TearDown() override {
    RemoveInstallation();
    for (const auto& [path, bytes] : saved) {
      if (bytes) {
        test::WriteBytes(path, *bytes);
      } else {
        DeleteFileA(path.c_str());
      }
    }
    for (const char* f : kIniFiles) ProfileFlush(windows + "\\" + f);
    ProfileFlush(ini);
  }

  void Keep(const std::string& path) {
    saved[path] = FileExists(path) ? std::optional<std::string>(test::ReadBytes(path)) : std::nullopt;
  }

  // Removes whatever of the installation is still there.
  void RemoveInstallation() {
    test::RemoveTree("C:\\Program Files\\NewVendor");
    for (const char* f : {"newapp.ini", "system\\newapp.drv", "fonts\\newapp.fon"}) DeleteFileA((windows + "\\" + f).c_str());
    DeleteFileA((Desktop() + "\\NewApp.lnk").c_str());
    test::RemoveTree(Programs() + "\\NewApp");
    for (const char* f : {"system\\sharelib.dll", "system32\\sharelib64.dll"}) DeleteFileA((windows + "\\" + f).c_str());
    if (!systemExisted_) RemoveDirectoryA((windows + "\\system").c_str());
    for (const RegPlace& place : kInstalledKeys) RegDeleteTreeA(place.root, place.path);
    EXPECT_TRUE(ProfileDeleteSection(windows + "\\win.ini", "TessaryE2E"));
    EXPECT_TRUE(ProfileDeleteSection(windows + "\\win.ini", "NewApp"));
    ProfileFlush(windows + "\\win.ini");
  }

  static std::string ShellFolder(const char* name) {
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    std::string value;
    if (!key || !key.QueryString(name, value, MAX_PATH + 1)) return {};
    return value;
  }
  static std::string Desktop() { return ShellFolder("Desktop"); }
  static std::string Programs() { return ShellFolder("Programs"); }

  // One pass as the companion starts it; returns when tessary.exe has quit.
  void SentinoxPass() {
    ChildProcess companion;
    ASSERT_TRUE(companion.Start("\"" + program + "\\sentinox.exe\"", SW_SHOWMINNOACTIVE));
    HWND window = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return (window = FindWindowA("Sentinox", "Sentinox")) != nullptr; }, 20000));
    Sleep(300);  // tessary.exe is on its way once the companion's window is up
    bool ended = test::WaitFor([] { return !test::ProcessRunning("tessary.exe"); }, 120000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(companion.handle(), 10000);
    ASSERT_TRUE(ended) << "the Sentinox pass did not end by itself";
    EXPECT_EQ(ProfileRead(ini, "sentinox", "RunBackup", "<absent>", 16), "<absent>");
  }

  static void Install(const char* setup) {
    ChildProcess installer;
    ASSERT_TRUE(installer.Start("\"" + test::BuildPath(setup) + "\" /S", SW_HIDE));
    ASSERT_EQ(WaitForSingleObject(installer.handle(), 60000), WAIT_OBJECT_0);
  }

  // Every file and folder of the places the installers write to, sorted.
  std::vector<std::string> Tree() const {
    std::vector<std::string> tree;
    ListTree("C:\\Program Files", tree);
    ListTree(windows, tree);
    std::sort(tree.begin(), tree.end());
    return tree;
  }

  // A baseline pass, the installer, a second pass: the path of the report the second
  // pass wrote (empty on failure), after checking its name and its record in the settings.
  std::string TrackedInstall(const char* setup) {
    SentinoxPass();
    for (const char* base : {"autoexec", "config", "win", "system", "protocol", "windir", "curuser", "software"})
      EXPECT_TRUE(FileExists(backup + "\\" + base + ".snb")) << base << ".snb: the first pass takes the baseline";
    const std::vector<std::string> first = Reports();
    treeBefore = Tree();
    if (beforeInstall) beforeInstall();
    Install(setup);
    SentinoxPass();
    std::vector<std::string> fresh;
    for (const auto& name : Reports())
      if (!Contains(first, name)) fresh.push_back(name);
    if (fresh.size() != 1u) {
      ADD_FAILURE() << "the second pass should write one new report";
      return {};
    }
    const std::string reportPath = backup + "\\" + fresh[0];
    EXPECT_TRUE(EqualsNoCase(ProfileRead(ini, "sentinox", "LastSNCPath", "", 250), reportPath));
    // The name is the date and time of the pass: digits only, with "_" and a number
    // after them when a report of that minute was there already.
    const std::string stem = fresh[0].substr(0, fresh[0].find('.'));
    const std::string date = stem.substr(0, stem.find('_'));
    const std::string suffix = date.size() < stem.size() ? stem.substr(date.size() + 1) : "0";
    auto digits = [](const std::string& s) {
      return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    EXPECT_TRUE(digits(date) && digits(suffix)) << stem;
    if (std::getenv("TESSARY_E2E_PRINT"))
      std::cout << "---- The report of the second pass: " << reportPath << "\n"
                << test::ReadBytes(reportPath) << "\n---- Its uninstall actions: " << ActionFilePathFor(reportPath)
                << "\n"
                << test::ReadBytes(ActionFilePathFor(reportPath)) << std::flush;
    return reportPath;
  }

  // Every action of the report selected, in the list's (sorted) order, as the Uninstall
  // Actions dialog passes them on; `answers` are the message boxes' answers in order.
  RunOutcome UninstallAll(const std::string& reportPath, std::initializer_list<int> answers, bool dllCheck,
                          std::vector<std::string>& dllsAsked) {
    const std::string actions = test::ReadBytes(ActionFilePathFor(reportPath));
    const std::vector<std::string> actionLines = SplitActionLines(actions);
    for (const std::string& line : actionLines)
      EXPECT_NE(ClassifyAction(line), ActionKind::None) << "not an action line: " << line;
    host.state.BackupDirectory = backup;
    host.state.WindowsDirectory = windows;
    host.state.SettingsFilePath = ini;
    SYSTEMTIME now;
    GetLocalTime(&now);
    host.clock.now = LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wDayOfWeek};
    std::vector<std::pair<std::string, std::string>> listed;  // upper-cased entry, line as written
    const std::vector<std::string> written = Lines(actions);
    EXPECT_EQ(written.size(), actionLines.size());
    for (std::size_t i = 0; i < written.size() && i < actionLines.size(); ++i)
      listed.emplace_back(actionLines[i], written[i]);
    std::sort(listed.begin(), listed.end(),
              [](const auto& a, const auto& b) { return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0; });
    UninstallSelection selection;
    selection.actionFile = ActionFilePathFor(reportPath);
    for (const auto& [entry, original] : listed) {
      selection.entries.push_back(entry);
      selection.originals.push_back(original);
      if (entry.find("REMOVEFILE") != std::string::npos && entry.find(".DLL") != std::string::npos)
        selection.dllLinesPresent = true;
    }
    selection.selected.assign(selection.entries.size(), true);
    selection.verifyBox = false;
    selection.dllCheckBox = dllCheck;
    UninstallEnvironment env = DefaultUninstallEnvironment(host, [&](const std::string& dll) {
      dllsAsked.push_back(dll);
      return id::kYes;
    });
    for (int answer : answers) host.prompter.Answer(answer);
    RunOutcome outcome = RunUninstall(host, selection, env).outcome;
    if (std::getenv("TESSARY_E2E_PRINT"))
      std::cout << "---- The uninstall log after every action was carried out\n" << Log(reportPath) << std::flush;
    return outcome;
  }

  static std::string Log(const std::string& reportPath) {
    return test::ReadBytes(reportPath.substr(0, reportPath.size() - 3) + "LOG");
  }

  // What differs from the tree before the installation, the INI safety copies (.uib),
  // which stay by design, left out.
  void ExpectTreeAsBefore() const {
    const std::vector<std::string> treeAfter = Tree();
    std::vector<std::string> added, removed;
    std::set_difference(treeAfter.begin(), treeAfter.end(), treeBefore.begin(), treeBefore.end(),
                        std::back_inserter(added));
    std::set_difference(treeBefore.begin(), treeBefore.end(), treeAfter.begin(), treeAfter.end(),
                        std::back_inserter(removed));
    added.erase(std::remove_if(added.begin(), added.end(),
                               [](const std::string& p) { return p.size() > 4 && p.compare(p.size() - 4, 4, ".uib") == 0; }),
                added.end());
    EXPECT_TRUE(added.empty()) << "left behind: " << testing::PrintToString(added);
    EXPECT_TRUE(removed.empty()) << "removed although not installed: " << testing::PrintToString(removed);
  }

  std::vector<std::string> Reports() {
    std::vector<std::string> names;
    DirSearch search(backup + "\\*.SNC");
    FindEntry entry;
    while (search.Next(entry)) names.push_back(entry.name);
    return names;
  }

  test::TempDir dir;
  test::FakeHost host;
  bool systemExisted_ = true;  // Wine has no System folder beside system32
  std::string windows, ini, program, backup;
  std::vector<std::string> treeBefore;
  std::map<std::string, std::optional<std::string>> saved;
  std::function<void()> beforeInstall;  // runs between the baseline pass and the installer
};

TEST_F(SentinoxE2eTest, NewAppIsReportedByTheNextPassAndItsActionsUndoIt) {
  const std::string reportPath = TrackedInstall(NEWAPP_SETUP);
  ASSERT_FALSE(reportPath.empty());
  const std::string report = test::ReadBytes(reportPath);
  const std::string upperReport = ToUpperAscii(report);
  // Boot files, reported and never undone.
  EXPECT_NE(upperReport.find("SET NEWAPP=C:\\NEWAPP"), std::string::npos) << report;
  EXPECT_NE(upperReport.find("DEVICE=C:\\NEWAPP\\NEWAPP.SYS"), std::string::npos) << report;
  // INI entries added, changed and deleted.
  for (const char* text : {"[NEWAPP]", "PATH=C:\\NEWAPP", "[TESSARYE2E]", "MODE=NEW", "OBSOLETE=1", "DEVICE=NEWAPP.386",
                           "[NEWNET]", "DRIVER=NEWNET.SYS"})
    EXPECT_NE(upperReport.find(text), std::string::npos) << text << "\n" << report;
  // Registry keys added in the tracked branches.
  for (const char* key : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor", "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\\NewApp",
                          "HKEY_CURRENT_USER\\Software\\NewVendor\\NewApp", "HKEY_CLASSES_ROOT\\.nwa",
                          "HKEY_CLASSES_ROOT\\NewApp.Document\\shell\\open\\command"})
    EXPECT_NE(report.find(key), std::string::npos) << key << "\n" << report;
  EXPECT_NE(upperReport.find("{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}"), std::string::npos) << report;
  // Files added to the tracked folders.
  for (const char* name : {"NEWAPP.INI", "NEWVENDOR", "NEWAPP.LNK"})
    EXPECT_NE(upperReport.find(name), std::string::npos) << name << "\n" << report;
  // The test's own folders changed during the passes, but they are not tracked.
  EXPECT_EQ(upperReport.find("TESSARY-TESTS", upperReport.find("=====")), std::string::npos) << report;

  std::vector<std::string> dllsAsked;
  EXPECT_EQ(UninstallAll(reportPath,
                         {id::kYes,    // carry out all without verifying
                          id::kYes,    // remove the Start-menu folder with its contents
                          id::kYes,    // and the Program Files folder
                          id::kNo},    // do not show the log
                         false, dllsAsked),
            RunOutcome::CloseOk);

  // Undone: INI entries back as they were, registry keys and added files gone.
  EXPECT_EQ(ProfileRead(windows + "\\win.ini", "TessaryE2E", "Mode", "", 64), "old");
  EXPECT_EQ(ProfileRead(windows + "\\win.ini", "TessaryE2E", "Obsolete", "", 64), "1");
  EXPECT_EQ(ProfileRead(windows + "\\win.ini", "NewApp", "Path", "<absent>", 64), "<absent>");
  EXPECT_EQ(ProfileRead(windows + "\\protocol.ini", "NewNet", "Driver", "<absent>", 64), "<absent>");
  EXPECT_EQ(Lower(test::ReadBytes(windows + "\\system.ini")).find("newapp.386"), std::string::npos);
  for (const RegPlace& place : kInstalledKeys)
    EXPECT_FALSE(KeyExists(place.root, place.path)) << place.path << " is still there";
  ExpectTreeAsBefore();
  // Boot-file lines are reported, not undone.
  EXPECT_NE(ToUpperAscii(test::ReadBytes("C:\\autoexec.bat")).find("SET NEWAPP"), std::string::npos);

  const std::string log = Log(reportPath);
  EXPECT_NE(log.find("UNINSTALL LOG FOR:"), std::string::npos) << log;
  EXPECT_EQ(log.find("NOT DONE"), std::string::npos) << log;
  for (const char* name : {"NEWAPP.INI", "NEWVENDOR", "NEWAPP.LNK"})
    EXPECT_NE(ToUpperAscii(log).find(name), std::string::npos) << name << "\n" << log;
}

TEST_F(SentinoxE2eTest, SharedDllIsReportedByTheNextPassAndItsDllGoesAfterTheDependencyCheck) {
  const std::string system = windows + "\\system";
  const bool systemExisted = DirectoryExists(system);
  const std::string reportPath = TrackedInstall(SHAREDDLL_SETUP);
  ASSERT_FALSE(reportPath.empty());
  ASSERT_TRUE(FileExists(system + "\\sharelib.dll")) << "the installer did not run";
  const std::string report = test::ReadBytes(reportPath);
  const std::string upperReport = ToUpperAscii(report);
  // The changed PATH line shows in the boot-file section; the DLL, the key and (where
  // the System folder is new) the folder itself are reported; system32 is not tracked.
  EXPECT_NE(upperReport.find(";C:\\SHARELIB"), std::string::npos) << report;
  EXPECT_NE(upperReport.find("ADDED  : SHARELIB.DLL"), std::string::npos) << report;
  EXPECT_NE(report.find("HKEY_LOCAL_MACHINE\\SOFTWARE\\SharedVendor\\ShareLib"), std::string::npos) << report;
  EXPECT_EQ(upperReport.find("SHARELIB64"), std::string::npos) << report;
  EXPECT_EQ(upperReport.find("ADDED  : SYSTEM  (DIR)") != std::string::npos, !systemExisted) << report;

  std::vector<std::string> dllsAsked;
  std::initializer_list<int> withFolder{id::kYes, id::kYes, id::kNo};  // all; the System folder; no log
  std::initializer_list<int> withoutFolder{id::kYes, id::kNo};
  EXPECT_EQ(UninstallAll(reportPath, systemExisted ? withoutFolder : withFolder, true, dllsAsked),
            RunOutcome::CloseOk);
  // The check is on and verify is off: the scan finds no program that imports the DLL,
  // so there is nothing to decide and the DLL Dependencies dialog does not ask.
  EXPECT_TRUE(dllsAsked.empty()) << testing::PrintToString(dllsAsked);
  EXPECT_FALSE(FileExists(system + "\\sharelib.dll"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\SharedVendor\\ShareLib"));
  DeleteFileA((windows + "\\system32\\sharelib64.dll").c_str());  // not tracked, so not undone
  ExpectTreeAsBefore();
  EXPECT_NE(ToUpperAscii(test::ReadBytes("C:\\autoexec.bat")).find(";C:\\SHARELIB"), std::string::npos);
  const std::string log = Log(reportPath);
  EXPECT_EQ(log.find("NOT DONE"), std::string::npos) << log;
  EXPECT_NE(ToUpperAscii(log).find("DONE:REMOVEFILE:SHARELIB.DLL>FROM:"), std::string::npos) << log;
}

// ---- Registry values ----

// A value the test seeds and puts back as it found it.
struct ValuePlace {
  HKEY root;
  const char* key;
  const char16_t* name;
};
const ValuePlace kSeededValues[] = {{HKEY_CLASSES_ROOT, ".txt", u""},
                                    {HKEY_CLASSES_ROOT, ".txt", u"PerceivedType"},
                                    {HKEY_CURRENT_USER, "Environment", u"PATH"}};
const char* const kSettingsKey = "Software\\TessaryValuesE2E";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kAppPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\valuesapp.exe";
const char* const kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\ValuesAppSvc";

std::string Sz(std::u16string_view text) { return test::Utf16Bytes(std::u16string(text) + u'\0'); }

class SentinoxValuesE2eTest : public SentinoxE2eTest {
 protected:
  void SetUp() override {
    SentinoxE2eTest::SetUp();
    // Values on; the local-machine branch off, so that the services are recorded as a
    // branch of their own; CLSID, which the installer does not touch, off to save time.
    EXPECT_TRUE(ProfileWrite(ini, "registry", "RecordValues", "yes"));
    EXPECT_TRUE(ProfileWrite(ini, "registry", "CLocmach", "no"));
    EXPECT_TRUE(ProfileWrite(ini, "registry", "CClsid", "no"));
    ProfileFlush(ini);
    RemoveValuesInstallation();
    for (const ValuePlace& place : kSeededValues) {
      RegKey key = RegKey::CreateForWriting(place.root, place.key);
      ASSERT_TRUE(key) << place.key;
      found_.push_back(test::ReadRawValue(key.get(), place.name));
    }
    ASSERT_TRUE(RegKey::CreateForWriting(HKEY_CLASSES_ROOT, ".txt").SetValue(u"", regtype::kSz, Sz(u"txtfile")));
    ASSERT_TRUE(RegKey::CreateForWriting(HKEY_CURRENT_USER, "Environment")
                    .SetValue(u"PATH", regtype::kExpandSz, Sz(u"%USERPROFILE%\\bin;C:\\Tools")));
    const RegKey settingsKey = RegKey::CreateForWriting(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(settingsKey.SetValue(u"Mode", regtype::kSz, Sz(u"old")));
    ASSERT_TRUE(settingsKey.SetValue(u"Level", regtype::kDword, std::string("\x02\0\0\0", 4)));
    ASSERT_TRUE(settingsKey.SetValue(u"Obsolete", regtype::kSz, Sz(u"1")));
  }

  void TearDown() override {
    RemoveValuesInstallation();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    for (std::size_t i = 0; i < found_.size(); ++i) {
      const ValuePlace& place = kSeededValues[i];
      RegKey key = RegKey::CreateForWriting(place.root, place.key);
      if (found_[i]) {
        EXPECT_TRUE(key.SetValue(place.name, found_[i]->type, found_[i]->data)) << "put back";
      } else {
        static_cast<void>(key.DeleteValue(place.name));  // none, unless the test made it
      }
    }
    SentinoxE2eTest::TearDown();
  }

  static void RemoveValuesInstallation() {
    static_cast<void>(RegKey::CreateForWriting(HKEY_CURRENT_USER, kRunKey).DeleteValue(u"ValuesApp"));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAppPathKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kServiceKey);
  }

  // The keys and values of the branches the pass tracks, as the snapshot walk reads them.
  struct Dump {
    std::vector<std::string> keys;  // "<branch>|<path>", sorted
    std::string values[5];
  };
  Dump TakeDump(const std::string& name) {
    const RegistryBranch* branches[] = {&kRegistryBranches[0], &kRegistryBranches[2], &kRegistryBranches[3],
                                        &kValuesBranches[0], &kValuesBranches[1]};
    Dump dump;
    test::ScriptedProgressFactory progresses;
    auto progress = progresses.Open("dump", ProgressCancel::Hidden);
    for (std::size_t i = 0; i < std::size(branches); ++i) {
      const std::string keys = dir / (name + branches[i]->fileBase + ".txt");
      const std::string values = dir / (name + branches[i]->fileBase + "_val.txt");
      EXPECT_TRUE(WriteBranchFile(*branches[i], keys, *progress, nullptr, values));
      for (const std::string& line : Lines(test::ReadBytes(keys)))
        dump.keys.push_back(std::string(branches[i]->fileBase) + "|" + line);
      dump.values[i] = test::ReadBytes(values);
    }
    std::sort(dump.keys.begin(), dump.keys.end());
    return dump;
  }

  std::vector<std::optional<test::RawValue>> found_;
};

TEST_F(SentinoxValuesE2eTest, ValuesAreReportedAndUninstallPutsTheRegistryBackValueForValue) {
  Dump before;
  beforeInstall = [&] { before = TakeDump("before-"); };
  const std::string reportPath = TrackedInstall(VALUESAPP_SETUP);
  ASSERT_FALSE(reportPath.empty());
  ASSERT_TRUE(RegKey::OpenForValues(HKEY_LOCAL_MACHINE, kServiceKey)) << "the installer did not run";
  const std::string report = test::ReadBytes(reportPath);
  // Keys added: the App Paths entry and the service, as key lines with key actions.
  for (const char* key : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\valuesapp.exe\r\n",
                          "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\ValuesAppSvc\r\n"})
    EXPECT_NE(report.find(key), std::string::npos) << key << "\n" << report;
  // Values, after the keys: added, changed and deleted.
  const std::size_t values = report.find("Registry values ADDED:");
  ASSERT_NE(values, std::string::npos) << report;
  EXPECT_GT(values, report.find("Registry keys ADDED:"));
  for (const char* line : {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run \"ValuesApp\" = REG_SZ",
                           "HKEY_CURRENT_USER\\Software\\TessaryValuesE2E \"Blob\" = REG_BINARY, 6 bytes: 00 FF 0D 0A 3E 09",
                           "HKEY_CURRENT_USER\\Software\\TessaryValuesE2E \"List\" = REG_MULTI_SZ, 18 bytes: \"one\", \"two\"",
                           "HKEY_CLASSES_ROOT\\.txt (Default)\r\nFROM:  REG_SZ, 16 bytes: \"txtfile\"\r\n"
                           "TO:    REG_SZ, 30 bytes: \"ValuesApp.Text\"",
                           "HKEY_CURRENT_USER\\Environment \"PATH\"\r\nFROM:  REG_EXPAND_SZ",
                           "HKEY_CURRENT_USER\\Software\\TessaryValuesE2E \"Level\"\r\nFROM:  REG_DWORD, 4 bytes: 0x00000002 (2)\r\n"
                           "TO:    REG_DWORD, 4 bytes: 0x00000007 (7)",
                           "HKEY_CURRENT_USER\\Software\\TessaryValuesE2E \"Obsolete\" = REG_SZ, 4 bytes: \"1\""})
    EXPECT_NE(report.find(line, values), std::string::npos) << line << "\n" << report;
  // The added keys' own values are covered by their key lines.
  EXPECT_EQ(report.find("ImagePath", values), std::string::npos) << report;

  // The summary before the sections: one item of each category the installer touched,
  // the sensitive ones flagged, each with the lines that undo it.
  const auto summary = ReadSummaryBlock(report);
  ASSERT_TRUE(summary) << report;
  struct Expected {
    SummaryCategory category;
    const char* words;
    bool secondLook;
  };
  const Expected expected[] = {
      {SummaryCategory::Autostart, "\"ValuesApp\" runs \"C:\\Program Files\\ValuesVendor\\ValuesApp\\valuesapp.exe\" /tray (Run, this user)", true},
      {SummaryCategory::Services, "adds service \"ValuesAppSvc\": C:\\Program Files\\ValuesVendor\\ValuesApp\\valuessvc.exe, starts on demand, own process", true},
      {SummaryCategory::FileTypes, "takes over .txt from txtfile (now ValuesApp.Text)", true},
      {SummaryCategory::Environment, "adds C:\\Program Files\\ValuesVendor\\ValuesApp to PATH (this user), last", false},
      {SummaryCategory::AppPaths, "adds the App Path valuesapp.exe to C:\\Program Files\\ValuesVendor\\ValuesApp\\valuesapp.exe", false},
  };
  for (const Expected& e : expected) {
    const auto item = std::find_if(summary->begin(), summary->end(), [&](const SummaryItem& i) {
      return i.category == e.category && i.words == e.words;
    });
    ASSERT_NE(item, summary->end()) << e.words << "\n" << report.substr(0, values);
    EXPECT_EQ(item->secondLook, e.secondLook) << e.words;
    EXPECT_FALSE(item->actions.empty()) << e.words;
    for (const std::string& action : item->actions)
      EXPECT_NE(ToUpperAscii(test::ReadBytes(ActionFilePathFor(reportPath))).find(ToUpperAscii(action)), std::string::npos)
          << action;
  }
  EXPECT_EQ(report.find("valuesapp.exe \"Path\"", values), std::string::npos) << report;

  std::vector<std::string> dllsAsked;
  // Wine shares App Paths with its 32-bit view: the key is listed under both names, and
  // the second removal finds it gone, which is done ("Already removed"), not an error.
  const bool twin = report.find("Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\valuesapp.exe\r\n") !=
                    std::string::npos;
  EXPECT_EQ(UninstallAll(reportPath, {id::kYes, id::kNo}, false, dllsAsked), RunOutcome::CloseOk);
  const std::string log = Log(reportPath);
  EXPECT_EQ(log.find("NOT DONE"), std::string::npos) << log;
  EXPECT_EQ(log.find("DONE(Already removed):REG_DAT_REMOVE:") != std::string::npos, twin) << log;
  for (const char* done : {"DONE:REG_VALUE_RESTORE:HKEY_CURRENT_USER\\Environment \"PATH\" = REG_EXPAND_SZ",
                           "DONE:REG_VALUE_RESTORE:HKEY_CLASSES_ROOT\\.txt (Default) = REG_SZ, 16 bytes: \"txtfile\"",
                           "DONE:REG_VALUE_RESTORE:HKEY_CURRENT_USER\\Software\\TessaryValuesE2E \"Obsolete\"",
                           "DONE:REG_VALUE_REMOVE:HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run \"ValuesApp\"",
                           "DONE:REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VALUESAPPSVC>"})
    EXPECT_NE(log.find(done), std::string::npos) << done << "\n" << log;

  RegValue now;
  EXPECT_FALSE(RegKey::OpenForValues(HKEY_CURRENT_USER, kRunKey).QueryValue(u"ValuesApp", now));
  EXPECT_FALSE(RegKey::OpenForValues(HKEY_LOCAL_MACHINE, kAppPathKey));
  EXPECT_FALSE(RegKey::OpenForValues(HKEY_LOCAL_MACHINE, kServiceKey));
  ASSERT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, "Environment").QueryValue(u"PATH", now));
  EXPECT_EQ(now.type(), regtype::kExpandSz);
  EXPECT_EQ(now.data(), Sz(u"%USERPROFILE%\\bin;C:\\Tools"));
  ASSERT_TRUE(RegKey::OpenForValues(HKEY_CLASSES_ROOT, ".txt").QueryValue(u"", now));
  EXPECT_EQ(now.data(), Sz(u"txtfile"));

  // Value for value, the tracked registry is what it was before the installer ran.
  const Dump after = TakeDump("after-");
  std::vector<std::string> added, removed;
  std::set_difference(after.keys.begin(), after.keys.end(), before.keys.begin(), before.keys.end(),
                      std::back_inserter(added));
  std::set_difference(before.keys.begin(), before.keys.end(), after.keys.begin(), after.keys.end(),
                      std::back_inserter(removed));
  EXPECT_TRUE(added.empty()) << "keys left behind: " << testing::PrintToString(added);
  EXPECT_TRUE(removed.empty()) << "keys lost: " << testing::PrintToString(removed);
  for (std::size_t i = 0; i < std::size(after.values); ++i) {
    const auto changes = CompareValueSnapshots(after.values[i], before.values[i]);
    ASSERT_TRUE(changes) << i;
    auto shown = [](const std::vector<ValueChange>& list) {
      std::vector<std::string> out;
      for (const ValueChange& c : list)
        out.push_back(std::string(c.keyPath) + " " + std::string(c.name) + " " + std::string(c.type) + " " +
                      std::string(c.data));
      return out;
    };
    EXPECT_TRUE(changes->added.empty()) << testing::PrintToString(shown(changes->added));
    EXPECT_TRUE(changes->changed.empty()) << testing::PrintToString(shown(changes->changed));
    EXPECT_TRUE(changes->deleted.empty()) << testing::PrintToString(shown(changes->deleted));
  }
}

}  // namespace
}  // namespace tessary
