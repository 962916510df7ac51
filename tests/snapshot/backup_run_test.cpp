// The Backup run and the Backup command in their three modes, without windows.
#include <windows.h>

#include "core/own_writes.h"
#include "fault_plan.h"
#include "platform/files.h"
#include "platform/user_secret.h"
#include "snapshot/backup_run.h"
#include "snapshot/backup_set.h"
#include "snapshot/registry_export.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const std::vector<std::string> kSteps = {
    "Autoexec.bat",      "Config.sys",      "WIN.INI",
    "SYSTEM.INI",        "PROTOCOL.INI",    "MSDOS.SYS",
    "Registry...This may take a minute.",   "Windows Directory",
    "System directory",  "Fonts",           "Inf",
    "Help",              "Program Files",   "Start Directory",
    "Desktop",           "Optional Directories", "Root Directories"};

class BackupRun : public test::HostTest {
 protected:
  // Stands in for the registry export (the real one has its own tests).
  RegistryExport StubExport(bool result = true) {
    return [this, result](EngineHost&, RunMode mode, const std::string&) {
      exportModes.push_back(mode);
      return result;
    };
  }
  std::string Backup(const std::string& name) { return backupDir + "\\" + name; }
  std::vector<RunMode> exportModes;
};

TEST_F(BackupRun, InvalidDirectoryBeepsAndWritesNothing) {
  host.state.BackupDirectory = dir / "NOT THERE";
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport()), BackupOutcome::NoBackupDirectory);
  EXPECT_EQ(host.prompter.beeps, (std::vector<unsigned>{mb::kIconInformation}));
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "The backup directory specified in the tessary.ini file is invalid.\nPlease use Setup/Options to select a "
            "valid directory for the backup files to be placed.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Invalid Backup Directory");
  EXPECT_EQ(host.prompter.boxes[0].style, mb::kOk);
  EXPECT_FALSE(PathExists(host.state.BackupDirectory));
  EXPECT_TRUE(exportModes.empty());
  EXPECT_EQ(host.progress.events,
            (std::vector<std::string>{"open:Please wait...", "main:Backing up files.", "close"}));
}

TEST_F(BackupRun, InteractiveRunWritesTheWholeSetInStepOrder) {
  std::string opt = dir.MakeDir("My Tools");
  Set(settings::kOptDir[1], opt);
  Set(settings::kDirWin, "no");  // Compare's switches do not change the backup
  // The program's own key is made before anything is recorded, never between a backup
  // and its compare, where it would pass for an installer's.
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Tessary", kSealSecretName);
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport()), BackupOutcome::Completed);
  EXPECT_TRUE(UserSecret(kSealSecretName, false));
  EXPECT_TRUE(host.prompter.boxes.empty());
  EXPECT_EQ(host.progress.Details(), kSteps);
  EXPECT_EQ(exportModes, (std::vector<RunMode>{RunMode::Interactive}));

  const std::string windows = host.state.WindowsDirectory;
  EXPECT_EQ(ReadBytes(Backup("win.tsb")), ReadBytes(windows + "\\win.ini"));
  EXPECT_EQ(ReadBytes(Backup("system.tsb")), ReadBytes(windows + "\\system.ini"));
  EXPECT_EQ(ReadBytes(Backup("autoexec.tsb")), ReadBytes("c:\\autoexec.bat"));
  EXPECT_EQ(ReadBytes(Backup("config.tsb")), ReadBytes("c:\\config.sys"));
  EXPECT_EQ(*FileDosDateTime(Backup("win.tsb")), *FileDosDateTime(windows + "\\win.ini"));
  ASSERT_FALSE(FileExists("c:\\msdos.sys"));
  EXPECT_TRUE(FileExists(Backup("msdos.tsb")));
  EXPECT_EQ(ReadBytes(Backup("msdos.tsb")), "");
  for (const char* name : {"protocol.tsb", "windir.tsb", "sysdir.tsb", "fontdir.tsb", "infdir.tsb", "helpdir.tsb",
                           "prgsdir.tsb", "startdir.tsb", "desktop.tsb", "optdir2.tsb", "rootdirC.tsb", "C_free.tsb"})
    EXPECT_TRUE(FileExists(Backup(name))) << name;
  EXPECT_EQ(ReadBytes(Backup("optdir2.nam")), opt);
  EXPECT_FALSE(PathExists(Backup("C_free.snb")));
  EXPECT_NE(ReadBytes(Backup("windir.tsb")).find("\r\ninf  (DIR),"), std::string::npos);
}

// A backup without values leaves none beside its set that an earlier backup with values
// recorded (Compare would hold today's values against them); one with values keeps its own.
TEST_F(BackupRun, ABackupWithoutValuesDropsTheValueFilesOfAnEarlierOne) {
  for (const char* stale : {"curuser_val.TSB", "services.TSB", "services_val.TSB", "userenv_val.TSB", "users_val.SNB"})
    test::WriteBytes(Backup(stale), "TESSARY REGISTRY VALUES 1\r\n");
  auto writeSnapshots = [](EngineHost&, RunMode, const std::string& directory) {
    test::WriteBytes(directory + "\\curuser.TSB", "Software\r\n");
    return true;
  };
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeSnapshots), BackupOutcome::Completed);
  for (const char* stale : {"curuser_val.TSB", "services.TSB", "services_val.TSB", "userenv_val.TSB"})
    EXPECT_FALSE(PathExists(Backup(stale))) << stale;
  EXPECT_TRUE(FileExists(Backup("users_val.SNB")));  // the Sentinox set is another set
  EXPECT_EQ(ReadBytes(Backup("curuser.TSB")), "Software\r\n");

  Set(settings::kRecordValues, "yes");
  auto writeWithValues = [](EngineHost&, RunMode, const std::string& directory) {
    test::WriteBytes(directory + "\\curuser_val.TSB", "TESSARY REGISTRY VALUES 1\r\n");
    return true;
  };
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeWithValues), BackupOutcome::Completed);
  EXPECT_TRUE(FileExists(Backup("curuser_val.TSB")));
  // The command line's --values keeps them whatever the settings say.
  Set(settings::kRecordValues, "no");
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeWithValues, ValuesSwitch::On), BackupOutcome::Completed);
  EXPECT_TRUE(FileExists(Backup("curuser_val.TSB")));
}

TEST_F(BackupRun, DirectRunWritesFreeSpaceWithSnb) {
  // The first-run prompt's backup: free space with "snb", everything else with "tsb".
  EXPECT_EQ(RunBackup(host, RunMode::Direct, nullptr, StubExport()), BackupOutcome::Completed);
  EXPECT_TRUE(FileExists(Backup("C_free.snb")));
  EXPECT_FALSE(PathExists(Backup("C_free.tsb")));
  EXPECT_TRUE(FileExists(Backup("windir.tsb")));
  EXPECT_TRUE(FileExists(Backup("msdos.tsb")));
  EXPECT_EQ(exportModes, (std::vector<RunMode>{RunMode::Direct}));
}

TEST_F(BackupRun, SentinoxRunWithCompSentinoxWritesNoRegistryFiles) {
  EXPECT_EQ(RunBackup(host, RunMode::Sentinox, nullptr), BackupOutcome::Completed);  // the real export
  for (const char* name : {"win.snb", "windir.snb", "rootdirC.snb", "C_free.snb", "msdos.snb"})
    EXPECT_TRUE(FileExists(Backup(name))) << name;
  for (const RegistryBranch& b : kRegistryBranches)
    EXPECT_FALSE(PathExists(Backup(std::string(b.fileBase) + ".SNB"))) << b.fileBase;
  EXPECT_FALSE(PathExists(Backup("windir.tsb")));
  EXPECT_TRUE(host.prompter.boxes.empty());
}

TEST_F(BackupRun, RegistryFailureIsReportedAndTheRunGoesOn) {
  // Every step still runs, but a set without its registry snapshot is no baseline: the
  // older set stays (here: none), and the run says so.
  test::WriteBytes(Backup("rootdirC.tsb"), "older\r\n");
  host.prompter.Answer(id::kOk).Answer(id::kOk);
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport(false)), BackupOutcome::NotCompleted);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Error backing up Registry file.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "File error");
  EXPECT_EQ(host.prompter.boxes[1].text,
            "The backup did not complete. The files of the previous backup are kept, and Compare still uses them.");
  EXPECT_EQ(host.progress.Details(), kSteps);
  EXPECT_EQ(ReadBytes(Backup("rootdirC.tsb")), "older\r\n");
  EXPECT_FALSE(PathExists(Backup("windir.tsb")));
  EXPECT_FALSE(PathExists(Backup("backup.new")));
}

// A "backup.new" that is no folder of the backup's own stops the backup before it
// writes anything: a file of that name, a backup directory that is itself a file, a
// folder that cannot be made. Each is said in one message, and the older set stays.
TEST_F(BackupRun, AStageThatCannotBeAFolderOfItsOwnStopsTheBackup) {
  const char* kFileText =
      "The backup cannot be taken: \"backup.new\" in the backup directory is a file, where the backup needs a folder "
      "for its new files.\nNothing was written. Remove or rename the file and run Backup again.";
  const char* kCannotMakeText =
      "The backup cannot be taken: the folder \"backup.new\" for its new files cannot be made in the backup "
      "directory.\nNothing was written. Make sure the backup directory can be written to.";
  struct Case {
    const char* name;
    const char* backupFolder;  // below the case's folder
    bool stageIsAFile;
    bool createFails;          // the seam fails the stage folder's creation
    const char* text;
  };
  const Case cases[] = {
      {"a file named backup.new", "BK", true, false, kFileText},
      {"a backup directory that is a file", "BK\\win.tsb", false, false, kCannotMakeText},
      {"a folder that cannot be made", "BK", false, true, kCannotMakeText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir where;
    where.MakeDir("BK");
    WriteBytes(where / "BK\\win.tsb", "older");
    if (c.stageIsAFile) WriteBytes(where / "BK\\backup.new", "kept");
    host.state.BackupDirectory = where / c.backupFolder;
    host.prompter.boxes.clear();
    host.prompter.Answer(id::kOk);
    exportModes.clear();
    test::FaultPlan plan;
    plan.target = {FileOp::Create, c.createFails ? 1 : 0, {}, ERROR_ACCESS_DENIED};
    BackupOutcome outcome;
    {
      test::ScopedFaults faults(plan);
      outcome = RunBackup(host, RunMode::Interactive, nullptr, StubExport());
    }
    EXPECT_EQ(outcome, BackupOutcome::StageRefused);
    ASSERT_EQ(host.prompter.boxes.size(), 1u);
    EXPECT_EQ(host.prompter.boxes[0].text, c.text);
    EXPECT_EQ(host.prompter.boxes[0].caption, host.state.BackupDirectory + "\\backup.new");
    EXPECT_TRUE(exportModes.empty());
    EXPECT_EQ(ReadBytes(where / "BK\\win.tsb"), "older");
    EXPECT_EQ(ReadBytes(where / "BK\\backup.new"), c.stageIsAFile ? "kept" : "");
    EXPECT_FALSE(PathExists(where / "BK\\windir.tsb"));
  }
}

// A link named "backup.new" (stood in by its attributes: Wine cannot make junctions) is
// never listed, emptied or removed: what lies behind it stays, and the stage says so.
TEST(BackupStageTest, ALinkIsLeftAsItIsAndWhatItPointsToIsNeverTouched) {
  test::TempDir where;
  const std::string backup = where.MakeDir("BK");
  const std::string stage = where.MakeDir("BK\\backup.new");
  test::WriteBytes(stage + "\\victim.txt", "the user's file");
  const auto asLink = [&](const std::string& path) -> DWORD {
    return path == stage ? DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT) : PathAttributes(path);
  };
  {
    BackupStage link(backup);
    EXPECT_EQ(link.Prepare(asLink), StageProblem::Link);
  }
  EXPECT_EQ(ReadBytes(stage + "\\victim.txt"), "the user's file");
  // A folder of the backup's own is emptied of what a failed backup left, and goes.
  {
    BackupStage own(backup);
    ASSERT_EQ(own.Prepare(), StageProblem::None);
    EXPECT_FALSE(PathExists(stage + "\\victim.txt"));
  }
  EXPECT_FALSE(PathExists(stage));
}

// The Backup command with a scripted dialog: the confirmation answers `confirmAnswer`;
// an instance opened to run now runs the backup as the real one does.
class BackupCommandTest : public BackupRun {
 protected:
  void Run(int confirmAnswer) {
    RunBackupCommand(host, [&](Host& h, bool runNow) {
      dialogs.push_back(runNow ? "auto" : "confirm");
      if (runNow) {
        static_cast<void>(RunBackup(h, h.State().RunMode, nullptr, StubExport()));
        return BackupChoice::Cancel;
      }
      if (confirmAnswer == kExpress) return BackupChoice::Express;
      return confirmAnswer == id::kOk ? BackupChoice::Backup : BackupChoice::Cancel;
    });
  }
  static constexpr int kExpress = 338;
  std::vector<std::string> dialogs;
};

TEST_F(BackupCommandTest, CancelInTheConfirmationWritesNothing) {
  host.state.LastBackupText = "unchanged";
  Run(id::kCancel);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"confirm"}));
  EXPECT_EQ(host.refreshes, 0);
  EXPECT_EQ(host.state.LastBackupText, "unchanged");
  EXPECT_TRUE(exportModes.empty());
  EXPECT_FALSE(PathExists(Backup("windir.tsb")));
}

TEST_F(BackupCommandTest, OkBacksUpInAHiddenSecondDialogAndRefreshesTheLabel) {
  Run(id::kOk);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"confirm", "auto"}));
  // The backup's progress dialog has no Cancel.
  EXPECT_EQ(host.progress.cancels, std::vector<ProgressCancel>{ProgressCancel::Hidden});
  EXPECT_EQ(host.refreshes, 1);
  EXPECT_EQ(host.state.LastBackupText.find("No backup"), std::string::npos) << host.state.LastBackupText;
  EXPECT_EQ(host.expressContinued, 0);
  EXPECT_EQ(exportModes, (std::vector<RunMode>{RunMode::Interactive}));
}

TEST_F(BackupCommandTest, ExpressRunsTheSameBackupThenTheExpressSequence) {
  Run(kExpress);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"confirm", "auto"}));
  EXPECT_TRUE(FileExists(Backup("windir.tsb")));
  EXPECT_EQ(host.expressContinued, 1);
}

TEST_F(BackupCommandTest, SentinoxAndDirectModesBackUpAtOnce) {
  host.state.RunMode = RunMode::Sentinox;
  Run(id::kOk);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"auto"}));
  EXPECT_EQ(host.refreshes, 0);
  EXPECT_EQ(host.progress.Mains().front(), "Sentinox is Backing up files.");
  EXPECT_EQ(host.progress.events.front(), "open:Please wait...");
  // Both progress dialogs show Cancel, greyed outside the interactive mode.
  EXPECT_EQ(host.progress.cancels, (std::vector<ProgressCancel>{ProgressCancel::Shown, ProgressCancel::Shown}));
  EXPECT_TRUE(FileExists(Backup("windir.snb")));

  host.progress.events.clear();
  dialogs.clear();
  host.state.RunMode = RunMode::Direct;
  Run(id::kOk);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"auto"}));
  EXPECT_EQ(host.progress.Mains(), (std::vector<std::string>{"Tessary is Backing up files.", "Backing up files."}));
  EXPECT_EQ(host.refreshes, 1);
  // The Express command goes on with its sequence itself, after this backup.
  EXPECT_EQ(host.expressContinued, 0);
  EXPECT_TRUE(FileExists(Backup("C_free.snb")));
  EXPECT_EQ(host.progress.open, 0);
}

}  // namespace
}  // namespace tessary
