// The boot-file and INI sections against files of the test's own folders.
#include <memory>
#include <string>

#include "compare/boot_compare.h"
#include "compare/compare_run.h"
#include "compare/ini_compare.h"
#include "compare/logic/compare_text.h"
#include "platform/profile.h"
#include "uninstall/logic/action_file.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::SetLastWrite;
using test::WriteBytes;

const BootFile kAutoexec{"Comparing Autoexec.bat", "AUTOEXEC.BAT", "autoexec.bat", "autoexec",
                         "Error opening autoexec.bat file", "Error opening autoexec backup file"};

class SectionTest : public test::HostTest {
 protected:
  SectionTest()
      : bootDir(dir.MakeDir("BOOT")),
        winDir(dir.MakeDir("WIN")),
        progress(host.progress.Open("report")),
        run{host, *progress, backupDir + "\\T.TSC", backupDir + "\\T.TSU", "tsb", "tsb"} {
    run.bootDirectory = bootDir;
    run.windowsDirectory = winDir;
    run.sameDate = {false, false, false, false, false, false};
    host.state.WindowsDirectory = winDir;
  }
  void Boot(const std::string& current, const std::string& backup) {
    WriteBytes(bootDir + "\\autoexec.bat", current);
    WriteBytes(backupDir + "\\autoexec.tsb", backup);
  }
  void Ini(const std::string& name, const std::string& base, const std::string& current, const std::string& backup) {
    WriteBytes(winDir + "\\" + name, current);
    WriteBytes(backupDir + "\\" + base + ".tsb", backup);
  }
  std::string Report() { return ReadBytes(run.reportPath); }
  std::string Actions() { return ReadBytes(run.actionPath); }

  std::string bootDir, winDir;
  std::unique_ptr<Progress> progress;
  CompareRun run;
};

TEST_F(SectionTest, MultiBootExampleGivesTheNineLines) {
  Boot(":DOS\r\nPATH C:\\DOS;C:\\APP\r\n:WIN\r\nSET TEMP=C:\\TEMP\r\n",
       ":DOS\r\nPATH C:\\DOS\r\n:WIN\r\nSET TEMP=C:\\TEMP\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
  EXPECT_EQ(Report(),
            "====================\r\nAUTOEXEC.BAT File\r\nLines added or modified:\r\n:DOS\r\n"
            "PATH C:\\DOS;C:\\APP\r\n- - -\r\nLines deleted or modified:\r\n:DOS\r\nPATH C:\\DOS\r\n");
  EXPECT_EQ(Actions(), "");
  EXPECT_EQ(host.progress.Mains(), std::vector<std::string>{"Comparing Autoexec.bat"});
}

TEST_F(SectionTest, BootLinesAreASetWithoutRegardToCase) {
  // Case, order and repetitions do not matter.
  Boot("path c:\\dos\r\nSET A=1\r\nSET A=1\r\nPROMPT $P$G\r\n", "PROMPT $P$G\r\nPATH C:\\DOS\r\nSET A=1\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
  EXPECT_EQ(Report(), "");
}

TEST_F(SectionTest, BootLabelsLastLineAndDeletedOnly) {
  // A line before any label has no label; a new label is written as label and as line;
  // a last line without line end differs from the same text with one.
  Boot("ECHO OFF\r\n:NEW\r\nSET X=1\r\nSET Y=2", "SET X=1\r\nSET Y=2\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
  EXPECT_EQ(Report(),
            "====================\r\nAUTOEXEC.BAT File\r\nLines added or modified:\r\nECHO OFF\r\n:NEW\r\n:NEW\r\n"
            "SET Y=2\r\n- - -\r\nLines deleted or modified:\r\nSET Y=2\r\n");
}

TEST_F(SectionTest, BootOnlyDeletedLinesGetTheNoAddedHeading) {
  Boot(":A\r\nX\r\n", ":A\r\nX\r\nY\r\n:B\r\nZ\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
  EXPECT_EQ(Report(),
            "====================\r\nAUTOEXEC.BAT File\r\nNo lines added or modified.\r\n- - -\r\n"
            "Lines deleted or modified:\r\n:A\r\nY\r\n:B\r\n:B\r\nZ\r\n");
}

TEST_F(SectionTest, LongLinesAreComparedInPiecesOf248) {
  const std::string head(248, 'A');
  auto pieces = SplitLinePieces(std::string(300, 'A') + "\r\n" + std::string(247, 'B') + "\r\nlast\x1aignored");
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0], head);
  EXPECT_EQ(pieces[1], std::string(52, 'A') + "\n");
  EXPECT_EQ(pieces[2], std::string(247, 'B') + "\n");
  EXPECT_EQ(pieces[3], "last");
  // 248 characters and a line end: the line end is a piece of its own.
  pieces = SplitLinePieces(std::string(248, 'C') + "\r\n");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[1], "\n");
  // Only the tail of a long line changed: the first piece still matches.
  Boot(head + "TAIL1\r\n", head + "TAIL2\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
  EXPECT_EQ(Report(),
            "====================\r\nAUTOEXEC.BAT File\r\nLines added or modified:\r\nTAIL1\r\n- - -\r\n"
            "Lines deleted or modified:\r\nTAIL2\r\n");
}

TEST_F(SectionTest, SameDateAndBriefAndMissingFiles) {
  Boot("A\r\n", "B\r\n");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, true, true), SectionResult::Done);
  EXPECT_EQ(Report(), "====================\r\nAUTOEXEC.BAT - No changes made (File has same date/time)\r\n");
  run.brief = true;
  WriteBytes(run.reportPath, "");
  EXPECT_EQ(CompareBootFile(run, kAutoexec, true, true), SectionResult::Done);
  EXPECT_EQ(Report(), "");

  // The same-date check: missing files count as same; two seconds resolution.
  const std::string a = bootDir + "\\autoexec.bat", b = backupDir + "\\autoexec.tsb";
  ASSERT_TRUE(SetLastWrite(a, 1996, 5, 1, 10, 0, 0));
  ASSERT_TRUE(SetLastWrite(b, 1996, 5, 1, 10, 0, 1));
  EXPECT_TRUE(SameDateCheck(a, b));
  ASSERT_TRUE(SetLastWrite(b, 1996, 5, 1, 10, 0, 2));
  EXPECT_FALSE(SameDateCheck(a, b));
  EXPECT_TRUE(SameDateCheck(bootDir + "\\none.bat", b));
  EXPECT_TRUE(SameDateCheck(a, backupDir + "\\none.tsb"));

  // A backup copy without its current file and a wrong same-date answer: the error
  // ends the run.
  DeleteFileA(a.c_str());
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Failed);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Error opening autoexec.bat file");
  EXPECT_EQ(host.prompter.boxes[0].caption, "File error");
  // No backup copy: nothing at all, not even the title.
  DeleteFileA(b.c_str());
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Done);
}

TEST_F(SectionTest, BootCancellationAtStartIsQuietAndLaterIsNot) {
  Boot("A\r\nB\r\n", "A\r\n");
  host.progress.cancelAt = 1;
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::CancelledQuietly);
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, false), SectionResult::Cancelled);
  host.progress.checks = 0;
  host.progress.cancelAt = 3;  // start, line A, line B
  EXPECT_EQ(CompareBootFile(run, kAutoexec, false, true), SectionResult::Cancelled);
  EXPECT_EQ(host.progress.checks, 3);
  EXPECT_EQ(Report(), "");
}

const char* const kWinIniHeading = "====================\r\nWIN.INI\r\n------\r\nLines Added or Changed:\r\n- - -\r\n";
const char* const kDeletedHeading = "------\r\nLines Deleted (or ignored with ';'):\r\n- - -\r\n";

TEST_F(SectionTest, AddedLoadLine) {
  Ini("win.ini", "win", "[windows]\r\nload=newapp.exe\r\n", "[windows]\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), std::string(kWinIniHeading) + "[windows]\r\nADDED: load=newapp.exe\r\n" + kDeletedHeading +
                          "No Deleted lines found.\r\n");
  EXPECT_EQ(Actions(), "REMOVE:load=newapp.exe>FROM:WIN.INI[windows]\r\n");
}

TEST_F(SectionTest, IniChangedDeletedCommentedAndIgnored) {
  Ini("win.ini", "win",
      "; top\r\nfree=1\r\n[TessA]\r\nSize=20\r\nCase=ABC\r\nQuote=\"new\"\r\n;Gone=1\r\nno equals\r\n"
      "Twice=1\r\nTwice=2\r\n[TessB]\r\nNew=x\r\n",
      "[TessA]\r\nSize=10\r\nCase=abc\r\nQuote=\"old\"\r\nGone=1\r\nTwice=1\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), std::string(kWinIniHeading) +
                          "[TessA]\r\nFROM:  Size=10\r\nTO:    Size=20\r\nFROM:  Twice=1\r\nTO:    Twice=2\r\n"
                          "[TessB]\r\nADDED: New=x\r\n" +
                          kDeletedHeading + "[TessA]\r\nDELETED: Gone=1\r\n");
  EXPECT_EQ(Actions(),
            "CHANGE:Size=20>TO:10>IN:WIN.INI[TessA]\r\nCHANGE:Twice=2>TO:1>IN:WIN.INI[TessA]\r\n"
            "REMOVE:New=x>FROM:WIN.INI[TessB]\r\nADD:Gone=1>TO:WIN.INI[TessA]\r\n");
}

TEST_F(SectionTest, LastLineWithoutLineEndKeepsItsLastCharacter) {
  // Neither the section name nor the value loses a character to a missing line end.
  Ini("win.ini", "win", "[TessA]\r\nK=12\r\n[TessB]", "[TessA]\r\nK=12");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), std::string(kWinIniHeading) + "No Added or Changed lines found.\r\n" + kDeletedHeading +
                          "No Deleted lines found.\r\n");
  EXPECT_EQ(ClassifyIniLine("[TessB]").name, "TessB");
  EXPECT_EQ(ClassifyIniLine("K=12").value, "12");
  EXPECT_EQ(ClassifyIniLine("[TessB]\n").name, "TessB");
}

TEST_F(SectionTest, DeviceLinesAreSearchedInThe386EnhSection) {
  // A changed device line is one ADDED and one DELETED line; a device line of another
  // section is still looked for in the other file's [386enh] section.
  Ini("system.ini", "system",
      "[386Enh]\r\ndevice=*vpicd\r\nDEVICE=NEW.386\r\ndevice=vcd2.386\r\n",
      "[386enh]\r\nDevice=*VPICD\r\ndevice=vcd.386\r\n[other]\r\ndevice=new.386\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), std::string("====================\r\nSYSTEM.INI\r\n------\r\nLines Added or Changed:\r\n- - -\r\n") +
                          "[386Enh]\r\nADDED: DEVICE=NEW.386\r\nADDED: device=vcd2.386\r\n" + kDeletedHeading +
                          "[386enh]\r\nDELETED: device=vcd.386\r\n");
  EXPECT_EQ(Actions(),
            "REMOVE:DEVICE=NEW.386>FROM:SYSTEM.INI[386Enh]\r\nREMOVE:device=vcd2.386>FROM:SYSTEM.INI[386Enh]\r\n"
            "ADD:device=vcd.386>TO:SYSTEM.INI[386enh]\r\n");
}

TEST_F(SectionTest, IniBriefBlanksAfterBracketAndSameDate) {
  run.brief = true;
  // The blank after the bracket is not part of the section name: the unchanged entry
  // gives no line; the brief report keeps the section line of the one that changed.
  Ini("protocol.ini", "protocol", "[TessP] \r\nA=1\r\nB=2\r\n", "[TessP] \r\nA=1\r\n");
  run.sameDate.win = true;  // win.ini has no backup copy: skipped anyway
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), "====================\r\nPROTOCOL.INI\r\n[TessP]\r\nADDED: B=2\r\nNo Deleted lines found.\r\n");
  EXPECT_EQ(Actions(), "REMOVE:B=2>FROM:PROTOCOL.INI[TessP]\r\n");

  WriteBytes(run.reportPath, "");
  run.brief = false;
  run.sameDate.protocol = true;
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), "====================\r\nPROTOCOL.INI - No changes made (File has same date/time)\r\n");
}

// --- INI lines read the way the platform's INI reader reads them ----------------

const char* const kNoWinIniChanges =
    "====================\r\nWIN.INI\r\n------\r\nLines Added or Changed:\r\n- - -\r\n"
    "No Added or Changed lines found.\r\n"
    "------\r\nLines Deleted (or ignored with ';'):\r\n- - -\r\nNo Deleted lines found.\r\n";

TEST_F(SectionTest, IniSectionHeadersWithTextAroundTheBracketsAreTheSameSection) {
  // A blank or a comment after the bracket, blanks before it or inside it: the section
  // is the text inside the brackets, and an entry that did not change gives no line.
  Ini("win.ini", "win",
      "[boot] \r\nshell=progman.exe\r\n[fonts] ; set by setup\r\nA=1\r\n  [ports]\r\nCOM1:=9600\r\n"
      "[ colors ]\r\nWindow=255\r\n",
      "[boot]\r\nshell=progman.exe\r\n[fonts]\r\nA=1\r\n[ports]\r\nCOM1:=9600\r\n[colors]\r\nWindow=255\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), kNoWinIniChanges);
  EXPECT_EQ(Actions(), "");

  // A real change in such a section names the section as the reader knows it.
  WriteBytes(run.reportPath, "");
  Ini("win.ini", "win", "[boot] ; x\r\nshell=progman.exe\r\nnew=1\r\n", "[boot]\r\nshell=progman.exe\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), std::string(kWinIniHeading) + "[boot]\r\nADDED: new=1\r\n" + kDeletedHeading +
                          "No Deleted lines found.\r\n");
  EXPECT_EQ(Actions(), "REMOVE:new=1>FROM:WIN.INI[boot]\r\n");
}

TEST_F(SectionTest, IniSectionNamesAgreeWithThePlatformReader) {
  // Each header is read by the platform and by the compare: the names must agree.
  const char* headers[] = {"[boot]",   "[boot] ",        "[boot] ; comment", "  [boot]", "[ boot ]",
                           "[a]b]",    "[a]b] ; x]",     "[s]tail",          "\t[s]\t",  "[s]\x1a",
                           "[x[y]",    "[Mixed Case ]"};
  int n = 0;
  for (const char* header : headers) {
    const std::string path = winDir + "\\probe" + std::to_string(++n) + ".ini";
    WriteBytes(path, std::string(header) + "\r\nk=v\r\n");
    std::vector<std::string> platform = ProfileSections(path);
    ASSERT_EQ(platform.size(), 1u) << header;
    IniLine line = ClassifyIniLine(header);
    EXPECT_EQ(line.kind, IniLine::Kind::Section) << header;
    EXPECT_EQ(line.name, platform[0]) << header;
  }
  // A line that begins with "[" but has no "]" is no header for the platform.
  EXPECT_NE(ClassifyIniLine("[open").kind, IniLine::Kind::Section);
}

TEST_F(SectionTest, IniEntriesThatDifferOnlyInWhatTheReaderIgnoresAreUnchanged) {
  // Blanks around the key and the value, a trailing tab or Ctrl-Z, lone CR line ends,
  // single quotes, a value longer than one 248-character piece, a value that reads
  // "Not Found", and a last line without its line end: none of them is a change. (The
  // section is one of the test's own: the system reads some win.ini sections, such as
  // [windows], from the registry.)
  const std::string longValue(300, 'v');
  Ini("win.ini", "win",
      "[TessW]\r\n  load  =  app.exe  \r\nrun=x.exe\t\r\nbeep=yes\x1a\r\nq='quoted'\r\nlong=" + longValue +
          "\r\nstate=Not Found\r\n[mac]\rA=1\rB=2\r[last]\r\nz=1",
      "[TessW]\r\nload=app.exe\r\nrun=x.exe\r\nbeep=yes\r\nq='quoted'\r\nlong=" + longValue +
          "\r\nstate=Not Found\r\n[mac]\r\nA=1\r\nB=2\r\n[last]\r\nz=1\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), kNoWinIniChanges);
  EXPECT_EQ(Actions(), "");

  // A long value that did change is written back whole, never cut to a piece.
  WriteBytes(run.reportPath, "");
  Ini("win.ini", "win", "[TessW]\r\nlong=" + longValue + "X\r\n", "[TessW]\r\nlong=" + longValue + "\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Actions(), "CHANGE:long=" + longValue + "X>TO:" + longValue + ">IN:WIN.INI[TessW]\r\n");
}

TEST_F(SectionTest, IniRepeatedSectionsCompareCleanWhenUnchanged) {
  // The reader sees only the first of two sections of one name; an entry it cannot see
  // in either file is no change. Device lines are looked for in every [386Enh] section.
  const std::string text =
      "[386Enh]\r\ndevice=*vpicd\r\n[boot]\r\nshell=progman.exe\r\n[386Enh]\r\ndevice=late.386\r\n"
      "hidden=1\r\n";
  Ini("system.ini", "system", text, text);
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report().find("ADDED"), std::string::npos) << Report();
  EXPECT_EQ(Report().find("DELETED"), std::string::npos) << Report();
  EXPECT_EQ(Actions(), "");
}

TEST_F(SectionTest, DeviceLinesThatDifferOnlyInTheirLineEndAreUnchanged) {
  // The last line without CR LF, a trailing blank, blanks around "=" or before the line:
  // the same driver line, so nothing is reported and no action removes it.
  Ini("system.ini", "system", "[386Enh]\r\ndevice=*vpicd \r\n  DEVICE = vcd.386\r\ndevice=last.386",
      "[386enh]\r\ndevice=*vpicd\r\ndevice=vcd.386\r\ndevice=last.386\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  EXPECT_EQ(Report(), "====================\r\nSYSTEM.INI\r\n------\r\nLines Added or Changed:\r\n- - -\r\n"
                      "No Added or Changed lines found.\r\n" +
                          std::string(kDeletedHeading) + "No Deleted lines found.\r\n");
  EXPECT_EQ(Actions(), "");
}

TEST_F(SectionTest, IniFindingsInASectionNamedWithABracketNeverNameAnotherSection) {
  // "[a]b]" is the section "a]b" for the reader. An action line that the uninstall
  // file's reader would take for the section "a" (whose own new=1 did not change) must
  // not be written: the finding is reported and, without an action, says why.
  Ini("win.ini", "win", "[a]b]\r\nnew=1\r\n[a]\r\nnew=1\r\n", "[a]\r\nnew=1\r\n");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  const std::string report = Report();
  EXPECT_EQ(report.rfind(std::string(kWinIniHeading) + "[a]b]\r\nADDED: new=1\r\n", 0), 0u) << report;
  const std::string actions = Actions();
  if (actions.empty()) {
    EXPECT_NE(report.find(std::string("ADDED: new=1\r\n") + kNoActionNote + "\r\n"), std::string::npos) << report;
  }
  for (const std::string& line : SplitActionLines(actions)) {
    std::optional<IniAction> parsed = ParseRemoveAction(line);
    ASSERT_TRUE(parsed) << line;
    EXPECT_EQ(parsed->section, "A]B") << line;
  }
  EXPECT_EQ(report.find("DELETED"), std::string::npos) << report;
}

// A file with a byte-order mark is read as the system reads it (the mark is no part of
// the first line); an entry of a repeated section, which the system's reader never reads,
// is reported when the other file holds it in no section of that name, with a note why
// no action undoes it.
TEST_F(SectionTest, IniFilesWithAMarkAndRepeatedSectionsAreCompared) {
  const auto utf16 = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::string added = std::string(kWinIniHeading) + "[TessA]\r\nADDED: run=C:\\evil.exe\r\n" + kDeletedHeading +
                            "No Deleted lines found.\r\n";
  const std::string removeAction = "REMOVE:run=C:\\evil.exe>FROM:WIN.INI[TessA]\r\n";
  struct Case {
    const char* name;
    std::string current, backup, report, actions;
  };
  const Case cases[] = {
      {"UTF-8 mark", bom + "[TessA]\r\nk=1\r\nrun=C:\\evil.exe\r\n", bom + "[TessA]\r\nk=1\r\n", added,
       removeAction},
      {"UTF-16", utf16("[TessA]\r\nk=1\r\nrun=C:\\evil.exe\r\n"), utf16("[TessA]\r\nk=1\r\n"), added, removeAction},
      {"mark added", bom + "[TessA]\r\nk=1\r\nrun=C:\\evil.exe\r\n", "[TessA]\r\nk=1\r\n", added, removeAction},
      {"repeated section", "[Dup]\r\na=1\r\n[Mid]\r\n[Dup]\r\nb=2\r\nc=3\r\n", "[Dup]\r\na=1\r\n[Mid]\r\n[Dup]\r\nb=2\r\n",
       std::string(kWinIniHeading) + "[Dup]\r\nADDED: c=3\r\n" + kRepeatedSectionNote + "\r\n" + kDeletedHeading +
           "No Deleted lines found.\r\n",
       ""},
      {"repeated section, deleted", "[Dup]\r\na=1\r\n[Dup]\r\n", "[Dup]\r\na=1\r\n[Dup]\r\nb=2\r\n",
       std::string(kWinIniHeading) + "No Added or Changed lines found.\r\n" + kDeletedHeading +
           "[Dup]\r\nDELETED: b=2\r\n" + kRepeatedSectionNote + "\r\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(run.reportPath, "");
    WriteBytes(run.actionPath, "");
    Ini("win.ini", "win", c.current, c.backup);
    EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
    EXPECT_EQ(Report(), c.report);
    EXPECT_EQ(Actions(), c.actions);
  }
}

TEST_F(SectionTest, IniMissingCurrentFileAndCancellation) {
  WriteBytes(backupDir + "\\win.tsb", "[TessA]\r\nK=1\r\n");
  const std::string current = winDir + "\\win.ini";
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Done);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Error opening file.");
  EXPECT_EQ(host.prompter.boxes[0].caption, current);
  // The failed pass writes no "No Added or Changed" line; the deleted pass still runs.
  EXPECT_EQ(Report(), std::string(kWinIniHeading) + kDeletedHeading + "[TessA]\r\nDELETED: K=1\r\n");

  // Checks: title, after-pass-start, section line, ... Cancel at the section line of the
  // first pass: the pass ends and nothing more is written.
  WriteBytes(run.reportPath, "");
  WriteBytes(current, "[TessA]\r\nK=2\r\n");
  host.progress.checks = 0;
  host.progress.cancelAt = 2;
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Cancelled);
  EXPECT_EQ(Report(), kWinIniHeading);
  host.progress.checks = 0;
  host.progress.cancelAt = 1;
  WriteBytes(run.reportPath, "");
  EXPECT_EQ(CompareIniFiles(run), SectionResult::Cancelled);
  EXPECT_EQ(Report(), "");
}

}  // namespace
}  // namespace tessary
