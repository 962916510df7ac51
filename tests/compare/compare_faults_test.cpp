// A compare run that meets a failing file operation at every one it performs, in
// turn: the failure is reported, the report and action file it overwrites are either
// the older ones or the new ones whole (never cut short under their names), and the
// next run succeeds. And: a backup that did not finish is refused.
#include "compare/compare_run.h"
#include "fault_plan.h"
#include "platform/files.h"
#include "snapshot/backup_set.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class CompareFaults : public test::HostTest {
 protected:
  class Host : public test::FakeHost {
   public:
    Prompter& Prompts() override { return answers; }
    test::AnsweringPrompter answers;
  };
  CompareFaults() : bootDir(dir.MakeDir("BOOT")), winDir(dir.MakeDir("WIN")) {
    host.state.WindowsDirectory = winDir;
    WriteBytes(winDir + "\\win.ini", "[Tess]\r\nK=2\r\nNew=1\r\n");
    WriteBytes(winDir + "\\system.ini", "[boot]\r\nshell=progman.exe\r\n");
    WriteBytes(bootDir + "\\autoexec.bat", "SET NEW=1\r\n");
    WriteBytes(backupDir + "\\win.tsb", "[Tess]\r\nK=1\r\nGone=1\r\n");
    WriteBytes(backupDir + "\\autoexec.tsb", "SET OLD=1\r\n");
    WriteBytes(backupDir + "\\startdir.tsb", "");
    test::SetLastWrite(backupDir + "\\win.tsb", 1996, 12, 7, 9, 5, 10);
    test::SetLastWrite(backupDir + "\\autoexec.tsb", 1996, 12, 7, 9, 5, 10);
    report = backupDir + "\\X.TSC";
    actions = backupDir + "\\X.TSU";
  }
  bool Run(test::AnsweringPrompter* seen = nullptr) {
    Host h;
    h.state = host.state;
    const bool ok = RunCompare(h, report, {}, bootDir).finished;
    if (seen) *seen = h.answers;
    return ok;
  }
  void Older() {
    WriteBytes(report, "an older report\r\n");
    WriteBytes(actions, "REMOVEFILE:OLD.TXT>FROM:C:\\OLD\r\n");
  }

  std::string bootDir, winDir, report, actions;
};

TEST_F(CompareFaults, EveryFileOperationThatFailsLeavesTheOlderFilesOrTheNewOnes) {
  ASSERT_TRUE(Run());
  const std::string newReport = ReadBytes(report), newActions = ReadBytes(actions);
  ASSERT_NE(newActions.find("REMOVE:New=1>FROM:WIN.INI[Tess]"), std::string::npos) << newActions << ReadBytes(report);
  Older();
  const std::string oldReport = ReadBytes(report), oldActions = ReadBytes(actions);

  const auto points = test::InjectionPoints([&] { Run(); });
  ASSERT_GT(points.size(), 10u);
  for (const test::InjectionPoint& point : points) {
    SCOPED_TRACE(test::Describe(point));
    Older();
    test::FaultPlan plan;
    plan.target = point;
    test::AnsweringPrompter seen;
    bool finished;
    {
      test::ScopedFaults faults(plan);
      finished = Run(&seen);
    }
    ASSERT_EQ(plan.failures, 1);
    const std::string r = ReadBytes(report), a = ReadBytes(actions);
    if (finished) {
      EXPECT_EQ(r, newReport);
      EXPECT_EQ(a, newActions);
    } else {
      ASSERT_FALSE(seen.boxes.empty()) << "no message";
      EXPECT_TRUE(seen.boxes.back().text == "Unable to create compare file. Make sure the disk is not full." ||
                  seen.boxes.back().text == "Unable to create uninstall file. Make sure the disk is not full.")
          << seen.Texts();
      const bool old = r == oldReport && a == oldActions;
      // The report came in and its action file could not follow: the older actions went.
      const bool reportOnly = r == newReport && !PathExists(actions);
      EXPECT_TRUE(old || reportOnly) << "report:\n" << r << "\nactions:\n" << a;
    }
    EXPECT_FALSE(PathExists(SideFileFor(report)));
    EXPECT_FALSE(PathExists(SideFileFor(actions)));
    test::AnsweringPrompter next;
    EXPECT_TRUE(Run(&next)) << next.Texts();
    EXPECT_EQ(ReadBytes(report), newReport);
    EXPECT_EQ(ReadBytes(actions), newActions);
  }
  std::cout << "[          ] " << points.size() << " injection points\n";
}

TEST_F(CompareFaults, ACancelledRunStillLeavesItsReportWithTheCancelLine) {
  Older();
  Host h;
  h.state = host.state;
  h.progress.cancelAt = 3;
  EXPECT_FALSE(RunCompare(h, report, {}, bootDir).finished);
  const std::string r = ReadBytes(report);
  EXPECT_EQ(r.substr(r.size() - 31), "---COMPARE CANCELLED BY USER---");
  EXPECT_FALSE(PathExists(SideFileFor(report)));
}

TEST_F(CompareFaults, ABackupThatDidNotFinishIsRefused) {
  Older();
  WriteBytes(backupDir + "\\complete.tsb", "TESSARY BACKUP SET INCOMPLETE\r\nwin.tsb,30\r\n");
  test::AnsweringPrompter seen;
  EXPECT_FALSE(Run(&seen));
  ASSERT_EQ(seen.boxes.size(), 1u);
  EXPECT_EQ(seen.boxes[0].caption, "Incomplete Backup");
  EXPECT_EQ(seen.boxes[0].text,
            "The backup files are incomplete: the last backup did not finish, or a backup file has been removed or "
            "changed since.\nPlease run Backup again before you compare.");
  EXPECT_EQ(ReadBytes(report), "an older report\r\n");
  // Complete, but a file cut short since: refused too; whole again: compared.
  WriteBytes(backupDir + "\\complete.tsb", "TESSARY BACKUP SET COMPLETE\r\nwin.tsb,10\r\n");
  EXPECT_FALSE(Run(&seen));
  WriteBytes(backupDir + "\\complete.tsb",
             "TESSARY BACKUP SET COMPLETE\r\nwin.tsb," + std::to_string(ReadBytes(backupDir + "\\win.tsb").size()) +
                 "\r\n");
  EXPECT_TRUE(Run(&seen));
}

// A backup listing with a line of 100,000 characters: read as one entry, no harm done.
TEST_F(CompareFaults, AListingWithAHundredThousandCharacterLine) {
  Set(settings::kDirWin, "yes");
  WriteBytes(backupDir + "\\windir.tsb", std::string(100000, 'N') + ",1,1\r\nwin.ini,8583,18597\r\n");
  test::AnsweringPrompter seen;
  EXPECT_TRUE(Run(&seen)) << seen.Texts();
  const std::string r = ReadBytes(report);
  EXPECT_NE(r.find(winDir + " Directory"), std::string::npos);
  EXPECT_EQ(r.find(std::string(300, 'N')), std::string::npos);
}


// The backup directory, and the report and action file with it, on a small real disk
// that is full: the run meets a real "disk full", says so, and keeps the older pair
// whole; with room again, the next run writes the new pair.
class CompareOnAFullDisk : public CompareFaults {
 protected:
  void SetUp() override {
    if (!test::SmallDisk::Mounted()) GTEST_SKIP() << test::SmallDisk::kSkipReason;
    const std::string onDisk = disk.Folder("BACKUP");
    for (const char* name : {"win.tsb", "autoexec.tsb", "startdir.tsb"})
      ASSERT_TRUE(CopyFileA((backupDir + "\\" + name).c_str(), (onDisk + "\\" + name).c_str(), FALSE));
    backupDir = onDisk;
    host.state.BackupDirectory = backupDir;
    report = backupDir + "\\X.TSC";
    actions = backupDir + "\\X.TSU";
  }
  test::SmallDisk disk;
};

TEST_F(CompareOnAFullDisk, KeepsTheOlderReportAndActionsAndSaysSo) {
  Older();
  ASSERT_EQ(disk.Fill(), static_cast<unsigned long>(ERROR_DISK_FULL));
  test::AnsweringPrompter seen;
  EXPECT_FALSE(Run(&seen));
  ASSERT_FALSE(seen.boxes.empty());
  EXPECT_EQ(seen.boxes.back().text, "Unable to create compare file. Make sure the disk is not full.") << seen.Texts();
  EXPECT_EQ(ReadBytes(report), "an older report\r\n");
  EXPECT_EQ(ReadBytes(actions), "REMOVEFILE:OLD.TXT>FROM:C:\\OLD\r\n");
  EXPECT_FALSE(PathExists(SideFileFor(report)));
  EXPECT_FALSE(PathExists(SideFileFor(actions)));

  disk.Free();
  test::AnsweringPrompter next;
  EXPECT_TRUE(Run(&next)) << next.Texts();
  EXPECT_NE(ReadBytes(actions).find("REMOVE:New=1>FROM:WIN.INI[Tess]"), std::string::npos);
}

}  // namespace
}  // namespace tessary
