// Reports read back into sections and findings, as the compare run writes them.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/logic/cli_json.h"
#include "cli/logic/report_summary.h"
#include "cli/logic/undo_logic.h"
#include "compare/logic/compare_text.h"

namespace tessary::cli {
namespace {

std::string Crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

// A full report of an installation (header block, every kind of section).
const std::vector<std::string> kFull = {
    "Tessary configuration file comparison file.",
    "C:\\B\\COMPARE.TSC",
    "========================================",
    "Every line in your current configuration files is compared to every",
    "ADDED: (this line has been added)",
    "updated (changed/replaced) will also show the date and time of the new file.",
    "====================",
    "AUTOEXEC.BAT File",
    "Lines added or modified:",
    ":WIN",
    "PATH C:\\DOS;C:\\APP",
    ":NEW",
    ":NEW",
    "- - -",
    "Lines deleted or modified:",
    ":WIN",
    "PATH C:\\DOS",
    "====================",
    "CONFIG.SYS - No changes made (File has same date/time)",
    "====================",
    "WIN.INI",
    "------",
    "Lines Added or Changed:",
    "- - -",
    "[TessaryE2E]",
    "FROM:  Mode=old",
    "TO:    Mode=new",
    "[NewApp]",
    "ADDED: Path=C:\\NEWAPP",
    "[a]b]",
    "ADDED: k=v",
    "-- No uninstall action: its name cannot be written unambiguously in the uninstall file.",
    "------",
    "Lines Deleted (or ignored with ';'):",
    "- - -",
    "[TessaryE2E]",
    "DELETED: Obsolete=1",
    "================",
    "Registry keys ADDED:",
    "- - - - -",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor",
    "LEFT OUT (name cannot be written as one line): HKEY_CURRENT_USER\\Bad<0A>Key",
    "***User has disabled compare of: HKEY_USERS Registry Branch.",
    "================",
    "===============",
    "C:\\windows Directory",
    "ADDED  : newapp.ini",
    "UPDATED: win.ini\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
    "UPDATED: a.ini\t\t\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
    "===============",
    "C:\\Program Files Directory",
    "ADDED  : NewVendor  (DIR)",
    "--Inf Directory not scanned. User has disabled scanning of this Directory.",
    "- - - - -",
    "Decrease in free disk space on drive C:  1,048,576 Bytes. Free before: 104,857,600. Free now: 103,809,024.",
    "* * Windows Paging (swap) file located on this drive (C:) ",
    "- - - - -",
};

// A finding in a repeated INI section is reported without an action, and says why.
TEST(ReportSummaryTest, AFindingInARepeatedSectionHasNoAction) {
  const ReportSummary r = ReadReport(Crlf({"Tessary configuration file comparison file.", "C:\\B\\X.TSC",
                                           "====================", "WIN.INI", "[Dup]", "ADDED: c=3",
                                           kRepeatedSectionNote}));
  ASSERT_EQ(r.sections.size(), 1u);
  ASSERT_EQ(r.sections[0].findings.size(), 1u);
  EXPECT_TRUE(r.sections[0].findings[0].noAction);
  EXPECT_TRUE(r.sections[0].notes.empty());
}

TEST(ReportSummaryTest, AFullReportGivesEverySectionAndFinding) {
  const ReportSummary r = ReadReport(Crlf(kFull));
  EXPECT_EQ(r.title, "Tessary configuration file comparison file.");
  EXPECT_EQ(r.path, "C:\\B\\COMPARE.TSC");
  ASSERT_EQ(r.sections.size(), 7u);

  const ReportSection& boot = r.sections[0];
  EXPECT_EQ(boot.kind, SectionKind::Boot);
  EXPECT_EQ(boot.name, "AUTOEXEC.BAT");
  ASSERT_EQ(boot.findings.size(), 3u);
  EXPECT_EQ(boot.findings[0].change, "added");
  EXPECT_EQ(boot.findings[0].line, "PATH C:\\DOS;C:\\APP");
  EXPECT_EQ(boot.findings[0].context, ":WIN");
  EXPECT_EQ(boot.findings[1].line, ":NEW");  // a new label line: label, then the line itself
  EXPECT_EQ(boot.findings[2].change, "deleted");
  EXPECT_EQ(boot.findings[2].context, ":WIN");

  EXPECT_TRUE(r.sections[1].sameDate);
  EXPECT_TRUE(r.sections[1].findings.empty());

  const ReportSection& win = r.sections[2];
  EXPECT_EQ(win.name, "WIN.INI");
  ASSERT_EQ(win.findings.size(), 4u);
  EXPECT_EQ(win.findings[0].change, "changed");
  EXPECT_EQ(win.findings[0].context, "TessaryE2E");
  EXPECT_EQ(win.findings[0].key, "Mode");
  EXPECT_EQ(win.findings[0].from, "old");
  EXPECT_EQ(win.findings[0].value, "new");
  EXPECT_EQ(win.findings[1].context, "NewApp");
  EXPECT_EQ(win.findings[2].context, "a]b");
  EXPECT_TRUE(win.findings[2].noAction);
  EXPECT_FALSE(win.findings[1].noAction);
  EXPECT_EQ(win.findings[3].change, "deleted");
  EXPECT_EQ(CountsText(win), "1 changed, 2 added, 1 deleted");

  const ReportSection& reg = r.sections[3];
  EXPECT_EQ(reg.kind, SectionKind::Registry);
  ASSERT_EQ(reg.findings.size(), 2u);
  EXPECT_EQ(reg.findings[0].name, "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor");
  EXPECT_EQ(reg.findings[1].change, "leftOut");
  EXPECT_EQ(reg.notes.size(), 1u);
  EXPECT_EQ(CountsText(reg), "1 keys added, 1 leftOut");

  const ReportSection& windows = r.sections[4];
  EXPECT_EQ(windows.kind, SectionKind::Directory);
  EXPECT_EQ(windows.name, "C:\\windows");
  ASSERT_EQ(windows.findings.size(), 3u);
  EXPECT_EQ(windows.findings[1].name, "win.ini");
  EXPECT_EQ(windows.findings[1].newTime, "15:00  3 Dec 1996");
  EXPECT_EQ(windows.findings[1].oldTime, "09:30  1 Jul 1995");
  EXPECT_EQ(windows.findings[2].name, "a.ini");
  EXPECT_TRUE(r.sections[5].findings[0].isDirectory);
  EXPECT_EQ(r.sections[5].findings[0].name, "NewVendor");
  EXPECT_EQ(r.notScanned.size(), 1u);

  const ReportSection& free = r.sections[6];
  EXPECT_EQ(free.kind, SectionKind::FreeSpace);
  ASSERT_EQ(free.findings.size(), 1u);
  EXPECT_EQ(free.findings[0].drive, 'C');
  EXPECT_EQ(free.findings[0].bytes, 1048576u);
  EXPECT_EQ(free.findings[0].change, "decrease");

  // Free space is no change of its own.
  EXPECT_EQ(r.Changes(), 3u + 4u + 2u + 3u + 1u);
  EXPECT_FALSE(r.cancelled);
}

TEST(ReportSummaryTest, BriefCancelledAndUnchangedReports) {
  ReportSummary r = ReadReport(Crlf({"Tessary configuration file comparison file.", "C:\\B\\X.TSC", "====================",
                                     "WIN.INI", "[windows]", "ADDED: load=a.exe", "No Deleted lines found.",
                                     "================", "Registry keys ADDED:", "- - - - -", "================"}) +
                               "---COMPARE CANCELLED BY USER---");
  ASSERT_EQ(r.sections.size(), 2u);
  EXPECT_EQ(r.sections[0].findings.size(), 1u);
  EXPECT_EQ(r.sections[0].findings[0].context, "windows");
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.Changes(), 1u);

  r = ReadReport(Crlf({"Tessary/Sentinox automatic comparison file.", "C:\\B\\X.SNC", "- - - - -", "- - - - -"}) +
                 "---No Changes found---");
  EXPECT_TRUE(r.noChangesLine);
  EXPECT_EQ(r.Changes(), 0u);
  EXPECT_EQ(CountsText(r.sections[0]), "no changes");
}

TEST(ReportSummaryTest, JsonHoldsSectionsEntriesAndCounts) {
  const ReportSummary r = ReadReport(Crlf(kFull));
  const nlohmann::json j = ReportJson(r, "C:\\B\\COMPARE.TSC", "C:\\B\\COMPARE.TSU");
  EXPECT_EQ(j["changes"], 13);
  EXPECT_EQ(j["finished"], true);
  ASSERT_EQ(j["sections"].size(), 7u);
  EXPECT_EQ(j["sections"][2]["kind"], "ini");
  EXPECT_EQ(j["sections"][2]["entries"][0]["from"], "old");
  EXPECT_EQ(j["sections"][2]["entries"][2]["undoAction"], false);
  EXPECT_EQ(j["sections"][5]["entries"][0]["directory"], true);
  EXPECT_EQ(j["sections"][6]["entries"][0]["bytes"], 1048576);
  const nlohmann::json a = ActionJson(3, "REMOVEFILE:NewVendor  (DIR)>FROM:C:\\Program Files");
  EXPECT_EQ(a["kind"], "removeFile");
  EXPECT_EQ(a["target"], "C:\\Program Files\\NewVendor\\");
  EXPECT_EQ(ActionJson(1, "REMOVEFILE:..\\x>FROM:C:\\")["readable"], false);
  // A write into a start-up place says so; any other action has no such field.
  EXPECT_EQ(ActionJson(2, "ADD:load=old.exe>TO:WIN.INI[windows]")["sensitive"], true);
  EXPECT_FALSE(a.contains("sensitive"));
  EXPECT_FALSE(ActionJson(2, "REMOVE:load=new.exe>FROM:WIN.INI[windows]").contains("sensitive"));
}


// With values recorded, the registry's keys are followed by its values: a section of its
// own, counted, whose entries can be left over, and never part of the free-space section.
TEST(ReportSummaryTest, RegistryValuesAreASectionOfTheirOwn) {
  std::vector<std::string> lines = kFull;
  const auto keysEnd = std::find(lines.begin(), lines.end(), "***User has disabled compare of: HKEY_USERS Registry Branch.") + 2;
  lines.insert(keysEnd, {"***Values were not recorded at backup for: HKEY_USERS Registry Branch.",
                         "Registry values ADDED:", "- - - - -",
                         "HKEY_CURRENT_USER\\Environment \"X\" = REG_SZ, 4 bytes: \"1\"", "- - - - -",
                         "Registry values CHANGED:", "- - - - -", "HKEY_CURRENT_USER\\Environment \"Y\"",
                         "FROM:  REG_SZ, 4 bytes: \"a\"", "TO:    REG_SZ, 4 bytes: \"b\"",
                         "HKEY_LOCAL_MACHINE\\SOFTWARE\\V \"big\"",
                         "FROM:  REG_BINARY, 100000 bytes (SHA-256 1f2e3d4c5b6a7988...), not restorable",
                         "TO:    REG_DWORD, 4 bytes: 0x00000002 (2)", "- - - - -", "Registry values DELETED:", "- - - - -",
                         "HKEY_CURRENT_USER\\Environment \"Z\" = REG_SZ, 4 bytes: \"z\"", "================"});
  const ReportSummary full = ReadReport(Crlf(kFull));
  const ReportSummary r = ReadReport(Crlf(lines));
  ASSERT_EQ(r.sections.size(), full.sections.size() + 1);
  const ReportSection& values = r.sections[4];
  EXPECT_EQ(values.kind, SectionKind::RegistryValues);
  EXPECT_EQ(values.name, "Registry values");
  EXPECT_EQ(values.notes.size(), 1u);
  ASSERT_EQ(values.findings.size(), 4u);
  EXPECT_EQ(values.findings[0].key, "HKEY_CURRENT_USER\\Environment \"X\"");
  EXPECT_EQ(values.findings[0].value, "REG_SZ, 4 bytes: \"1\"");
  EXPECT_EQ(values.findings[1].change, "changed");
  EXPECT_EQ(values.findings[1].from, "REG_SZ, 4 bytes: \"a\"");
  EXPECT_EQ(values.findings[1].value, "REG_SZ, 4 bytes: \"b\"");
  EXPECT_EQ(CountsText(values), "1 added, 2 changed, 1 deleted");
  EXPECT_EQ(r.sections.back().notes, full.sections.back().notes);  // free space holds its own lines only
  EXPECT_EQ(r.Changes(), full.Changes() + 4);

  std::vector<std::string> left;
  for (const Leftover& l : FindLeftovers(r, "C:\\windows", "C:\\B"))
    if (l.kind == std::string("registryValues")) left.push_back(l.change + (l.undoable ? " undoable" : ""));
  EXPECT_EQ(left, (std::vector<std::string>{"added undoable", "changed undoable", "changed", "deleted undoable"}));
  const nlohmann::json j = ReportJson(r, "C:\\B\\C.TSC", "C:\\B\\C.TSU");
  EXPECT_EQ(j["changes"], full.Changes() + 4);
  EXPECT_EQ(j["sections"][4]["kind"], "registryValues");
  EXPECT_EQ(j["sections"][4]["entries"][1]["from"], "REG_SZ, 4 bytes: \"a\"");
  EXPECT_EQ(j["sections"][4]["entries"][2]["undoAction"], false);
}

// A deep report: the standard sections as always, then the deep heading and one block per
// place. Deep findings are sections of their own, never part of the last standard one.
TEST(ReportSummaryTest, DeepSectionsFollowTheStandardOnes) {
  std::vector<std::string> lines = kFull;
  for (const char* l : {"===============", "DEEP TRACKING: today's install locations with all their subfolders",
                        "Program Files: C:\\Program Files",
                        "Common Files: C:\\Program Files\\Common Files  (listed with Program Files)",
                        "Left out: C:\\users\\me\\Temp", "---------------", "Program Files: C:\\Program Files",
                        "ADDED  : Common Files\\Vendor\\bin\\new.dll  5 bytes", "ADDED  : New  App  (DIR)  3 files, 9 bytes",
                        "UPDATED: Old App\\app.exe  OLD: 10 bytes 2024-02-29 23:59:59.9999999 UTC  NEW: 10 bytes "
                        "2030-01-02 03:04:05.0000000 UTC",
                        "DELETED: gone.txt", "DELETED: Gone Folder  (DIR)",
                        "--AppData (Local) not compared: the backup holds no deep listing of it.", "---------------",
                        "System: C:\\windows\\system32", "ADDED  : drivers\\modern.sys  1,024 bytes"})
    lines.push_back(l);
  const ReportSummary full = ReadReport(Crlf(kFull));
  const ReportSummary r = ReadReport(Crlf(lines));
  ASSERT_EQ(r.sections.size(), full.sections.size() + 2);
  for (std::size_t i = 0; i < full.sections.size(); ++i)
    EXPECT_EQ(r.sections[i].findings.size(), full.sections[i].findings.size()) << r.sections[i].name;

  const ReportSection& pf = r.sections[full.sections.size()];
  EXPECT_EQ(pf.kind, SectionKind::Deep);
  EXPECT_EQ(pf.name, "C:\\Program Files");
  ASSERT_EQ(pf.findings.size(), 5u);
  EXPECT_EQ(pf.findings[0].name, "Common Files\\Vendor\\bin\\new.dll");
  EXPECT_FALSE(pf.findings[0].isDirectory);
  EXPECT_EQ(pf.findings[1].name, "New  App");
  EXPECT_TRUE(pf.findings[1].isDirectory);
  EXPECT_EQ(pf.findings[2].change, "updated");
  EXPECT_EQ(pf.findings[2].name, "Old App\\app.exe");
  EXPECT_EQ(pf.findings[4].name, "Gone Folder");
  EXPECT_TRUE(pf.findings[4].isDirectory);
  EXPECT_EQ(r.Find(SectionKind::Deep, "c:\\windows\\SYSTEM32")->findings[0].name, "drivers\\modern.sys");
  EXPECT_EQ(r.Changes(), full.Changes() + 6);
  EXPECT_EQ(r.notScanned.back(), "--AppData (Local) not compared: the backup holds no deep listing of it.");

  // Left over after an undo: an addition could have been undone; a change or a deletion
  // is reported only.
  std::vector<std::string> undoable;
  for (const Leftover& l : FindLeftovers(r, "C:\\windows", "C:\\B"))
    if (l.kind == std::string("deep")) undoable.push_back(l.change + (l.undoable ? " undoable" : ""));
  EXPECT_EQ(undoable, (std::vector<std::string>{"added undoable", "added undoable", "updated", "deleted", "deleted",
                                                "added undoable"}));
  const nlohmann::json j = ReportJson(r, "C:\\B\\C.TSC", "C:\\B\\C.TSU");
  EXPECT_EQ(j["sections"][full.sections.size()]["kind"], "deep");
  EXPECT_EQ(j["sections"][full.sections.size()]["entries"][1]["directory"], true);
}

// What a run left out as the system's own changes is named in the values part (its first
// line when the part has no other note) and under a deep place's heading (alone when the
// place had nothing else): read back as notes, never as findings.
TEST(ReportSummaryTest, LinesOfWhatWasLeftOutAsNoiseAreNotesOnly) {
  std::vector<std::string> lines = kFull;
  const auto keysEnd = std::find(lines.begin(), lines.end(), "***User has disabled compare of: HKEY_USERS Registry Branch.") + 2;
  const std::string valuesNoise =
      "***Left out as the system's own changes: 2 values (value HKCU\\W \"a\": 1; value HKCU\\W \"b\": 1)";
  lines.insert(keysEnd, {valuesNoise, "Registry values ADDED:", "- - - - -",
                         "HKEY_CURRENT_USER\\Environment \"X\" = REG_SZ, 4 bytes: \"1\"", "- - - - -",
                         "Registry values CHANGED:", "- - - - -", "- - - - -", "Registry values DELETED:", "- - - - -",
                         "================"});
  const std::string deepNoise = "--Left out as the system's own changes: 1 entry (path C:\\L\\**: 1)";
  for (const std::string& l : {std::string("==============="),
                               std::string("DEEP TRACKING: today's install locations with all their subfolders"),
                               std::string("System: C:\\windows\\system32"), std::string("---------------"),
                               std::string("System: C:\\windows\\system32"), deepNoise})
    lines.push_back(l);
  const ReportSummary full = ReadReport(Crlf(kFull));
  const ReportSummary r = ReadReport(Crlf(lines));
  ASSERT_EQ(r.sections.size(), full.sections.size() + 2);
  const ReportSection& values = r.sections[4];
  EXPECT_EQ(values.kind, SectionKind::RegistryValues);
  EXPECT_EQ(values.notes, std::vector<std::string>{valuesNoise});
  EXPECT_EQ(values.findings.size(), 1u);
  const ReportSection& deep = r.sections.back();
  EXPECT_EQ(deep.kind, SectionKind::Deep);
  EXPECT_EQ(deep.notes, std::vector<std::string>{deepNoise});
  EXPECT_TRUE(deep.findings.empty());
  EXPECT_EQ(r.Changes(), full.Changes() + 1);
  EXPECT_TRUE(FindLeftovers(r, "C:\\windows", "C:\\B").size() == FindLeftovers(full, "C:\\windows", "C:\\B").size() + 1);
}

}  // namespace
}  // namespace tessary::cli

namespace tessary::cli {
namespace {

const std::vector<SummaryItem> kItems = {
    {SummaryCategory::Autostart, "\"Foo\" runs foo.exe (Run, this user)", true, "it starts with Windows, every time",
     {"REG_VALUE_REMOVE:Foo>TYPE:REG_SZ>SIZE:16>DATA:\"foo.exe>FROM:HKEY_CURRENT_USER\\Run"}, ""},
    {SummaryCategory::SystemFiles, "changes b.dll in the system folder", true, "files in the system folder are loaded by other programs and by Windows", {},
     "C:\\windows\\system32\\b.dll: a changed file's old content is not kept"},
    {SummaryCategory::Shortcuts, "adds Foo.lnk in the desktop (this user)", false, "",
     {"REMOVEFILE:Foo.lnk>FROM:C:\\users\\me\\Desktop", "REMOVEFILE:Bar.lnk>FROM:C:\\users\\me\\Desktop"}, ""},
};

// The summary block between the header and the first section: the sections read as
// without it, and the block is read apart.
TEST(ReportSummaryTest, TheSummaryBlockIsNoSectionAndIsReadApart) {
  std::vector<std::string> lines(kFull.begin(), kFull.begin() + 6);
  std::string block = FormatSummaryBlock(kItems);
  for (std::size_t at = 0, nl; (nl = block.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(block.substr(at, nl - at));
  lines.insert(lines.end(), kFull.begin() + 6, kFull.end());
  const ReportSummary full = ReadReport(Crlf(kFull));
  const ReportSummary r = ReadReport(Crlf(lines));
  EXPECT_FALSE(full.installSummary);
  ASSERT_EQ(r.sections.size(), full.sections.size());
  EXPECT_EQ(r.Changes(), full.Changes());
  ASSERT_TRUE(r.installSummary);
  ASSERT_EQ(r.installSummary->size(), 3u);
  EXPECT_EQ((*r.installSummary)[2].actions, kItems[2].actions);

  EXPECT_EQ(SummaryLines(*r.installSummary),
            (std::vector<std::string>{
                "summary: 3 items, 2 for a second look",
                "  [1] Starts with Windows: \"Foo\" runs foo.exe (Run, this user)",
                "      second look: it starts with Windows, every time",
                "      undo: 1 action (undo --only-summary 1)",
                "  [2] System folder files: changes b.dll in the system folder",
                std::string("      second look: ") + "files in the system folder are loaded by other programs and by Windows",
                "      no undo: C:\\windows\\system32\\b.dll: a changed file's old content is not kept",
                "  [3] Shortcuts: adds Foo.lnk in the desktop (this user)",
                "      undo: 2 actions (undo --only-summary 3)",
            }));

  const nlohmann::json j = SummaryJson(*r.installSummary);
  EXPECT_EQ(j["count"], 3);
  EXPECT_EQ(j["secondLook"], 2);
  EXPECT_EQ(j["items"][0]["category"], "autostart");
  EXPECT_EQ(j["items"][0]["title"], "Starts with Windows");
  EXPECT_EQ(j["items"][0]["why"], "it starts with Windows, every time");
  EXPECT_FALSE(j["items"][0].contains("noUndo"));
  EXPECT_EQ(j["items"][1]["actions"].size(), 0u);
  EXPECT_EQ(j["items"][1]["noUndo"], kItems[1].noUndo);
  EXPECT_EQ(j["items"][2]["index"], 3);
  EXPECT_FALSE(j["items"][2].contains("why"));
}

TEST(ReportSummaryTest, OnlySummaryChoosesTheLinesOfTheNamedItems) {
  const std::vector<std::string> entries = {
      "", "REMOVEFILE:FOO.LNK>FROM:C:\\USERS\\ME\\DESKTOP", "REMOVEFILE:OTHER.DLL>FROM:C:\\WINDOWS",
      "REG_VALUE_REMOVE:FOO>TYPE:REG_SZ>SIZE:16>DATA:\"FOO.EXE>FROM:HKEY_CURRENT_USER\\RUN",
      "REMOVEFILE:BAR.LNK>FROM:C:\\USERS\\ME\\DESKTOP"};
  struct Case {
    std::vector<std::string> selectors;
    std::vector<bool> chosen;  // empty: refused
    const char* error;
  };
  const Case cases[] = {
      {{"1"}, {false, false, false, true, false}, ""},
      {{"3"}, {false, true, false, false, true}, ""},
      {{"1", "shortcuts"}, {false, true, false, true, true}, ""},
      {{"AUTOSTART"}, {false, false, false, true, false}, ""},
      {{"2"}, {false, false, false, false, false}, ""},  // nothing can undo it
      {{"4"}, {}, "the summary has no item 4 (give its number or a category such as autostart)"},
      {{"fonts"}, {}, "the summary has no item fonts (give its number or a category such as autostart)"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto chosen = ChooseSummaryActions(entries, kItems, c.selectors, error);
    EXPECT_EQ(chosen.has_value(), !c.chosen.empty()) << c.selectors.front();
    if (chosen) {
      EXPECT_EQ(*chosen, c.chosen) << c.selectors.front();
    }
    EXPECT_EQ(error, c.error);
  }
  // An action file that is not the report's: an item's line it lacks refuses the choice.
  std::string error;
  EXPECT_FALSE(ChooseSummaryActions({"", "REMOVEFILE:FOO.LNK>FROM:C:\\USERS\\ME\\DESKTOP"}, kItems, {"3"}, error));
  EXPECT_EQ(error, "summary item 3 names an action the action file does not hold: "
                   "REMOVEFILE:Bar.lnk>FROM:C:\\users\\me\\Desktop");
}

}  // namespace
}  // namespace tessary::cli
