// A backup that meets a failing file operation (a full disk, a denied create, a file
// in use), at every file operation it performs in turn: the failure is reported, every
// file of the set is the older backup's or the new one's, a set that mixes them is
// refused by Compare, and the next backup succeeds.
#include <map>

#include "fault_plan.h"
#include "platform/files.h"
#include "snapshot/backup_run.h"
#include "snapshot/backup_set.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class BackupFaults : public test::HostTest {
 protected:
  class Host : public test::FakeHost {
   public:
    Prompter& Prompts() override { return answers; }
    test::AnsweringPrompter answers;
  };

  BackupFaults() {
    windows = dir.MakeDir("WIN");
    for (const char* sub : {"system", "fonts", "inf", "help"}) dir.MakeDir(std::string("WIN\\") + sub);
    WriteBytes(windows + "\\win.ini", "[old]\r\nA=1\r\n");
    WriteBytes(windows + "\\system.ini", "[boot]\r\nshell=progman.exe\r\n");
    WriteBytes(windows + "\\protocol.ini", "[NetTrans]\r\n");
    WriteBytes(windows + "\\old.dll", "x");
  }

  // A backup of the test's Windows folder; the registry step writes one small file.
  void Run(test::AnsweringPrompter* seen = nullptr) {
    Host h;
    h.state = host.state;
    h.state.WindowsDirectory = windows;
    static_cast<void>(RunBackup(h, RunMode::Interactive, nullptr, [](tessary::EngineHost&, RunMode, const std::string& directory) {
      OutputFile out(directory + "\\curuser.TSB", OutputFile::Mode::Create);
      return out.Write("Software\r\nSoftware\\Vendor\r\n") && out.Close();
    }));
    if (seen) *seen = h.answers;
  }
  std::map<std::string, std::string> Backup(test::AnsweringPrompter* seen = nullptr) {
    Run(seen);
    return Files();
  }
  // The files of the backup directory and their content; the free-space records,
  // which follow the disk, by their names only.
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    DirSearch search(backupDir + "\\*");
    FindEntry e;
    while (search.Next(e)) {
      if (e.name == "." || e.name == "..") continue;
      files[e.name] = e.name.find("_free.") != std::string::npos ? "" : ReadBytes(backupDir + "\\" + e.name);
    }
    return files;
  }
  void Restore(const std::map<std::string, std::string>& files) {
    for (const auto& [name, content] : Files())
      if (!files.count(name)) test::RemoveTree(backupDir + "\\" + name);
    for (const auto& [name, content] : files)
      if (name.find("_free.") == std::string::npos) WriteBytes(backupDir + "\\" + name, content);
  }

  std::string windows;
};

TEST_F(BackupFaults, EveryFileOperationThatFailsLeavesTheOlderSetOrTheNewOne) {
  const auto older = Backup();
  ASSERT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
  // The machine moves on: what the next backup writes differs from the older one.
  WriteBytes(windows + "\\win.ini", "[new]\r\nB=2\r\n");
  WriteBytes(windows + "\\new.dll", "y");
  const auto newer = Backup();
  ASSERT_NE(older.at("win.tsb"), newer.at("win.tsb"));
  ASSERT_NE(older.at("windir.tsb"), newer.at("windir.tsb"));

  Restore(older);
  const auto points = test::InjectionPoints([&] { Run(); },
                                            {FileOp::Create, FileOp::Write, FileOp::Rename, FileOp::List});
  ASSERT_GT(points.size(), 40u);
  int mixed = 0;
  for (const test::InjectionPoint& point : points) {
    SCOPED_TRACE(test::Describe(point));
    Restore(older);
    test::FaultPlan plan;
    plan.target = point;
    test::AnsweringPrompter seen;
    {
      test::ScopedFaults faults(plan);
      Run(&seen);
    }
    const std::map<std::string, std::string> after = Files();
    ASSERT_EQ(plan.failures, 1);
    bool allNew = true, allOld = true;
    for (const auto& [name, content] : after) {
      if (name == "complete.tsb") continue;
      const bool isOld = older.count(name) && older.at(name) == content;
      const bool isNew = newer.count(name) && newer.at(name) == content;
      EXPECT_TRUE(isOld || isNew) << name << " is neither the older backup's nor the new one's";
      allNew &= isNew;
      allOld &= isOld;
    }
    EXPECT_FALSE(after.count("backup.new")) << "the staged files stay behind";
    const BackupSetState state = CheckBackupSet(backupDir, "tsb");
    // Reported, unless the failure did not stop the backup (a stale staging folder
    // that could not be looked into).
    if (!(allNew && state == BackupSetState::Complete)) {
      EXPECT_FALSE(seen.boxes.empty()) << "no message";
    }
    if (!allOld && !allNew) {
      ++mixed;
      EXPECT_EQ(state, BackupSetState::Incomplete) << seen.Texts();
    }
    if (state == BackupSetState::Complete) {
      EXPECT_TRUE(allOld || allNew);
    }
    // The next backup, with nothing failing, makes the new set whole.
    test::AnsweringPrompter next;
    EXPECT_EQ(Backup(&next), newer);
    EXPECT_TRUE(next.boxes.empty()) << next.Texts();
    EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
  }
  EXPECT_GT(mixed, 0);  // a rename that fails part-way leaves a set Compare refuses
  std::cout << "[          ] " << points.size() << " injection points\n";
}

// Not even the stage can be made: the backup stops before it writes anything.
TEST_F(BackupFaults, ABackupDirectoryThatCannotBeWrittenKeepsTheOlderSet) {
  const auto older = Backup();
  WriteBytes(windows + "\\new.dll", "y");
  test::FaultPlan plan;
  plan.target = {FileOp::Create, 0, {}, ERROR_ACCESS_DENIED};
  plan.failEvery = true;
  test::AnsweringPrompter seen;
  {
    test::ScopedFaults faults(plan);
    Run(&seen);
  }
  EXPECT_EQ(Files(), older);
  ASSERT_EQ(seen.boxes.size(), 1u);
  EXPECT_EQ(seen.boxes.back().text,
            "The backup cannot be taken: the folder \"backup.new\" for its new files cannot be made in the backup "
            "directory.\nNothing was written. Make sure the backup directory can be written to.");
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
}

TEST_F(BackupFaults, AFolderThatCannotBeReadIsReportedNotListedAsEmpty) {
  const auto older = Backup();
  test::FaultPlan plan;
  plan.target = {FileOp::List, 0, {}, ERROR_ACCESS_DENIED};
  plan.failEvery = true;
  test::AnsweringPrompter seen;
  {
    test::ScopedFaults faults(plan);
    Run(&seen);
  }
  ASSERT_GE(seen.boxes.size(), 2u);
  EXPECT_EQ(seen.boxes[0].text, "This directory could not be read, so it cannot be listed.");
  EXPECT_EQ(seen.boxes[0].caption, windows);
  EXPECT_EQ(ReadBytes(backupDir + "\\windir.tsb"), older.at("windir.tsb"));
}

// A set written before backups kept a record still compares; a record that does not
// match its files (one missing, one cut short) does not.
TEST_F(BackupFaults, CompletionRecordAgainstMissingOrTruncatedFiles) {
  Backup();
  ASSERT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
  const std::string listing = ReadBytes(backupDir + "\\windir.tsb");
  WriteBytes(backupDir + "\\windir.tsb", listing.substr(0, listing.size() / 2));
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Incomplete);
  WriteBytes(backupDir + "\\windir.tsb", listing);
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
  DeleteFileA((backupDir + "\\sysdir.tsb").c_str());
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Incomplete);
  WriteBytes(backupDir + "\\complete.tsb", "TESSARY BACKUP SET COMPLETE\r\nsysdir.t");
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Incomplete);
  DeleteFileA((backupDir + "\\complete.tsb").c_str());
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Unrecorded);
  EXPECT_EQ(CheckBackupSet(backupDir, "snb"), BackupSetState::Unrecorded);
}


// The backup directory on a small real disk that is full: the backup meets a real "disk
// full", keeps the older set whole and says so; with room again, the next one succeeds.
class BackupOnAFullDisk : public BackupFaults {
 protected:
  void SetUp() override {
    if (!test::SmallDisk::Mounted()) GTEST_SKIP() << test::SmallDisk::kSkipReason;
    backupDir = disk.Folder("BACKUP");
    host.state.BackupDirectory = backupDir;
  }
  test::SmallDisk disk;
};

TEST_F(BackupOnAFullDisk, KeepsTheOlderSetAndSaysSo) {
  const auto older = Backup();
  ASSERT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
  WriteBytes(windows + "\\win.ini", "[new]\r\nB=2\r\n");
  WriteBytes(windows + "\\new.dll", "y");
  ASSERT_EQ(disk.Fill(), static_cast<unsigned long>(ERROR_DISK_FULL));

  test::AnsweringPrompter seen;
  EXPECT_EQ(Backup(&seen), older);  // no staged files left behind either
  ASSERT_FALSE(seen.boxes.empty());
  EXPECT_EQ(seen.boxes.back().text,
            "The backup did not complete. The files of the previous backup are kept, and Compare still uses them.")
      << seen.Texts();
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);

  disk.Free();
  test::AnsweringPrompter next;
  const auto newer = Backup(&next);
  EXPECT_TRUE(next.boxes.empty()) << next.Texts();
  EXPECT_NE(newer.at("win.tsb"), older.at("win.tsb"));
  EXPECT_EQ(CheckBackupSet(backupDir, "tsb"), BackupSetState::Complete);
}

}  // namespace
}  // namespace tessary
