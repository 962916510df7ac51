// The compare run as the Compare dialog starts it: naming, header, failures,
// cancellation and the verdict.
#include <algorithm>
#include <string>

#include "compare/compare_dlg.h"
#include "compare/compare_run.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/install_summary.h"
#include "platform/files.h"
#include "platform/text_lines.h"
#include "testbed.h"
#include "uninstall/evidence_live.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::SetLastWrite;
using test::WriteBytes;

std::string CrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class CompareRunTest : public test::HostTest {
 protected:
  CompareRunTest() : bootDir(dir.MakeDir("BOOT")), winDir(dir.MakeDir("WIN")) {
    host.state.WindowsDirectory = winDir;
    WriteBytes(winDir + "\\win.ini", "[TessA]\r\nK=1\r\n");
    WriteBytes(winDir + "\\system.ini", "[TessS]\r\n");
    // The Start Menu section always reads its listing.
    WriteBytes(Path("startdir.tsb"), "");
  }
  // OK in the dialog: true when the dialog closes; lastCompareFile is then the report
  // the run wrote, or empty.
  bool Ok(const std::string& name) {
    CompareOkResult result = CompareOk(host, name, nullptr, {}, bootDir);
    lastCompareFile = result.reportPath;
    return !result.stay;
  }
  std::string Path(const std::string& name) { return backupDir + "\\" + name; }

  std::string bootDir, winDir;
  std::string lastCompareFile;
};

TEST_F(CompareRunTest, ProposedName) {
  EXPECT_EQ(ProposeCompareName(host), "COMPARE");
  Set(settings::kDefaultName, "compare");
  EXPECT_EQ(ProposeCompareName(host), "COMPARE");
  Set(settings::kDefaultName, "date");
  EXPECT_EQ(ProposeCompareName(host), "12070905");  // 7 December, 09:05
  Set(settings::kDefaultName, "Compare");
  host.state.SentinoxPass = true;
  EXPECT_EQ(ProposeCompareName(host), "12070905");
}

TEST_F(CompareRunTest, InteractiveRunWritesHeaderAndNeverReportsNoChanges) {
  ASSERT_TRUE(Ok("COMPARE"));
  const std::string report = Path("COMPARE.TSC");
  EXPECT_EQ(lastCompareFile, report);
  const std::string text = ReadBytes(report);
  EXPECT_TRUE(StartsWith(text, CrLf(CompareHeaderText(false, report, false)))) << text;
  EXPECT_TRUE(StartsWith(text, "Tessary configuration file comparison file.\r\n" + report +
                                   "\r\n========================================\r\nEvery line"));
  EXPECT_EQ(text.find("---No Changes found---"), std::string::npos);
  EXPECT_TRUE(FileExists(Path("COMPARE.TSU")));
  ASSERT_FALSE(host.progress.events.empty());
  EXPECT_EQ(host.progress.events.front(), "open:" + report);
  auto mains = host.progress.Mains();
  EXPECT_NE(std::find(mains.begin(), mains.end(), "Comparing Registry"), mains.end());
  EXPECT_EQ(host.progress.open, 0);
}

// With registry values (or deep tracking) on, the install summary sits between the header
// and the first section; without them the report is as it always was.
TEST_F(CompareRunTest, TheSummaryComesBeforeTheSectionsOnlyWithValuesOrDeepTracking) {
  ASSERT_TRUE(Ok("PLAIN"));
  const std::string plain = ReadBytes(Path("PLAIN.TSC"));
  EXPECT_EQ(plain.find("SUMMARY:"), std::string::npos);
  EXPECT_FALSE(ReadSummaryBlock(plain));

  Set(settings::kRecordValues, "yes");
  ASSERT_TRUE(Ok("SUMMED"));
  const std::string report = Path("SUMMED.TSC");
  const std::string text = ReadBytes(report);
  const std::string header = CrLf(CompareHeaderText(false, report, false));
  ASSERT_TRUE(StartsWith(text, header + "SUMMARY: what this install did, ")) << text;
  const std::size_t end = text.find("END OF SUMMARY\r\n");
  ASSERT_NE(end, std::string::npos);
  EXPECT_TRUE(StartsWith(text.substr(end + 16), "================\r\nRegistry keys ADDED:")) << text.substr(end);
  EXPECT_TRUE(ReadSummaryBlock(text));
}

TEST_F(CompareRunTest, BriefHeaderLongNameAndOverwriteQuestion) {
  Set(settings::kBriefDescription, "YES");
  const std::string name60(60, 'N');
  const std::string report = Path(std::string(48, 'N') + ".TSC");
  ASSERT_TRUE(Ok(name60));
  EXPECT_EQ(lastCompareFile, report);
  EXPECT_TRUE(StartsWith(ReadBytes(report), "Tessary configuration file comparison file.\r\n" + report + "\r\n"));
  EXPECT_EQ(ReadBytes(report).find("Every line in your current"), std::string::npos);

  // No: the dialog stays open and nothing is written.
  WriteBytes(report, "old");
  host.prompter.Answer(id::kNo);
  EXPECT_FALSE(Ok(name60));
  EXPECT_EQ(lastCompareFile, "");
  EXPECT_EQ(ReadBytes(report), "old");
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Filename already exists, overwrite file?");
  EXPECT_EQ(host.prompter.boxes[0].caption, report);
  EXPECT_EQ(host.prompter.boxes[0].style & 0xF, mb::kYesNo);
  host.prompter.Answer(id::kYes);
  EXPECT_TRUE(Ok(name60));
  EXPECT_EQ(lastCompareFile, report);
}

TEST_F(CompareRunTest, AnInteractiveRunAsksBeforeEmptyingTheActionsOfASentinoxReport) {
  // A Sentinox report of the same name owns NAME.TSU; no .TSC of that name exists.
  WriteBytes(Path("12070905.SNC"), "report");
  WriteBytes(Path("12070905.TSU"), "REMOVEFILE:A>FROM:C:\\X\r\n");
  host.prompter.Answer(id::kNo);
  EXPECT_FALSE(Ok("12070905"));
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Filename already exists, overwrite file?");
  EXPECT_EQ(host.prompter.boxes[0].caption, Path("12070905.TSU"));
  EXPECT_EQ(ReadBytes(Path("12070905.TSU")), "REMOVEFILE:A>FROM:C:\\X\r\n");
  EXPECT_FALSE(PathExists(Path("12070905.TSC")));
}

TEST_F(CompareRunTest, MissingIniFilesAreReportedAndTheRunGoesOn) {
  DeleteFileA((winDir + "\\win.ini").c_str());
  DeleteFileA((winDir + "\\system.ini").c_str());
  host.prompter.Answer(id::kOk).Answer(id::kOk);
  ASSERT_TRUE(Ok("X"));
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Unable to open file.\nMake sure this file has not been deleted.");
  EXPECT_EQ(host.prompter.boxes[0].caption, winDir + "\\win.ini");
  EXPECT_EQ(host.prompter.boxes[1].caption, winDir + "\\system.ini");
  EXPECT_EQ(lastCompareFile, Path("X.TSC"));
}

TEST_F(CompareRunTest, ReportThatCannotBeCreatedFailsTheRun) {
  host.state.BackupDirectory = dir / "MISSING";
  host.prompter.Answer(id::kOk);
  ASSERT_TRUE(Ok("X"));  // the dialog closes
  EXPECT_EQ(lastCompareFile, "");
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Unable to create compare file. Make sure the disk is not full.");
  EXPECT_EQ(host.progress.events.size(), 0u);
}

TEST_F(CompareRunTest, SentinoxRunNeedsEveryBackupFile) {
  host.state.SentinoxPass = true;
  host.state.RunMode = RunMode::Sentinox;
  const char* bases[] = {"config", "autoexec", "msdos",  "win",    "system", "protocol", "desktop",
                         "fontdir", "infdir",  "helpdir", "sysdir", "windir", "startdir"};
  for (const char* base : bases) WriteBytes(Path(std::string(base) + ".snb"), "");
  DeleteFileA(Path("startdir.snb").c_str());
  ASSERT_TRUE(Ok("12070905"));
  EXPECT_EQ(lastCompareFile, "");
  EXPECT_FALSE(FileExists(Path("12070905.SNC")));
  EXPECT_FALSE(FileExists(Path("12070905.TSU")));

  WriteBytes(Path("startdir.snb"), "");
  ASSERT_TRUE(Ok("12070905"));
  const std::string report = Path("12070905.SNC");
  EXPECT_EQ(lastCompareFile, report);
  EXPECT_TRUE(StartsWith(ReadBytes(report), "Tessary/Sentinox automatic comparison file.\r\n" + report + "\r\n"));
  EXPECT_TRUE(FileExists(Path("12070905.TSU")));
  auto mains = host.progress.Mains();
  EXPECT_EQ(std::find(mains.begin(), mains.end(), "Comparing Registry"), mains.end());
}

TEST_F(CompareRunTest, SentinoxPassNeverAsksAndKeepsEveryOlderReport) {
  host.state.SentinoxPass = true;
  host.state.RunMode = RunMode::Sentinox;
  for (const char* base : {"config", "autoexec", "msdos", "win", "system", "protocol", "desktop", "fontdir", "infdir",
                           "helpdir", "sysdir", "windir", "startdir"})
    WriteBytes(Path(std::string(base) + ".snb"), "");
  // A pass earlier in the same minute, and files of other reports that share a name
  // with the next minutes' passes: an interactive date-named report's actions, an
  // uninstall log, an interactive report.
  const std::string older[] = {"12070905.SNC", "12070905.TSU", "12070906.TSU", "12070907.LOG", "12070908.TSC"};
  for (const std::string& name : older) WriteBytes(Path(name), "older " + name);

  ASSERT_TRUE(Ok("12070905"));  // no question: the prompter fails on any box
  EXPECT_EQ(lastCompareFile, Path("12070905_2.SNC"));
  EXPECT_TRUE(StartsWith(ReadBytes(Path("12070905_2.SNC")),
                         "Tessary/Sentinox automatic comparison file.\r\n" + Path("12070905_2.SNC") + "\r\n"));
  EXPECT_TRUE(FileExists(Path("12070905_2.TSU")));
  ASSERT_TRUE(Ok("12070905"));
  EXPECT_EQ(lastCompareFile, Path("12070905_3.SNC"));
  for (const char* minute : {"12070906", "12070907", "12070908"}) {
    ASSERT_TRUE(Ok(minute));
    EXPECT_EQ(lastCompareFile, Path(std::string(minute) + "_2.SNC"));
    EXPECT_FALSE(FileExists(Path(std::string(minute) + ".SNC")));
  }
  ASSERT_TRUE(Ok("12070909"));  // a minute of its own keeps the plain date name
  EXPECT_EQ(lastCompareFile, Path("12070909.SNC"));
  for (const std::string& name : older) EXPECT_EQ(ReadBytes(Path(name)), "older " + name);
  EXPECT_TRUE(host.prompter.boxes.empty());
}

TEST_F(CompareRunTest, VerdictFollowsKeepBlank) {
  auto progress = host.progress.Open("r");
  CompareRun run{host, *progress, Path("V.TSC"), Path("V.TSU"), "tsb", "tsb"};
  WriteBytes(run.reportPath, "head\r\n");
  AppendVerdict(run);
  EXPECT_EQ(ReadBytes(run.reportPath), "head\r\n---No Changes found---");
  WriteBytes(run.reportPath, "head\r\n");
  Set(settings::kKeepBlank, "NO");
  AppendVerdict(run);
  EXPECT_EQ(ReadBytes(run.reportPath), "head\r\n");
  Set(settings::kKeepBlank, "yes");
  run.noChangesFound = false;
  AppendVerdict(run);
  EXPECT_EQ(ReadBytes(run.reportPath), "head\r\n");
}

class CancelTest : public CompareRunTest {
 protected:
  CancelTest() {
    WriteBytes(bootDir + "\\autoexec.bat", "A\r\nB\r\n");
    WriteBytes(Path("autoexec.tsb"), "A\r\n");
    SetLastWrite(Path("autoexec.tsb"), 1995, 1, 1, 0, 0, 0);
    WriteBytes(winDir + "\\win.ini", "[TessA]\r\nK=2\r\n");
    WriteBytes(Path("win.tsb"), "[TessA]\r\nK=1\r\n");
    SetLastWrite(Path("win.tsb"), 1995, 1, 1, 0, 0, 0);
  }
  const std::string report = backupDir + "\\C.TSC";
  const std::string header = CrLf(CompareHeaderText(false, report, false));
};

TEST_F(CancelTest, AtTheStartOfAutoexecTheRunEndsWithoutTheLine) {
  host.progress.cancelAt = 1;
  ASSERT_TRUE(Ok("C"));
  EXPECT_EQ(lastCompareFile, "");
  EXPECT_EQ(ReadBytes(report), header);
  EXPECT_EQ(host.progress.open, 0);
}

TEST_F(CancelTest, AtALineOfAutoexecTheReportEndsWithTheLine) {
  host.progress.cancelAt = 4;  // start, lines A and B, then A of the deleted pass
  ASSERT_TRUE(Ok("C"));
  EXPECT_EQ(lastCompareFile, "");
  EXPECT_EQ(ReadBytes(report), header +
                                   "====================\r\nAUTOEXEC.BAT File\r\nLines added or modified:\r\nB\r\n"
                                   "---COMPARE CANCELLED BY USER---");
}

TEST_F(CancelTest, AfterTheIniSectionsTheActionsFoundSoFarStay) {
  ASSERT_TRUE(Ok("C"));
  // The checks made before the registry title: cancel at the first one after them.
  int checks = 0;
  for (const std::string& event : host.progress.events) {
    if (event == "main:Comparing Registry") break;
    if (event == "check") ++checks;
  }
  host.progress.events.clear();
  host.progress.checks = 0;
  host.progress.cancelAt = checks + 1;
  host.prompter.Answer(id::kYes);  // overwrite
  ASSERT_TRUE(Ok("C"));
  EXPECT_EQ(lastCompareFile, "");
  const std::string text = ReadBytes(report);
  EXPECT_TRUE(EndsWith(text, "---COMPARE CANCELLED BY USER---")) << text;
  EXPECT_NE(text.find("FROM:  K=1\r\nTO:    K=2\r\n"), std::string::npos);
  EXPECT_TRUE(StartsWith(ReadBytes(Path("C.TSU")), "CHANGE:K=2>TO:1>IN:WIN.INI[TessA]\r\n"));
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// Compare seals its action file with the evidence of every line, as the machine held it.
TEST_F(CancelTest, TheActionFileIsSealedWithTheEvidenceOfEachLine) {
  ASSERT_TRUE(Ok("C"));
  const SealedEvidence sealed = LoadSealedEvidence(Path("C.TSU"));
  EXPECT_TRUE(sealed.sealed);
  std::size_t lines = 0;
  ForEachLine(ReadBytes(Path("C.TSU")), [&](std::string_view line) {
    ++lines;
    EXPECT_NE(sealed.evidence.Find(line), nullptr) << line;
  });
  EXPECT_GT(lines, 0u);
  const EvidenceRecord* change = sealed.evidence.Find("CHANGE:K=2>TO:1>IN:WIN.INI[TessA]");
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->facts, std::vector<std::string>{"I=2"});
  // The evidence file goes where the report's files go: a report of that name is in use.
  EXPECT_TRUE(FileExists(Path("C.tse")));
  // A second compare under the same name seals its own pair.
  WriteBytes(winDir + "\\win.ini", "[TessA]\r\nK=3\r\n");
  host.prompter.Answer(id::kYes);  // overwrite
  ASSERT_TRUE(Ok("C"));
  const SealedEvidence again = LoadSealedEvidence(Path("C.TSU"));
  EXPECT_TRUE(again.sealed);
  ASSERT_NE(again.evidence.Find("CHANGE:K=3>TO:1>IN:WIN.INI[TessA]"), nullptr);
  EXPECT_EQ(again.evidence.Find("CHANGE:K=3>TO:1>IN:WIN.INI[TessA]")->facts, std::vector<std::string>{"I=3"});
}

}  // namespace
}  // namespace tessary
