// The Backup run and the Backup command in their three modes, without windows.
#include "platform/files.h"
#include "snapshot/backup_run.h"
#include "snapshot/registry_export.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;

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
    return [this, result](Host&, RunMode mode, const std::string&) {
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
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport()), 1);
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
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport()), 0);
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
  auto writeSnapshots = [](Host&, RunMode, const std::string& directory) {
    test::WriteBytes(directory + "\\curuser.TSB", "Software\r\n");
    return true;
  };
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeSnapshots), 0);
  for (const char* stale : {"curuser_val.TSB", "services.TSB", "services_val.TSB", "userenv_val.TSB"})
    EXPECT_FALSE(PathExists(Backup(stale))) << stale;
  EXPECT_TRUE(FileExists(Backup("users_val.SNB")));  // the Sentinox set is another set
  EXPECT_EQ(ReadBytes(Backup("curuser.TSB")), "Software\r\n");

  Set(settings::kRecordValues, "yes");
  auto writeWithValues = [](Host&, RunMode, const std::string& directory) {
    test::WriteBytes(directory + "\\curuser_val.TSB", "TESSARY REGISTRY VALUES 1\r\n");
    return true;
  };
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeWithValues), 0);
  EXPECT_TRUE(FileExists(Backup("curuser_val.TSB")));
  // The command line's --values keeps them whatever the settings say.
  Set(settings::kRecordValues, "no");
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, writeWithValues, ValuesSwitch::On), 0);
  EXPECT_TRUE(FileExists(Backup("curuser_val.TSB")));
}

TEST_F(BackupRun, DirectRunWritesFreeSpaceWithSnb) {
  // The first-run prompt's backup: free space with "snb", everything else with "tsb".
  EXPECT_EQ(RunBackup(host, RunMode::Direct, nullptr, StubExport()), 0);
  EXPECT_TRUE(FileExists(Backup("C_free.snb")));
  EXPECT_FALSE(PathExists(Backup("C_free.tsb")));
  EXPECT_TRUE(FileExists(Backup("windir.tsb")));
  EXPECT_TRUE(FileExists(Backup("msdos.tsb")));
  EXPECT_EQ(exportModes, (std::vector<RunMode>{RunMode::Direct}));
}

TEST_F(BackupRun, SentinoxRunWithCompSentinoxWritesNoRegistryFiles) {
  EXPECT_EQ(RunBackup(host, RunMode::Sentinox, nullptr), 0);  // the real export
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
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport(false)), 0);
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

TEST_F(BackupRun, DirectoryThatIsAFileFailsCopyByCopy) {
  std::string file = dir / "NOTADIR";
  test::WriteBytes(file, "x");
  host.state.BackupDirectory = file;
  for (int i = 0; i < 8; ++i) host.prompter.Answer(id::kOk);
  EXPECT_EQ(RunBackup(host, RunMode::Interactive, nullptr, StubExport()), 0);
  ASSERT_EQ(host.prompter.boxes.size(), 8u);
  const std::string windows = host.state.WindowsDirectory;
  const std::vector<std::string> sources = {"c:\\autoexec.bat",         "c:\\config.sys",
                                            windows + "\\win.ini",      windows + "\\system.ini",
                                            windows + "\\protocol.ini", "c:\\msdos.sys"};
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(host.prompter.boxes[i].caption, sources[i]);
    EXPECT_EQ(host.prompter.boxes[i].text,
              "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.");
  }
  // The listings and records that could not be written are reported once.
  EXPECT_EQ(host.prompter.boxes[6].caption, file);
  EXPECT_EQ(host.prompter.boxes[6].text,
            "Error writing backup files.\nMake sure there is enough disk space, and that the backup directory can be "
            "written to.");
  EXPECT_EQ(host.prompter.boxes[7].text,
            "The backup did not complete. The files of the previous backup are kept, and Compare still uses them.");
  EXPECT_EQ(ReadBytes(file), "x");
}

// The Backup command with a scripted dialog: the confirmation answers `confirmAnswer`;
// an instance opened to run now runs the backup as the real one does.
class BackupCommandTest : public BackupRun {
 protected:
  void Run(int confirmAnswer) {
    RunBackupCommand(host, [&](Host& h, bool runNow) {
      dialogs.push_back(runNow ? "auto" : "confirm");
      if (runNow) {
        RunBackup(h, h.State().RunMode, nullptr, StubExport());
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
