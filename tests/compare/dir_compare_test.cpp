// Directory and free-space sections against real folders of the test prefix.
#include <gtest/gtest.h>

#include <algorithm>

#include "compare/compare_run.h"
#include "compare/dir_compare.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/dir_logic.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "section_test.h"
#include "snapshot/backup_set.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::SetAttributes;
using test::SetLastWrite;
using test::WriteBytes;

void WriteOldStyleListing(const std::string& directory, const std::string& listingPath) {
  std::string out;
  DirSearch search(directory + "\\*.*");
  FindEntry e;
  while (search.Next(e)) {
    bool isDir = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!isDir && (e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
    DosDateTime d = ToDosDateTime(e.lastWrite);
    out += e.name + (e.attributes == FILE_ATTRIBUTE_DIRECTORY ? "  (DIR)" : "") + "," + std::to_string(d.date) +
           "," + std::to_string(d.time) + "\r\n";
  }
  WriteBytes(listingPath, out);
}

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

class DirCompareTest : public test::SectionRunTest {
};

// A name beyond the machine's ANSI code page is reported and made an action by its real
// name, in UTF-8 (once it was "?" and its action refused); an ASCII name is unchanged.
TEST_F(DirCompareTest, NamesOfAnyLanguageAreReportedAndActedOnByTheirRealNames) {
  std::string folder = dir.MakeDir("APPS");
  WriteOldStyleListing(folder, backupDir + "\\optdir1.tsb");
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt";  // three kanji
  test::MakeFileNamed(folder, L"\u65E5\u672C\u8A9E.txt");
  test::MakeDirNamed(folder, L"Caf\u00E9 \u03B1");
  WriteBytes(folder + "\\plain.txt", "x");
  EXPECT_EQ(CompareOneDirectory(run, folder, backupDir + "\\optdir1.tsb"), SectionResult::Done);
  std::vector<std::string> lines = Lines(Report());
  ASSERT_EQ(lines.size(), 5u) << Report();
  std::vector<std::string> findings(lines.begin() + 2, lines.end());
  std::sort(findings.begin(), findings.end());
  EXPECT_EQ(findings, (std::vector<std::string>{"ADDED  : Caf\xC3\xA9 \xCE\xB1  (DIR)", "ADDED  : plain.txt",
                                                "ADDED  : " + japanese}));
  std::vector<std::string> actions = Lines(Actions());
  std::sort(actions.begin(), actions.end());
  EXPECT_EQ(actions, (std::vector<std::string>{"REMOVEFILE:Caf\xC3\xA9 \xCE\xB1  (DIR)>FROM:" + folder,
                                               "REMOVEFILE:plain.txt>FROM:" + folder,
                                               "REMOVEFILE:" + japanese + ">FROM:" + folder}));
}

// A listing written before names were kept in UTF-8 holds them in the machine's ANSI
// code page: the file it names is the same file, not a new one.
TEST_F(DirCompareTest, OlderListingsNameTheirEntriesInTheAnsiCodePage) {
  std::string folder = dir.MakeDir("OLD");
  const std::string cafe = test::MakeFileNamed(folder, L"caf\u00E9.txt");
  SetLastWrite(cafe, 1996, 12, 7, 9, 5, 10);
  WriteBytes(backupDir + "\\optdir2.tsb", "caf\xE9.txt,8583,18597\r\n");
  EXPECT_EQ(CompareOneDirectory(run, folder, backupDir + "\\optdir2.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "");
  EXPECT_EQ(Actions(), "");
}

TEST_F(DirCompareTest, ReportsAddedAndUpdatedEntriesWithActions) {
  std::string win = dir.MakeDir("WINDOWS");
  WriteBytes(win + "\\USER.EXE", "x");
  SetLastWrite(win + "\\USER.EXE", 1995, 7, 1, 9, 30, 0);
  WriteBytes(win + "\\GONE.DLL", "x");
  std::string sub = dir.MakeDir("WINDOWS\\OLDDIR");
  WriteBytes(win + "\\SAME.TXT", "x");
  WriteOldStyleListing(win, backupDir + "\\windir.tsb");

  SetLastWrite(win + "\\USER.EXE", 1996, 12, 3, 15, 0, 0);
  DeleteFileA((win + "\\GONE.DLL").c_str());
  dir.MakeDir("WINDOWS\\NEWAPP");
  WriteBytes(sub + "\\INSIDE.TXT", "changes the directory's date");  // never UPDATED
  WriteBytes(win + "\\HIDDEN.DAT", "x");
  SetAttributes(win + "\\HIDDEN.DAT", FILE_ATTRIBUTE_HIDDEN);
  std::string ro = dir.MakeDir("WINDOWS\\RODIR");
  SetAttributes(ro, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(CompareOneDirectory(run, win, backupDir + "\\windir.tsb"), SectionResult::Done);
  EXPECT_FALSE(run.noChangesFound);
  std::vector<std::string> lines = Lines(Report());
  ASSERT_EQ(lines.size(), 5u) << Report();
  EXPECT_EQ(lines[0], "===============");
  EXPECT_EQ(lines[1], win + " Directory");
  std::vector<std::string> findings(lines.begin() + 2, lines.end());
  std::sort(findings.begin(), findings.end());
  EXPECT_EQ(findings[0], "ADDED  : NEWAPP  (DIR)");
  EXPECT_EQ(findings[1], "ADDED  : RODIR  (DIR)");  // a hidden folder is a folder too
  EXPECT_EQ(findings[2], "UPDATED: USER.EXE\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  std::vector<std::string> actions = Lines(Actions());
  std::sort(actions.begin(), actions.end());
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0], "REMOVEFILE:NEWAPP  (DIR)>FROM:" + win);
  EXPECT_EQ(actions[1], "REMOVEFILE:RODIR  (DIR)>FROM:" + win);
  EXPECT_EQ(Report().substr(Report().size() - 2), "\r\n");
  SetAttributes(ro, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(DirCompareTest, AFileNamedLikeAFolderIsNeverTakenForTheFolder) {
  // "Keep  (DIR)" is a file. Listed and reported bare, it read exactly like the folder
  // Keep, and its REMOVEFILE line removed that folder. A file of that name is listed so
  // that it stays a file, reported as one, and given no action; a folder made where
  // such a file stood at backup time is new.
  // The folder is hidden, as C:\ProgramData is: older backups listed it bare.
  std::string d = dir.MakeDir("D");
  std::string keepFolder = dir.MakeDir("D\\Keep");
  ASSERT_TRUE(SetAttributes(keepFolder, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  WriteBytes(d + "\\Old  (DIR)", "a file");
  ASSERT_TRUE(tessary::WriteListing(d, backupDir + "\\d.tsb"));
  WriteBytes(d + "\\Keep  (DIR)", "a file");
  dir.MakeDir("D\\Old");
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Done);
  std::vector<std::string> lines = Lines(Report());
  ASSERT_EQ(lines.size(), 5u) << Report();
  EXPECT_EQ(lines[1], d + " Directory");
  std::vector<std::string> findings(lines.begin() + 2, lines.end());
  auto keep = std::find(findings.begin(), findings.end(), "ADDED  : Keep  (DIR)  (FILE)");
  ASSERT_NE(keep, findings.end()) << Report();
  ASSERT_NE(keep + 1, findings.end());
  EXPECT_EQ(*(keep + 1), kNoActionNote);
  EXPECT_NE(std::find(findings.begin(), findings.end(), "ADDED  : Old  (DIR)"), findings.end()) << Report();
  EXPECT_EQ(Actions(), "REMOVEFILE:Old  (DIR)>FROM:" + d + "\r\n");
  SetAttributes(keepFolder, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(DirCompareTest, FoldersWithOtherAttributesAreFoldersAndOlderListingsStillCompare) {
  // A backup written before every folder was marked listed Hidden and ReadOnly bare.
  // Their attributes change; nothing else does: no line. A new hidden folder is a
  // folder the undo can remove.
  std::string d = dir.MakeDir("D");
  std::string hidden = dir.MakeDir("D\\Hidden");
  std::string readOnly = dir.MakeDir("D\\ReadOnly");
  std::string plain = dir.MakeDir("D\\Plain");
  ASSERT_TRUE(SetAttributes(hidden, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetAttributes(readOnly, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
  WriteOldStyleListing(d, backupDir + "\\old.tsb");
  ASSERT_EQ(ReadBytes(backupDir + "\\old.tsb").find("Hidden  (DIR)"), std::string::npos);
  ASSERT_TRUE(SetAttributes(hidden, FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_TRUE(SetAttributes(plain, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\old.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "");
  EXPECT_EQ(Actions(), "");

  // The same with a listing of today's backup, and a new hidden folder.
  ASSERT_TRUE(tessary::WriteListing(d, backupDir + "\\new.tsb"));
  std::string made = dir.MakeDir("D\\Made");
  ASSERT_TRUE(SetAttributes(made, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\new.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "===============\r\n" + d + " Directory\r\nADDED  : Made  (DIR)\r\n");
  EXPECT_EQ(Actions(), "REMOVEFILE:Made  (DIR)>FROM:" + d + "\r\n");
  for (const std::string& folder : {hidden, readOnly, plain, made}) SetAttributes(folder, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(DirCompareTest, NamesThatTheSystemWouldReadAsOtherNamesGetNoAction) {
  // A name ending in a dot or a blank exists (made through "\\?\"), but the system's
  // path handling drops that end: "trail." would name "trail", or with the dot the
  // folder itself. Such entries are reported, and the report says why there is no
  // action.
  std::string d = dir.MakeDir("D");
  WriteBytes(backupDir + "\\d.tsb", "");
  const std::string raw = "\\\\?\\" + d;
  for (const char* name : {"\\trail.", "\\blank "}) {
    HANDLE file = CreateFileA((raw + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    CloseHandle(file);
  }
  WriteBytes(d + "\\trail", "the file that the dotted name would reach");
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Done);
  std::string report = Report();
  EXPECT_NE(report.find(std::string("ADDED  : trail.\r\n") + kNoActionNote + "\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find(std::string("ADDED  : blank \r\n") + kNoActionNote + "\r\n"), std::string::npos) << report;
  EXPECT_EQ(Actions(), "REMOVEFILE:trail>FROM:" + d + "\r\n");
  DeleteFileA((raw + "\\trail.").c_str());
  DeleteFileA((raw + "\\blank ").c_str());
}

TEST_F(DirCompareTest, AFolderMadeSinceTheBackupReportsItsEntriesButNotItselfOrItsParent) {
  std::string win = dir.MakeDir("WINDOWS");
  std::string sys = win + "\\SYSTEM";
  WriteOldStyleListing(sys, backupDir + "\\sysdir.tsb");  // not there yet: an empty listing
  ASSERT_EQ(ReadBytes(backupDir + "\\sysdir.tsb"), "");
  dir.MakeDir("WINDOWS\\SYSTEM");
  WriteBytes(sys + "\\SHARELIB.DLL", "x");
  EXPECT_EQ(CompareOneDirectory(run, sys, backupDir + "\\sysdir.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "===============\r\n" + sys + " Directory\r\nADDED  : SHARELIB.DLL\r\n");
  EXPECT_EQ(Actions(), "REMOVEFILE:SHARELIB.DLL>FROM:" + sys + "\r\n");
}

TEST_F(DirCompareTest, UnchangedDirectoryWritesNothingAndExcludesApply) {
  std::string d = dir.MakeDir("D");
  WriteBytes(d + "\\SYSTEM.INI", "x");
  SetLastWrite(d + "\\SYSTEM.INI", 1996, 1, 1, 8, 0, 0);
  WriteOldStyleListing(d, backupDir + "\\d.tsb");
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "");
  EXPECT_TRUE(run.noChangesFound);

  Set(settings::kExcludeIni, "YES");
  SetLastWrite(d + "\\SYSTEM.INI", 1996, 1, 2, 8, 0, 0);
  WriteBytes(d + "\\NEW.INI", "x");
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Done);
  EXPECT_EQ(Report(), "===============\r\n" + d + " Directory\r\nADDED  : NEW.INI\r\n");
  EXPECT_EQ(Actions(), "REMOVEFILE:NEW.INI>FROM:" + d + "\r\n");
}

TEST_F(DirCompareTest, ListingAndOutputErrorsSkipTheDirectory) {
  std::string d = dir.MakeDir("D");
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\missing.tsb"), SectionResult::Done);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Error opening backup file.");
  EXPECT_EQ(host.prompter.boxes[0].caption, backupDir + "\\missing.tsb");

  WriteBytes(backupDir + "\\d.tsb", "");
  run.actionPath = dir / "NOFOLDER\\X.TSU";
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Done);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[1].text, "Error opening uninstall file.");
  EXPECT_EQ(host.prompter.boxes[1].caption, "File error");
  EXPECT_EQ(Report(), "");  // nothing written for a skipped directory
}

TEST_F(DirCompareTest, CancelDuringEntriesStopsTheSection) {
  std::string d = dir.MakeDir("D");
  for (int i = 0; i < 5; ++i) WriteBytes(d + "\\F" + std::to_string(i), "x");
  WriteBytes(backupDir + "\\d.tsb", "");
  host.progress.cancelAt = 3;
  EXPECT_EQ(CompareOneDirectory(run, d, backupDir + "\\d.tsb"), SectionResult::Cancelled);
  // Two entries were examined before the third check saw the cancel.
  EXPECT_EQ(Lines(Report()).size(), 4u);
}

TEST_F(DirCompareTest, DisabledSectionsWriteTheirNotScannedLines) {
  std::string win = dir.MakeDir("WINDOWS");
  host.state.WindowsDirectory = win;
  for (const SettingKey* key : {&settings::kDirWin, &settings::kDirSys, &settings::kDirFonts, &settings::kDirInf,
                                &settings::kDirHelp, &settings::kDirProg, &settings::kDirRoots})
    Set(*key, "no");
  // The Start Menu is compared always: its missing listing gives the open error.
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareDirectories(run), SectionResult::Done);
  EXPECT_EQ(Report(),
            "--Windows Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--System Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--Fonts Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--Inf Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--Help Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--Program Files Directory not scanned. User has disabled scanning of this Directory.\r\n"
            "--Root Directories not scanned. User has disabled scanning of these Directories.\r\n");
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Error opening backup file.");
  EXPECT_EQ(host.prompter.boxes[0].caption, backupDir + "\\startdir.tsb");
  EXPECT_TRUE(run.noChangesFound);
}

TEST_F(DirCompareTest, SectionsRunInOrderWithTheirTitles) {
  std::string win = dir.MakeDir("WINDOWS");
  host.state.WindowsDirectory = win;
  std::string system = dir.MakeDir("WINDOWS\\SYSTEM");
  WriteOldStyleListing(win, backupDir + "\\windir.tsb");
  WriteOldStyleListing(system, backupDir + "\\sysdir.tsb");
  WriteBytes(backupDir + "\\startdir.tsb", "");
  WriteBytes(system + "\\NEW.DLL", "x");
  Set(settings::kDirRoots, "no");
  EXPECT_EQ(CompareDirectories(run), SectionResult::Done);
  std::vector<std::string> mains = host.progress.Mains();
  ASSERT_GE(mains.size(), 3u);
  EXPECT_EQ(mains[0], "Comparing Windows Directory");
  EXPECT_EQ(mains[1], "Comparing System Directory");
  EXPECT_EQ(mains[2], "Comparing Start Menu");
  std::string report = Report();
  // WINDOWS gained the SYSTEM folder's date change only; SYSTEM gained NEW.DLL.
  EXPECT_NE(report.find("===============\r\n" + system + " Directory\r\nADDED  : NEW.DLL\r\n"), std::string::npos)
      << report;
  EXPECT_NE(Actions().find("REMOVEFILE:NEW.DLL>FROM:" + system + "\r\n"), std::string::npos);
}

TEST_F(DirCompareTest, UserDirectoryNeedsAMatchingNameFile) {
  std::string win = dir.MakeDir("WINDOWS");
  host.state.WindowsDirectory = win;
  for (const SettingKey* key : {&settings::kDirWin, &settings::kDirSys, &settings::kDirFonts, &settings::kDirInf,
                                &settings::kDirHelp, &settings::kDirProg, &settings::kDirRoots})
    Set(*key, "no");
  WriteBytes(backupDir + "\\startdir.tsb", "");
  std::string user = dir.MakeDir("USERDIR");
  std::string blank = dir.MakeDir("USER DIR");
  Set(settings::kOptDir[0], user);
  Set(settings::kOptDir[1], blank);
  Set(settings::kOptDir[2], dir / "NOTTHERE");
  WriteBytes(backupDir + "\\optdir2.nam", dir / "USER");
  // Directory 1 has no name file yet; directory 2's name file names another folder
  // (only the first word of its own path): both refused.
  host.prompter.Answer(id::kOk).Answer(id::kOk);
  EXPECT_EQ(CompareDirectories(run), SectionResult::Done);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[0].text, kUserDirMismatchText);
  EXPECT_EQ(host.prompter.boxes[0].caption, user);
  EXPECT_EQ(host.prompter.boxes[1].caption, blank);

  // With name files written by a backup of each, both are compared, the one with a
  // blank in its path too.
  WriteBytes(backupDir + "\\optdir1.nam", user);
  WriteOldStyleListing(user, backupDir + "\\optdir1.tsb");
  WriteBytes(user + "\\ADDED.TXT", "x");
  WriteBytes(backupDir + "\\optdir2.nam", blank);
  WriteOldStyleListing(blank, backupDir + "\\optdir2.tsb");
  WriteBytes(blank + "\\OTHER.TXT", "x");
  EXPECT_EQ(CompareDirectories(run), SectionResult::Done);
  EXPECT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_NE(Report().find(user + " Directory\r\nADDED  : ADDED.TXT\r\n"), std::string::npos) << Report();
  EXPECT_NE(Report().find(blank + " Directory\r\nADDED  : OTHER.TXT\r\n"), std::string::npos) << Report();
  EXPECT_EQ(host.progress.Mains().back(), "Comparing " + blank + " Directory");
}

TEST_F(DirCompareTest, FreeSpaceReportsEachRecordedFixedDrive) {
  std::string win = dir.MakeDir("WINDOWS");
  host.state.WindowsDirectory = win;
  EXPECT_TRUE(ProfileWrite(win + "\\system.ini", "386enh", "PagingDrive", "C:"));
  EXPECT_TRUE(ProfileWrite(win + "\\system.ini", "386enh", "PagingFile", dir / "none.swp"));
  // No record: the section is only its two rulers.
  EXPECT_EQ(CompareFreeSpace(run), SectionResult::Done);
  EXPECT_EQ(Report(), "- - - - -\r\n- - - - -\r\n");

  // Far more free before than any disk has now: a decrease with the paging note.
  WriteBytes(backupDir + "\\C_free.tsb", "999999999999999");
  WriteBytes(run.reportPath, "");
  EXPECT_EQ(CompareFreeSpace(run), SectionResult::Done);
  std::string report = Report();
  EXPECT_EQ(report.rfind("- - - - -\r\nDecrease in free disk space on drive C:  ", 0), 0u) << report;
  EXPECT_NE(report.find(" Bytes. Free before: 999,999,999,999,999. Free now: "), std::string::npos);
  EXPECT_NE(report.find(".\r\n* * Windows Paging (swap) file located on this drive (C:) \r\n* * Reported change in "
                        "free space may not be accurate due to dynamic paging.\r\n- - - - -\r\n"),
            std::string::npos);

  // An older negative record reads as its unsigned 32-bit count; a record of 0 is
  // an increase; without a paging drive the increase falls back to the Windows
  // directory's drive for its note, the decrease has no note.
  EXPECT_TRUE(ProfileDeleteKey(win + "\\system.ini", "386enh", "PagingDrive"));
  WriteBytes(backupDir + "\\C_free.tsb", "0");
  WriteBytes(run.reportPath, "");
  EXPECT_EQ(CompareFreeSpace(run), SectionResult::Done);
  report = Report();
  EXPECT_EQ(report.rfind("- - - - -\r\nIncrease in free disk space on drive C:  ", 0), 0u) << report;
  EXPECT_NE(report.find("Free before: 0. Free now: "), std::string::npos);
  EXPECT_NE(report.find("* * Windows Paging (swap) file located on this drive (C:) "), std::string::npos);

  WriteBytes(backupDir + "\\C_free.tsb", "not a number");
  WriteBytes(run.reportPath, "");
  EXPECT_EQ(CompareFreeSpace(run), SectionResult::Done);
  EXPECT_EQ(Report(), "- - - - -\r\n- - - - -\r\n");
}

}  // namespace
}  // namespace tessary
