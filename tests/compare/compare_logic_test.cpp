// The pure pieces of Compare: the directory listing and report lines, the free-space
// record, the registry snapshots, and the INI and boot-file readers.
#include <gtest/gtest.h>

#include "compare/logic/boot_logic.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/dir_logic.h"
#include "compare/logic/registry_logic.h"

namespace tessary {
namespace {

TEST(DirLogic, GroupsDigitsFromTheRight) {
  EXPECT_EQ(GroupDigits(0), "0");
  EXPECT_EQ(GroupDigits(512), "512");
  EXPECT_EQ(GroupDigits(1000), "1,000");
  EXPECT_EQ(GroupDigits(1234567), "1,234,567");
  EXPECT_EQ(GroupDigits(123456), "123,456");
  EXPECT_EQ(GroupDigits(18446744073709551615ull), "18,446,744,073,709,551,615");
}

TEST(DirLogic, WritesTheReportLinesOfTheExamples) {
  DosDateTime newDate{PackDosDate(1996, 12, 3), PackDosTime(15, 0, 0)};
  DosDateTime oldDate{PackDosDate(1995, 7, 1), PackDosTime(9, 30, 0)};
  EXPECT_EQ(FormatReportDate(newDate), "15:00  3 Dec 1996");
  EXPECT_EQ(UpdatedLine("USER.EXE", newDate, oldDate), "UPDATED: USER.EXE\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  EXPECT_EQ(UpdatedLine("WIN.INI", newDate, oldDate), "UPDATED: WIN.INI\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  EXPECT_EQ(UpdatedLine("a.ini", newDate, oldDate), "UPDATED: a.ini\t\t\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  EXPECT_EQ(UpdatedLine("A.INI", newDate, oldDate), "UPDATED: A.INI\t\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  EXPECT_EQ(AddedLine("NEWAPP", true), "ADDED  : NEWAPP  (DIR)");
  EXPECT_EQ(ReportDirectory("C:"), "C:\\");
  EXPECT_EQ(ReportDirectory("C:\\WINDOWS"), "C:\\WINDOWS");
  EXPECT_EQ(FreeSpaceChangeLine('D', 104857600, 103809024),
            "Decrease in free disk space on drive D:  1,048,576 Bytes. Free before: 104,857,600. Free now: "
            "103,809,024.\n");
  EXPECT_EQ(FreeSpaceChangeLine('C', 1000, 1512),
            "Increase in free disk space on drive C:  512 Bytes. Free before: 1,000. Free now: 1,512.\n");
  EXPECT_EQ(FreeSpaceChangeLine('C', 1000, 1000), "");
  EXPECT_EQ(PagingNote('C'),
            "* * Windows Paging (swap) file located on this drive (C:) \n* * Reported change in free space may not "
            "be accurate due to dynamic paging.\n");
  // A month outside 1 to 12 from a garbled listing does not read past the names.
  EXPECT_EQ(FormatReportDate({std::uint16_t((16 << 9) | (13 << 5) | 1), 0}), "00:00  1 ??? 1996");
}

TEST(DirLogic, ListingLookupKeepsFirstMatchAndIgnoresCase) {
  BackupListing listing("USER.EXE,8579,30720\r\nSYSTEM  (DIR),8583,18597\r\nuser.exe,1,1\r\n"
                        "a,b.txt,8579,30720\r\nshort,5\r\n");
  EXPECT_EQ(*listing.Find("user.exe"), "8579,30720");
  EXPECT_EQ(*listing.Find("system  (dir)"), "8583,18597");
  EXPECT_FALSE(listing.Find("SYSTEM"));
  EXPECT_EQ(*listing.Find("A,B.TXT"), "8579,30720");  // a comma in a name
  EXPECT_EQ(*listing.Find("short"), "5");
  DosDateTime when{8579, 30720};
  EXPECT_EQ(CheckEntry(listing, "User.Exe", false, when, false, false).finding, EntryFinding::Unchanged);
  EntryCheck changed = CheckEntry(listing, "USER.EXE", false, {8579, 30722}, false, false);
  EXPECT_EQ(changed.finding, EntryFinding::Updated);
  EXPECT_EQ(ParseListingDateTime(changed.oldDateTime), when);
  EXPECT_EQ(CheckEntry(listing, "SYSTEM", true, {1, 1}, false, false).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(listing, "SYSTEM", false, {1, 1}, false, false).finding, EntryFinding::Added);
  BackupListing inis("SYSTEM.INI,1,1\r\nWIN386.SWP,1,1\r\n");
  EXPECT_EQ(CheckEntry(inis, "system.ini", false, {2, 2}, true, false).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(inis, "system.ini", false, {2, 2}, false, true).finding, EntryFinding::Updated);
  EXPECT_EQ(CheckEntry(inis, "win386.swp", false, {2, 2}, false, true).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(inis, "NEW.INI", false, {2, 2}, true, true).finding, EntryFinding::Added);
}

TEST(DirLogic, EntryNamesAndTheKeysOfOlderListings) {
  // What a name allows: an action, a report line only, or a left-out line.
  EXPECT_EQ(ClassifyEntryName("APP.DLL", false), EntryNameUse::Action);
  EXPECT_EQ(ClassifyEntryName("Keep  (DIR)", true), EntryNameUse::Action);  // the folder "Keep  (DIR)"
  EXPECT_EQ(ClassifyEntryName("x  (FILE)", false), EntryNameUse::Action);
  EXPECT_EQ(ClassifyEntryName("Keep  (dir)", false), EntryNameUse::NoAction);
  for (const char* name : {"end.", "end ", "a:b", "a<b", "a>b", "a|b", "a\"b", "a*b", "a?b", "a/b", ""})
    EXPECT_EQ(ClassifyEntryName(name, false), EntryNameUse::NoAction) << name;
  EXPECT_EQ(ClassifyEntryName("dir.", true), EntryNameUse::NoAction);
  EXPECT_EQ(ClassifyEntryName("x\nVICTIM", false), EntryNameUse::Unwritable);
  EXPECT_EQ(ClassifyEntryName("tab\there", true), EntryNameUse::Unwritable);

  // An older listing holds a hidden folder and a "(FILE)" file bare; a new one keys
  // them with their markers. A file "Keep  (DIR)" never finds the folder Keep.
  BackupListing older("Hidden,1,1\r\nx  (FILE),1,1\r\nKeep  (DIR),1,1\r\n");
  EXPECT_EQ(CheckEntry(older, "Hidden", true, {9, 9}, false, false).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(older, "x  (FILE)", false, {1, 1}, false, false).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(older, "Keep  (DIR)", false, {1, 1}, false, false).finding, EntryFinding::Added);
  EXPECT_EQ(CheckEntry(older, "Keep", true, {1, 1}, false, false).finding, EntryFinding::Unchanged);
  BackupListing newer("Keep  (DIR)  (FILE),1,1\r\n");
  EXPECT_EQ(CheckEntry(newer, "Keep  (DIR)", false, {1, 1}, false, false).finding, EntryFinding::Unchanged);
  EXPECT_EQ(CheckEntry(newer, "Keep", true, {1, 1}, false, false).finding, EntryFinding::Added);
  EXPECT_EQ(AddedLine("Keep  (DIR)", false), "ADDED  : Keep  (DIR)  (FILE)");

  // A listing that marks every folder holds a bare name for a file only: a folder that
  // replaced the file "data" is new, and so is a "(FILE)" file found bare.
  BackupListing marked("data,1,1\r\nx  (FILE),1,1\r\n");
  const ListingForm kMarked = ListingForm::EveryFolderMarked;
  EXPECT_EQ(CheckEntry(marked, "data", true, {1, 1}, false, false, kMarked).finding, EntryFinding::Added);
  EXPECT_EQ(CheckEntry(marked, "x  (FILE)", false, {1, 1}, false, false, kMarked).finding, EntryFinding::Added);
  EXPECT_EQ(CheckEntry(marked, "data", false, {1, 1}, false, false, kMarked).finding, EntryFinding::Unchanged);
}

// Uninstall acts on a path of up to 259 UTF-16 units (MAX_PATH less its zero); a name
// beyond the basic plane counts two.
TEST(DirLogic, ActionsOnlyForPathsUninstallCanActOn) {
  const std::string folder = "C:\\" + std::string(200, 'a') + "\\";
  const std::string astral = "\xF0\x9F\x98\x80";  // one character, two UTF-16 units
  const std::string e9 = "\xC3\xA9";                 // one character, one unit
  const struct {
    std::string path;
    bool reachable;
  } cases[] = {
      {folder + std::string(259 - folder.size(), 'b'), true},
      {folder + std::string(260 - folder.size(), 'b'), false},
      {folder + std::string(258 - folder.size(), 'b') + e9, true},
      {folder + std::string(258 - folder.size(), 'b') + astral, false},
      {folder + std::string(257 - folder.size(), 'b') + astral, true},
  };
  for (const auto& c : cases) EXPECT_EQ(UninstallCanReach(c.path), c.reachable) << c.path.size();
}

TEST(DirLogic, ReadsNewAndOldFreeSpaceRecords) {
  EXPECT_EQ(*ParseFreeSpaceRecord("104857600"), 104857600u);
  EXPECT_EQ(*ParseFreeSpaceRecord("6442450944"), 6442450944u);  // beyond 32 bits
  EXPECT_EQ(*ParseFreeSpaceRecord("-1073741824"), 3221225472u);  // an older 3 GiB record
  EXPECT_EQ(*ParseFreeSpaceRecord("-2147483648"), 2147483648u);
  EXPECT_EQ(*ParseFreeSpaceRecord("12 trailing words"), 12u);
  EXPECT_FALSE(ParseFreeSpaceRecord(""));
  EXPECT_FALSE(ParseFreeSpaceRecord("garbage"));
  EXPECT_FALSE(ParseFreeSpaceRecord("-"));
  EXPECT_FALSE(ParseFreeSpaceRecord("99999999999999999999999"));
}

// --- sections against the file system ----------------------------------------

// Writes a listing of `directory` the way backups did before every folder was marked:
// a folder with any attribute beside "directory" (hidden, read-only, ...) without the
// marker. Listings of such backup sets must still compare.

TEST(RegistryLogic, UnchangedSnapshotTestIgnoresCaseAndExtraBackupLines) {
  EXPECT_TRUE(SnapshotsSame("A\r\nA\\B\r\n", "A\r\nA\\B\r\n"));
  EXPECT_TRUE(SnapshotsSame("A\r\nVENDOR\r\n", "a\r\nVendor\r\n"));
  EXPECT_TRUE(SnapshotsSame("A\r\n", "A\r\nDELETED\r\nLAST\r\n"));  // keys deleted last
  EXPECT_TRUE(SnapshotsSame("", ""));
  EXPECT_FALSE(SnapshotsSame("A\r\nB\r\n", "A\r\n"));
  EXPECT_FALSE(SnapshotsSame("A\r\nC\r\n", "A\r\nB\r\n"));
  EXPECT_FALSE(SnapshotsSame("B\r\nA\r\n", "A\r\nB\r\n"));  // same set, other order
}

TEST(RegistryLogic, KeySetMatchesWholeLinesWithCase) {
  SnapshotKeySet keys("Software\r\nSoftware\\Vendor\r\nlast");
  EXPECT_TRUE(keys.Contains("Software"));
  EXPECT_TRUE(keys.Contains("Software\\Vendor"));
  EXPECT_TRUE(keys.Contains("last"));
  EXPECT_FALSE(keys.Contains("Software\\VENDOR"));
  EXPECT_FALSE(keys.Contains("Soft"));
  EXPECT_FALSE(keys.Contains("Software\\Vendor\r"));
  // A long path (beyond the old 398-character pieces) is still one key.
  std::string deep(600, 'k');
  SnapshotKeySet longKeys(deep + "\r\n");
  EXPECT_TRUE(longKeys.Contains(deep));
  EXPECT_FALSE(longKeys.Contains(deep.substr(0, 397)));
}

TEST(IniLogic, LinesAndEntriesAsThePlatformReaderTakesThem) {
  // Every CR and LF ends a line; blanks, tabs, vertical tabs, form feeds and Ctrl-Z at
  // either end are no part of it; empty lines are dropped.
  EXPECT_EQ(SplitIniLines("[386Enh]\rdevice=a.386\r\n\r\n \tk = v \x1a\n\x0bz=1\x0c"),
            (std::vector<std::string>{"[386Enh]", "device=a.386", "k = v", "z=1"}));
  IniLine section = ClassifyIniLine("[ a]b ] junk");
  EXPECT_EQ(section.kind, IniLine::Kind::Section);
  EXPECT_EQ(section.name, "a]b");  // up to the last "]", trimmed
  EXPECT_EQ(ClassifyIniLine("[open=1").kind, IniLine::Kind::Key);  // no "]": an entry
  EXPECT_EQ(ClassifyIniLine("[open=1").key, "[open");
  EXPECT_EQ(ClassifyIniLine(";k=v").kind, IniLine::Kind::Other);
  EXPECT_EQ(ClassifyIniLine("no equals").kind, IniLine::Kind::Other);
  IniLine entry = ClassifyIniLine(" Key \t= a = b ");
  EXPECT_EQ(entry.key, "Key");
  EXPECT_EQ(entry.value, "a = b");
  EXPECT_EQ(WithoutIniQuotes("\"x\""), "x");
  EXPECT_EQ(WithoutIniQuotes("'x\""), "'x\"");
  EXPECT_EQ(WithoutIniQuotes("\""), "\"");
}

TEST(BootLogic, FindingsAreThePiecesTheOtherFileLacksUnderTheirLabels) {
  const std::vector<std::string> backup = SplitLinePieces(":DOS\r\nFILES=30\r\n:WIN\r\nfiles=40\r\n");
  const std::vector<std::string> current =
      SplitLinePieces(":DOS\r\nFILES=30\r\nBUFFERS=9\r\n:WIN\r\nFILES=40\r\nDEVICE=NEW.SYS\r\nX=1");
  // Case does not count; each finding's label is written once before the first of
  // its run; the last piece keeps its last character without a line end.
  EXPECT_EQ(BootPassLines(current, backup),
            (std::vector<std::string>{":DOS\n", "BUFFERS=9\n", ":WIN\n", "DEVICE=NEW.SYS\n", "X=1"}));
  EXPECT_TRUE(BootPassLines(backup, current).empty());
  // A piece at a time gives the same lines, a label line only when one is due.
  BootPass pass(backup);
  EXPECT_TRUE(pass.Take(":DOS\n").empty());
  EXPECT_EQ(pass.Take("NEW\n"), (std::vector<std::string>{":DOS\n", "NEW\n"}));
  EXPECT_EQ(pass.Take("NEWER\n"), (std::vector<std::string>{"NEWER\n"}));
  // A label the other file lacks is written as its label, then as a finding.
  EXPECT_EQ(pass.Take(":MENU\n"), (std::vector<std::string>{":MENU\n", ":MENU\n"}));
}

}  // namespace
}  // namespace tessary
