// The install summary: the place table against findings of each kind (one case a
// category and kind), the grouping of findings into items, what undoes an item or why
// nothing can, and the report's block written and read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/logic/install_summary.h"

namespace tessary {
namespace {

using K = FindingKind;
using C = SummaryCategory;

const KnownFolders kFolders = {
    "C:\\windows", "C:\\windows\\system32", "C:\\windows\\syswow64",
    "C:\\users\\me\\Start Menu", "C:\\ProgramData\\Start Menu",
    "C:\\users\\me\\Start Menu\\Programs\\Startup", "C:\\ProgramData\\Start Menu\\Programs\\Startup",
    "C:\\users\\me\\Desktop", "C:\\users\\Public\\Desktop"};

InstallFinding Value(K kind, std::string key, std::string name, std::string data, std::string old = "",
                     std::string action = "ACT") {
  InstallFinding f;
  f.kind = kind;
  f.path = std::move(key);
  f.name = std::move(name);
  f.data = std::move(data);
  f.oldData = std::move(old);
  f.action = std::move(action);
  return f;
}
InstallFinding Key(std::string key) { return Value(K::KeyAdded, std::move(key), "", "", "", "REG_DAT_REMOVE:K"); }
InstallFinding Entry(K kind, std::string path, bool folder = false, std::string action = "REMOVEFILE:E") {
  InstallFinding f;
  f.kind = kind;
  f.path = std::move(path);
  f.folder = folder;
  f.action = std::move(action);
  return f;
}

struct Case {
  const char* label;
  std::vector<InstallFinding> findings;
  C category;
  const char* words;
  bool secondLook;
};

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSvc = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Foo";
const std::string kSysEnv = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

TEST(InstallSummary, EachPlaceOfTheTableGivesItsCategoryAndWords) {
  const std::vector<Case> cases = {
      {"Run value, this user", {Value(K::ValueAdded, kRun, "Foo", "C:\\foo.exe")}, C::Autostart,
       "\"Foo\" runs C:\\foo.exe (Run, this user)", true},
      {"RunOnce in the 32-bit view",
       {Value(K::ValueChanged, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
              "Up", "b.exe", "a.exe")},
       C::Autostart, "\"Up\" runs b.exe (was a.exe) (RunOnce, all users)", true},
      {"task cache key", {Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree\\Nightly")},
       C::Autostart, "adds scheduled task \"Nightly\"", true},
      {"Startup folder file", {Entry(K::EntryAdded, kFolders.startup + "\\foo.lnk")}, C::Autostart,
       "adds foo.lnk in the Startup folder (this user)", true},
      {"Tasks folder file", {Entry(K::EntryAdded, "C:\\windows\\system32\\Tasks\\Nightly")}, C::Autostart,
       "adds Nightly in the scheduled tasks", true},
      {"WIN.INI run=", {[] { InstallFinding f; f.kind = K::IniAdded; f.path = "WIN.INI"; f.section = "windows";
                             f.name = "run"; f.data = "x.exe"; f.action = "REMOVE:run"; return f; }()},
       C::Autostart, "adds WIN.INI [windows] run=x.exe", true},
      {"new automatic service in a numbered control set",
       {Key("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\Foo"),
        Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\Foo", "ImagePath", "C:\\foo.exe", "", ""),
        Value(K::ValueAdded, kSvc, "Start", "2", "", ""), Value(K::ValueAdded, kSvc, "Type", "16", "", "")},
       C::Services, "adds service \"Foo\": C:\\foo.exe, starts automatically, own process", true},
      {"driver set from on demand to boot",
       {Value(K::ValueChanged, kSvc, "Start", "0", "3"), Value(K::ValueAdded, kSvc, "Type", "1")},
       C::Services, "changes driver \"Foo\": starts at boot (was starts on demand), kernel driver", true},
      {"drivers folder file", {Entry(K::EntryAdded, "C:\\windows\\system32\\drivers\\foo.sys")}, C::Services,
       "adds foo.sys in the drivers folder", true},
      {"takeover of an extension",
       {Value(K::ValueChanged, "HKEY_CLASSES_ROOT\\.txt", "", "Foo.Doc", "txtfile")}, C::FileTypes,
       "takes over .txt from txtfile (now Foo.Doc)", true},
      {"new extension", {Key("HKEY_CLASSES_ROOT\\.foo"), Value(K::ValueAdded, "HKEY_CLASSES_ROOT\\.foo", "", "Foo.Doc", "", "")},
       C::FileTypes, "adds the file type .foo for Foo.Doc", false},
      {"another program's open command changed",
       {Value(K::ValueChanged, "HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command", "", "foo.exe %1", "notepad.exe %1")},
       C::FileTypes, "changes the commands that open txtfile files", true},
      {"PATH, system, added last",
       {Value(K::ValueChanged, kSysEnv, "Path", "C:\\win;C:\\Foo\\bin", "C:\\win")}, C::Environment,
       "adds C:\\Foo\\bin to PATH (all users), last", false},
      {"PATH, user, added first",
       {Value(K::ValueChanged, "HKEY_CURRENT_USER\\Environment", "PATH", "C:\\Foo;C:\\a", "C:\\a")}, C::Environment,
       "adds C:\\Foo to PATH (this user), first", true},
      {"another variable", {Value(K::ValueAdded, "HKEY_USERS\\S-1-5-21\\Environment", "FOO_HOME", "C:\\Foo")},
       C::Environment, "sets FOO_HOME=C:\\Foo (this user)", false},
      {"Start menu folder with a shortcut",
       {Entry(K::EntryAdded, "C:\\ProgramData\\Start Menu\\Programs\\Foo", true),
        Entry(K::EntryAdded, "C:\\ProgramData\\Start Menu\\Programs\\Foo\\Foo.lnk")},
       C::Shortcuts, "adds Programs\\Foo (folder, 1 entries in it) in the Start menu (all users)", false},
      {"desktop shortcut", {Entry(K::EntryAdded, "C:\\users\\me\\Desktop\\Foo.lnk")}, C::Shortcuts,
       "adds Foo.lnk in the desktop (this user)", false},
      {"uninstall entry",
       {Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo"),
        Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo", "DisplayName", "Foo App", "", ""),
        Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo", "DisplayVersion", "1.2", "", ""),
        Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo", "Publisher", "Foo Ltd", "", ""),
        Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Foo", "UninstallString", "C:\\Foo\\un.exe", "", "")},
       C::UninstallEntries, "adds the uninstall entry \"Foo App\" version 1.2 by Foo Ltd; uninstalls with C:\\Foo\\un.exe",
       false},
      {"COM server",
       {Key("HKEY_CLASSES_ROOT\\CLSID\\{1234}"), Key("HKEY_CLASSES_ROOT\\CLSID\\{1234}\\InprocServer32"),
        Value(K::ValueAdded, "HKEY_CLASSES_ROOT\\CLSID\\{1234}\\InprocServer32", "", "C:\\foo.dll", "", "")},
       C::ComServers, "adds the COM server {1234}: C:\\foo.dll", true},  // InprocServer32: on the sensitive list
      {"shell extension handler", {Key("HKEY_CLASSES_ROOT\\*\\shellex\\ContextMenuHandlers\\Foo")}, C::ComServers,
       "adds the shell extension Foo (ContextMenuHandlers for all files)", true},
      // A new program id's keys come from the shellex key down: the handler is the deepest.
      {"shell extension of a new program id",
       {Key("HKEY_CLASSES_ROOT\\Foo.Doc\\shellex"), Key("HKEY_CLASSES_ROOT\\Foo.Doc\\shellex\\ContextMenuHandlers"),
        Key("HKEY_CLASSES_ROOT\\Foo.Doc\\shellex\\ContextMenuHandlers\\FooMenu")},
       C::ComServers, "adds the shell extension FooMenu (ContextMenuHandlers for Foo.Doc)", true},
      {"icon handler, named by its server",
       {Key("HKEY_CLASSES_ROOT\\Foo.Doc\\shellex"), Key("HKEY_CLASSES_ROOT\\Foo.Doc\\shellex\\IconHandler"),
        Value(K::ValueAdded, "HKEY_CLASSES_ROOT\\Foo.Doc\\shellex\\IconHandler", "", "{1234}", "", "")},
       C::ComServers, "adds the shell extension {1234} (IconHandler for Foo.Doc)", true},
      {"App Path", {Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\foo.exe"),
                    Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\foo.exe", "", "C:\\Foo\\foo.exe", "", "")},
       C::AppPaths, "adds the App Path foo.exe to C:\\Foo\\foo.exe", false},
      {"font value", {Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Foo (TrueType)", "foo.ttf")},
       C::Fonts, "adds the font \"Foo (TrueType)\" (foo.ttf)", false},
      {"font file", {Entry(K::EntryAdded, "C:\\windows\\Fonts\\foo.ttf")}, C::Fonts, "adds foo.ttf in the Fonts folder",
       false},
      {"system folder file", {Entry(K::EntryAdded, "C:\\windows\\system32\\foo.dll")}, C::SystemFiles,
       "adds foo.dll in the system folder", true},
      {"firewall rule, not a service",
       {Value(K::ValueAdded, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules",
              "FooIn", "v2.10|Action=Allow|Dir=In|")},
       C::Firewall, "adds the firewall rule \"FooIn\": v2.10|Action=Allow|Dir=In|", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::vector<SummaryItem> items = BuildInstallSummary(c.findings, kFolders);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].category, c.category);
    EXPECT_EQ(items[0].words, c.words);
    EXPECT_EQ(items[0].secondLook, c.secondLook);
    EXPECT_EQ(items[0].secondLook, !items[0].why.empty());
  }
}

TEST(InstallSummary, PlacesOutsideTheTableAndOtherRootsGiveNoItems) {
  const std::vector<InstallFinding> findings = {
      Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Foo"),
      Key("HKEY_CURRENT_CONFIG\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
      Value(K::ValueAdded, kRun + "\\Sub", "x", "y"),  // below Run: not one of its values
      Key("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services"),  // the Services key itself
      Entry(K::EntryAdded, "C:\\Program Files\\Foo"),
      Entry(K::EntryAdded, "C:\\windows\\system32x\\a.dll"),  // a folder whose name only begins the same
  };
  EXPECT_TRUE(BuildInstallSummary(findings, kFolders).empty());
}

TEST(InstallSummary, ItemsFollowCategoryOrderAndCollectTheirUndoLines) {
  const std::vector<InstallFinding> findings = {
      Entry(K::EntryAdded, "C:\\windows\\system32\\a.dll", false, "REMOVEFILE:A.DLL>FROM:C:\\WINDOWS\\SYSTEM32"),
      Entry(K::EntryUpdated, "C:\\windows\\system32\\b.dll", false, ""),
      Key(kSvc), Value(K::ValueAdded, kSvc, "Start", "3", "", ""),
      Value(K::ValueAdded, kRun, "Foo", "foo.exe", "", "REG_VALUE_REMOVE:Foo"),
      Value(K::ValueDeleted, kRun, "Old", "old.exe", "", ""),
      Key("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\Foo"),  // the same key seen twice
  };
  const std::vector<SummaryItem> items = BuildInstallSummary(findings, kFolders);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].category, C::Autostart);
  EXPECT_EQ(items[0].actions, std::vector<std::string>{"REG_VALUE_REMOVE:Foo"});
  EXPECT_EQ(items[1].category, C::Autostart);
  EXPECT_TRUE(items[1].actions.empty());
  EXPECT_EQ(items[1].noUndo, kRun + " \"Old\": its old data was not kept whole");
  EXPECT_EQ(items[2].category, C::Services);
  EXPECT_EQ(items[2].actions, std::vector<std::string>{"REG_DAT_REMOVE:K"});  // once, not once a finding
  EXPECT_EQ(items[2].noUndo, "");  // the value goes with its key
  EXPECT_EQ(items[2].why, "a service or driver runs with the system's rights");
  EXPECT_EQ(items[3].actions, std::vector<std::string>{"REMOVEFILE:A.DLL>FROM:C:\\WINDOWS\\SYSTEM32"});
  EXPECT_EQ(items[4].words, "changes b.dll in the system folder");
  EXPECT_EQ(items[4].noUndo, "C:\\windows\\system32\\b.dll: a changed file's old content is not kept");
}

// The list of sensitive places: an item it takes is flagged even where the row is not,
// and one the row flags keeps the row's reason.
TEST(InstallSummary, TheSensitiveListHandedInFlagsItsItems) {
  const std::vector<InstallFinding> findings = {
      Key("HKEY_CLASSES_ROOT\\CLSID\\{1}"), Value(K::ValueAdded, "HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", "", "a.dll"),
      Key("HKEY_CLASSES_ROOT\\CLSID\\{2}"),
      Value(K::ValueAdded, kRun, "Foo", "foo.exe"),
  };
  const auto sensitive = [](const InstallFinding& f) {
    return f.path.find("InprocServer32") != std::string::npos || f.path == kRun;
  };
  const auto items = BuildInstallSummary(findings, kFolders, sensitive);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].why, "it starts with Windows, every time");
  EXPECT_TRUE(items[1].secondLook);
  EXPECT_EQ(items[1].why, kSensitiveWhy);
  EXPECT_FALSE(items[2].secondLook);
  // By default the one list of sensitive places decides; without a list only the rows do.
  EXPECT_EQ(BuildInstallSummary(findings, kFolders)[1].why, kSensitiveWhy);
  EXPECT_FALSE(BuildInstallSummary(findings, kFolders)[2].secondLook);
  EXPECT_FALSE(BuildInstallSummary(findings, kFolders, nullptr)[1].secondLook);
}

TEST(InstallSummary, PathChangesSayWhatWentWhere) {
  struct PathCase {
    const char* before;
    const char* now;
    const char* words;
    bool secondLook;
  };
  const PathCase cases[] = {
      {"C:\\a;C:\\b", "C:\\a;C:\\x;C:\\b", "adds C:\\x to PATH (this user), in the middle", false},
      {"C:\\a;C:\\b", "C:\\x;C:\\y;C:\\a;C:\\b", "adds C:\\x; C:\\y to PATH (this user), first", true},
      {"C:\\a;C:\\b", "c:\\A", "takes C:\\b out of PATH (this user)", false},
      {"C:\\a;C:\\b", "C:\\b;C:\\a", "reorders PATH (this user)", false},
      {"", "C:\\x", "adds C:\\x to PATH (this user), last", false},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.now);
    const auto items =
        BuildInstallSummary({Value(K::ValueChanged, "HKEY_CURRENT_USER\\Environment", "Path", c.now, c.before)}, kFolders);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].words, c.words);
    EXPECT_EQ(items[0].secondLook, c.secondLook);
  }
}

TEST(InstallSummary, BlockReadsBackAsWritten) {
  std::vector<SummaryItem> items = {
      {C::Autostart, "\"Foo\" runs foo.exe (Run, this user)", true, "it starts with Windows, every time",
       {"REG_VALUE_REMOVE:Foo>TYPE:REG_SZ>SIZE:16>DATA:\"foo.exe>FROM:HKEY_CURRENT_USER\\Run"}, ""},
      {C::SystemFiles, "changes b.dll in the system folder", true, "why", {}, "b.dll: not kept"},
      {C::Fonts, "adds x", false, "", {"A", "B"}, ""},
  };
  const std::string block = FormatSummaryBlock(items);
  EXPECT_EQ(block.substr(0, block.find('\n')), "SUMMARY: what this install did, 3 items (every finding is listed below)");
  // In a report: header before, sections after, CR LF line ends.
  std::string report = "HEADER\r\n";
  for (char ch : block) report += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  report += "====================\r\nAUTOEXEC.BAT File\r\n";
  const auto back = ReadSummaryBlock(report);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 3u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ((*back)[i].category, items[i].category);
    EXPECT_EQ((*back)[i].words, items[i].words);
    EXPECT_EQ((*back)[i].secondLook, items[i].secondLook);
    EXPECT_EQ((*back)[i].why, items[i].why);
    EXPECT_EQ((*back)[i].actions, items[i].actions);
    EXPECT_EQ((*back)[i].noUndo, items[i].noUndo);
  }
  EXPECT_FALSE(ReadSummaryBlock("HEADER\r\n====\r\n"));                     // a standard report
  EXPECT_FALSE(ReadSummaryBlock("H\r\n================\r\n" + block));      // a finding's line, not the block
  EXPECT_FALSE(ReadSummaryBlock(block.substr(0, block.size() - 16)));       // cut short
  EXPECT_FALSE(ReadSummaryBlock(std::string(kSummaryFirstLine) + "\n[1] Unknown: x\nEND OF SUMMARY\n"));
  EXPECT_TRUE(ReadSummaryBlock(FormatSummaryBlock({})));
}

TEST(InstallSummary, ValueTextOfEachType) {
  const std::string sz("f\0o\0\0\0", 6), multi("a\0\0\0b\0\0\0\0\0", 10), dword("\x02\0\0\0", 4);
  EXPECT_EQ(SummaryValueText(1, sz), "fo");
  EXPECT_EQ(SummaryValueText(7, multi), "a; b");
  EXPECT_EQ(SummaryValueText(4, dword), "2");
  EXPECT_EQ(SummaryValueText(3, std::string("\xAB\x01", 2)), "AB01 (2 bytes)");
  EXPECT_EQ(SummaryValueText(1, std::string("\xE9\0", 2)), "\xC3\xA9");
}

}  // namespace
}  // namespace tessary
