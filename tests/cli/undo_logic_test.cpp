// Around the executor: the choice of --only, the lines refused before a run, what the log
// block says of each action, and what a compare after an undo still finds.
#include <gtest/gtest.h>

#include <cctype>

#include "cli/logic/report_summary.h"
#include "cli/logic/undo_logic.h"
#include "cli/logic/verdict.h"

namespace tessary::cli {
namespace {

const std::vector<std::string> kEntries = {
    "", "ADD:OBSOLETE=1>TO:WIN.INI[TESSARYE2E]", "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\NEWVENDOR>FROM:REG.DAT",
    "REMOVEFILE:NEWAPP.INI>FROM:C:\\WINDOWS", "REMOVEFILE:NEWVENDOR  (DIR)>FROM:C:\\PROGRAM FILES"};

TEST(UndoLogicTest, OnlyChoosesTheActionsHoldingAText) {
  EXPECT_EQ(ChooseActions(kEntries, {}), (std::vector<bool>{false, true, true, true, true}));
  EXPECT_EQ(ChooseActions(kEntries, {"newvendor"}), (std::vector<bool>{false, false, true, false, true}));
  EXPECT_EQ(ChooseActions(kEntries, {"win.ini", "NewApp.ini"}), (std::vector<bool>{false, true, false, true, false}));
  EXPECT_EQ(ChooseActions(kEntries, {"nothing like it"}), (std::vector<bool>(5, false)));
}

TEST(UndoLogicTest, UnreadableLinesAreThoseTheExecutorRefuses) {
  for (const std::string& e : kEntries) EXPECT_TRUE(ActionReadable(e)) << e;
  for (const char* hostile :
       {"REMOVEFILE:..\\..\\X>FROM:C:\\", "REMOVEFILE:X>FROM:\\\\SERVER\\SHARE", "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE>FROM:REG.DAT",
        "ADD:A=1>TO:C:\\AUTOEXEC.BAT[X]", "DELETE EVERYTHING", "REMOVEFILE:CON>FROM:C:\\"})
    EXPECT_FALSE(ActionReadable(hostile)) << hostile;
  EXPECT_EQ(DescribeAction("CHANGE:Mode=new>TO:old>IN:WIN.INI[TessaryE2E]").target, "WIN.INI[TessaryE2E] Mode");
  EXPECT_EQ(DescribeAction(kEntries[2]).kind, "registryKey");
  EXPECT_EQ(DescribeAction(kEntries[2]).target, "HKEY_LOCAL_MACHINE\\SOFTWARE\\NEWVENDOR");
}

// A value line is read as written, as the executor reads it: upper-cased, the hash of a
// long value would no longer parse and the line would be refused.
TEST(UndoLogicTest, ValueLinesAreReadAsWritten) {
  const std::string line = "REG_VALUE_REMOVE:Big>TYPE:REG_BINARY>SIZE:70000>DATA:*70000:" + std::string(64, 'a') +
                           ">FROM:HKEY_CURRENT_USER\\Software\\V";
  std::string entry = line;
  for (char& c : entry) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(ActionReadable(entry, line));
  EXPECT_FALSE(ActionReadable(entry, "REG_VALUE_REMOVE:Big>TYPE:REG_BINARY>SIZE:1>DATA::>FROM:HKEY_CURRENT_USER\\S"));
  EXPECT_EQ(DescribeAction(line).kind, "registryValue");
  EXPECT_EQ(DescribeAction(line).target, "HKEY_CURRENT_USER\\Software\\V \"Big\"");
}

TEST(UndoLogicTest, OutcomesFollowTheLogBlockInOrder) {
  const std::vector<bool> chosen = {false, true, true, true, true};
  const std::string block = "-----------UNINSTALL LOG FOR:\r\n12/7/1996  9:05:10\r\n"
                            "DONE:" + kEntries[1] + "\r\n"
                            "NOT DONE(Protected):" + kEntries[2] + "\r\n"
                            "NOT DONE(ERROR):" + kEntries[3] + "\r\n"
                            "Above file possibly in use by Windows: unable to delete during uninstall\r\n";
  const auto outcomes = OutcomesFromLog(block, kEntries, chosen);
  EXPECT_EQ(outcomes[0].status, "");
  EXPECT_EQ(outcomes[1].status, "done");
  EXPECT_EQ(outcomes[2].status, "notDone");
  EXPECT_EQ(outcomes[2].reason, "Protected");
  EXPECT_EQ(outcomes[3].reason, "ERROR");
  EXPECT_EQ(outcomes[4].status, "notReached");  // the run stopped before it
  // A line the user declined; an unselected line's tail entry is not taken for it.
  const auto declined = OutcomesFromLog("NOT DONE:" + kEntries[4] + "\r\n", kEntries, {false, false, false, false, true});
  EXPECT_EQ(declined[4].status, "notDone");
  EXPECT_EQ(declined[4].reason, "declined");
  // A registry key gone before its line: done, with the reason the log gives.
  const auto gone = OutcomesFromLog("DONE(Already removed):" + kEntries[4] + "\r\n", kEntries,
                                    {false, false, false, false, true});
  EXPECT_EQ(gone[4].status, "done");
  EXPECT_EQ(gone[4].reason, "Already removed");
}

std::string Report(const std::vector<std::string>& lines) {
  std::string text = "Tessary configuration file comparison file.\r\nC:\\B\\TRACK_LEFT.TSC\r\n";
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

TEST(UndoLogicTest, LeftoversLeaveOutWhatIsNoChangeOfTheProgram) {
  const ReportSummary after = ReadReport(Report({
      "====================", "AUTOEXEC.BAT File", "Lines added or modified:", "SET NEWAPP=C:\\NEWAPP",
      "====================", "WIN.INI", "No Added or Changed lines found.", "No Deleted lines found.",
      "===============", "C:\\windows Directory",
      "ADDED  : win.uib", "ADDED  : system.uib",
      "UPDATED: protocol.uib\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",  // refreshed by a second undo
      "UPDATED: win.ini\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
      "UPDATED: system.ini\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
      "UPDATED: tessary.ini\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995", "ADDED  : stray.dll",
      "===============", "C:\\ Directory", "UPDATED: msdos.uib\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
      "UPDATED: autoexec.bat\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
      "UPDATED: config.sys\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995",
      "===============", "C:\\TRACK Directory", "ADDED  : TRACK.TSC",
      "- - - - -", "Decrease in free disk space on drive C:  512 Bytes. Free before: 1,024. Free now: 512.", "- - - - -"}));
  const std::vector<Leftover> left = FindLeftovers(after, "C:\\windows", "C:\\TRACK");
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[0].kind, "boot");
  EXPECT_EQ(left[0].text, "SET NEWAPP=C:\\NEWAPP");
  EXPECT_FALSE(left[0].undoable);
  // system.ini has no section of its own in this report: its date is all that changed.
  EXPECT_EQ(left[1].text, "ADDED  : stray.dll");
  EXPECT_TRUE(left[1].undoable);
  // autoexec.bat's own section finds a line, so its new date counts; config.sys has none.
  EXPECT_EQ(left[2].text, "UPDATED: autoexec.bat\tNEW:15:00  3 Dec 1996\tOLD:09:30  1 Jul 1995");
  EXPECT_FALSE(left[2].undoable);
  EXPECT_EQ(left[2].section, "C:\\");
  EXPECT_TRUE(FindLeftovers(ReadReport(Report({"- - - - -", "- - - - -"})), "C:\\windows", "C:\\B").empty());
}

// The executor records each action's outcome with the log line that says it; tessaryc
// prints and reports it from that record.
TEST(UndoLogicTest, EachLoggedOutcomeIsAStatusAndPrintsAsTheLogSaysIt) {
  struct Case {
    const char* prefix;
    ActionStatus status;
    const char* outcome;
    const char* reason;
    const char* text;
  };
  const Case cases[] = {
      {"DONE:", ActionStatus::Done, "done", "", "DONE"},
      {"NOT DONE:", ActionStatus::Declined, "notDone", "declined", "NOT DONE (declined)"},
      {"NOT DONE(ERROR):", ActionStatus::Failed, "notDone", "ERROR", "NOT DONE (ERROR)"},
      {"NOT DONE(File not found):", ActionStatus::Refused, "notDone", "File not found", "NOT DONE (File not found)"},
  };
  for (const Case& c : cases) {
    const std::optional<LoggedStatus> logged = StatusOfLogPrefix(c.prefix);
    ASSERT_TRUE(logged) << c.prefix;
    EXPECT_EQ(logged->status, c.status) << c.prefix;
    const UndoneAction undone = DescribeOutcome({0, ActionKind::RemoveFile, logged->status, logged->reason});
    EXPECT_EQ(undone.outcome, c.outcome) << c.prefix;
    EXPECT_EQ(undone.reason, c.reason) << c.prefix;
    EXPECT_EQ(undone.text, c.text) << c.prefix;
  }
  for (const char* noOutcome : {"NOT DONE():", "DONE", "Above file possibly in use", "NOT DONE(x)"})
    EXPECT_FALSE(StatusOfLogPrefix(noOutcome)) << noOutcome;
  EXPECT_EQ(DescribeOutcome({0, ActionKind::Add, ActionStatus::NotReached, ""}).outcome, "notReached");
}

// "No changes" and "nothing left over" are said only of what was compared, the rest is
// named, and a run that compared nothing gives no verdict at all.
TEST(VerdictTest, AVerdictCoversOnlyWhatWasCompared) {
  const CompareCoverage nothing{{}, {{"HKEY_USERS", NotComparedWhy::SwitchedOff}}};
  const CompareCoverage part{{"WIN.INI"},
                             {{"HKEY_USERS", NotComparedWhy::SwitchedOff},
                              {"ProgramData (C:\\ProgramData)", NotComparedWhy::OutsideMode}}};
  const CompareCoverage all{{"WIN.INI"}, {}};
  const std::string users = "not compared: HKEY_USERS (switched off)";
  const std::string data = "not compared: ProgramData (C:\\ProgramData) (deep tracking is off; --deep compares all of it)";
  struct Case {
    const CompareCoverage& coverage;
    std::size_t found;
    Verdict verdict;
    std::vector<std::string> compare, leftover;
  };
  const Case cases[] = {
      {nothing, 0, Verdict::NothingCompared, {"nothing was compared: no verdict can be given", users},
       {"nothing was compared after the undo: what is left over is unknown", users}},
      {part, 0, Verdict::NoneFound, {"0 changes found in what was compared", users, data},
       {"nothing left over in what was compared", users, data}},
      {part, 2, Verdict::Found, {"2 changes found in what was compared", users, data}, {users, data}},
      {all, 0, Verdict::NoneFound, {"0 changes found"}, {"nothing left over"}},
      {all, 1, Verdict::Found, {"1 change found"}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeCompare(c.coverage, c.found), c.verdict) << c.found;
    EXPECT_EQ(CompareVerdictLines(c.coverage, c.found, false), c.compare);
    EXPECT_EQ(LeftoverVerdictLines(c.coverage, c.found), c.leftover);
  }
}

}  // namespace
}  // namespace tessary::cli
