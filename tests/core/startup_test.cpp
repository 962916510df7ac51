// Start-up: the start request, the state read at start-up, the last-backup text and
// label, the first-run prompt, and the idle step that ends a Sentinox pass.
#include <gtest/gtest.h>

#include "core/startup.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::HostTest;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr Command kBackup{204}, kCompare{304}, kUninstall{303};

TEST(StartRequest, IsHonouredExactlyOnceInAnyCase) {
  TempDir dir;
  std::string ini = dir / "tessary.ini";
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "RunBackup", "YES"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "AutoOpenSNC", "yes"));
  EXPECT_TRUE(TakeStartRequest(ini));
  EXPECT_EQ(ProfileRead(ini, "sentinox", "RunBackup", "gone", 9), "gone");
  EXPECT_FALSE(TakeStartRequest(ini));
  // The rest of the section stays.
  EXPECT_EQ(ProfileRead(ini, "sentinox", "AutoOpenSNC", "", 5), "yes");
}

TEST(StartRequest, AnyOtherValueStartsInteractivelyAndIsRemovedToo) {
  TempDir dir;
  std::string ini = dir / "tessary.ini";
  for (const char* value : {"no", "yess", "y", ""}) {
    EXPECT_TRUE(ProfileWrite(ini, "sentinox", "RunBackup", value));
    EXPECT_FALSE(TakeStartRequest(ini)) << value;
    EXPECT_EQ(ProfileRead(ini, "sentinox", "RunBackup", "gone", 9), "gone") << value;
  }
  EXPECT_FALSE(TakeStartRequest(dir / "missing.ini"));
}

class StartupTest : public HostTest {};

TEST_F(StartupTest, LastBackupQueryReadsOnlyTheInteractiveWindowsListing) {
  EXPECT_EQ(LastBackupQuery(backupDir), "No backup found in " + backupDir + " directory");
  WriteBytes(backupDir + "\\windir.snb", "");  // a Sentinox backup does not count
  EXPECT_EQ(LastBackupQuery(backupDir), "No backup found in " + backupDir + " directory");
  WriteBytes(backupDir + "\\windir.tsb", "");
  ASSERT_TRUE(test::SetLastWrite(backupDir + "\\windir.tsb", 1996, 12, 7, 9, 5, 10));
  EXPECT_EQ(LastBackupQuery(backupDir), "09:05  7 Dec 1996");
}

TEST_F(StartupTest, LoadStateTakesTheDirectorySettingInUpperCaseOrTheCurrentDirectory) {
  AppState state;
  LoadStartupState(state, dir.path(), "c:\\work\\here");
  EXPECT_EQ(state.SettingsFilePath, dir / "tessary.ini");
  EXPECT_EQ(state.WindowsDirectory, dir.path());
  EXPECT_EQ(state.BackupDirectory, "C:\\WORK\\HERE");
  EXPECT_TRUE(ProfileWrite(dir / "tessary.ini", "Tessary", "directory", "d:\\backups\\tess"));
  LoadStartupState(state, dir.path(), "c:\\work\\here");
  EXPECT_EQ(state.BackupDirectory, "D:\\BACKUPS\\TESS");
}

TEST_F(StartupTest, FirstRunPromptRunsADirectBackupOnYes) {
  Set(settings::kFirstRun, "yes");
  host.state.LastBackupText = NoBackupText(backupDir);
  RunMode modeDuringBackup = RunMode::Interactive;
  host.handlers[kBackup] = [&] { modeDuringBackup = host.state.RunMode; };
  host.prompter.Answer(id::kYes);
  OfferFirstBackup(host);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].caption, "Perform Backup?");
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Since this is the first time running this version of Tessary, would you like to do a backup now? A "
            "backup is necessary before installing a program that you want to monitor or uninstall.");
  EXPECT_EQ(host.prompter.boxes[0].style, mb::kYesNo);
  EXPECT_EQ(host.commands, std::vector<Command>{kBackup});
  EXPECT_EQ(modeDuringBackup, RunMode::Direct);
  EXPECT_EQ(host.state.RunMode, RunMode::Interactive);
  EXPECT_EQ(settings().Read(settings::kFirstRun, "gone", 10), "gone");
}

TEST_F(StartupTest, DecliningTheFirstRunPromptStillRemovesIt) {
  Set(settings::kFirstRun, "YES");
  host.state.LastBackupText = NoBackupText(backupDir);
  host.prompter.Answer(id::kNo);
  OfferFirstBackup(host);
  EXPECT_TRUE(host.commands.empty());
  EXPECT_EQ(settings().Read(settings::kFirstRun, "gone", 10), "gone");
  OfferFirstBackup(host);  // no second prompt
  EXPECT_EQ(host.prompter.boxes.size(), 1u);
}

TEST_F(StartupTest, NoFirstRunPromptWhenABackupExists) {
  Set(settings::kFirstRun, "yes");
  host.state.LastBackupText = "09:05  7 Dec 1996";
  OfferFirstBackup(host);
  EXPECT_TRUE(host.prompter.boxes.empty());
  EXPECT_EQ(settings().Read(settings::kFirstRun), "yes");  // kept for a later start
}

class SentinoxPassTest : public HostTest {
 protected:
  SentinoxPassTest() {
    host.state.RunMode = RunMode::Sentinox;
    host.state.SentinoxPass = true;
  }
  IdleState idle;
};

TEST_F(SentinoxPassTest, ComparesThenBacksUpThenPrunes) {
  std::string report = backupDir + "\\12071405.SNC";
  WriteBytes(report, "report");
  host.handlers[kCompare] = [&] { ContinueSentinoxPass(host, report); };
  RunSentinoxPass(host);
  EXPECT_EQ(host.commands, (std::vector<Command>{kCompare, kBackup}));
  EXPECT_EQ(host.pruned, 1);
  EXPECT_FALSE(host.state.SentinoxPass);
  EXPECT_EQ(settings().Read(settings::kLastSNCPath), report);
}

TEST_F(SentinoxPassTest, AReportThatWasNotWrittenKeepsTheLastPath) {
  Set(settings::kLastSNCPath, "C:\\OLD.SNC");
  ContinueSentinoxPass(host, "");
  EXPECT_EQ(settings().Read(settings::kLastSNCPath), "C:\\OLD.SNC");
  ContinueSentinoxPass(host, backupDir + "\\missing.SNC");
  EXPECT_EQ(settings().Read(settings::kLastSNCPath), "C:\\OLD.SNC");
}

TEST_F(SentinoxPassTest, AnInteractiveProgramQuitsInsteadOfBackingUp) {
  host.state.RunMode = RunMode::Interactive;
  ContinueSentinoxPass(host, "");
  EXPECT_TRUE(host.commands.empty());
  EXPECT_EQ(host.quits, 1);
}

TEST_F(SentinoxPassTest, FirstIdleQuitsWhenTheReportIsNotToBeOpened) {
  IdleStep(host, idle);
  EXPECT_EQ(host.quits, 1);
  EXPECT_EQ(host.state.RunMode, RunMode::Interactive);
  EXPECT_TRUE(idle.startupDone);
  IdleStep(host, idle);  // later idle passes do nothing more
  EXPECT_EQ(host.quits, 1);
}

TEST_F(SentinoxPassTest, FirstIdleOpensTheNewestReport) {
  std::string report = backupDir + "\\12071405.SNC";
  WriteBytes(report, "report");
  Set(settings::kAutoOpenSNC, "Yes");
  Set(settings::kLastSNCPath, report);
  IdleStep(host, idle);
  EXPECT_EQ(host.opened, std::vector<std::string>{report});
  EXPECT_EQ(host.quits, 0);
}

TEST_F(SentinoxPassTest, FirstIdleQuitsSilentlyWithoutAReportPath) {
  Set(settings::kAutoOpenSNC, "yes");
  IdleStep(host, idle);
  EXPECT_EQ(host.quits, 1);
  EXPECT_TRUE(host.opened.empty());
}

TEST_F(SentinoxPassTest, FirstIdleReportsAMissingReportThenQuits) {
  Set(settings::kAutoOpenSNC, "yes");
  Set(settings::kLastSNCPath, "C:\\GONE.SNC");
  host.prompter.Answer(id::kOk);
  IdleStep(host, idle);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Unable to open last SNC file.\nThe last SNC may have reflected no changes, and may be blank.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "C:\\GONE.SNC");
  EXPECT_EQ(host.quits, 1);
  EXPECT_TRUE(host.opened.empty());
}

TEST_F(StartupTest, IdleRestartsUninstallWhenAsked) {
  IdleState idle;
  idle.restartUninstall = true;
  IdleStep(host, idle);
  EXPECT_EQ(host.commands, std::vector<Command>{kUninstall});
  EXPECT_FALSE(idle.restartUninstall);
  EXPECT_EQ(host.quits, 0);  // an interactive start ends nothing at idle
}

}  // namespace
}  // namespace tessary
