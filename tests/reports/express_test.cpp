// Express: the backup in Direct mode, the prompt, the start and its messages, Compare.
#include <gtest/gtest.h>

#include "reports/express.h"
#include "resources/ids.h"
#include "testbed.h"

namespace tessary {
namespace {

class FakeLauncher : public SetupLauncher {
 public:
  std::optional<std::string> ChooseSetupProgram(WindowHandle) override { return chosen; }
  unsigned Start(const std::string& path) override {
    started.push_back(path);
    return result;
  }
  std::optional<std::string> chosen = std::string("C:\\INSTALL\\SETUP.EXE");
  unsigned result = 33;
  std::vector<std::string> started;
};

// The real start call with a scripted prompt.
class RealStart : public SystemSetupLauncher {
 public:
  explicit RealStart(std::string path) : path_(std::move(path)) {}
  std::optional<std::string> ChooseSetupProgram(WindowHandle) override { return path_; }

 private:
  std::string path_;
};

class ExpressTest : public test::HostTest {
 protected:
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& b : host.prompter.boxes) texts.push_back(b.text);
    return texts;
  }
};

TEST_F(ExpressTest, BackupRunsInDirectModeThenTheExpressSequence) {
  int continuedDuringBackup = -1;
  RunMode mode = RunMode::Interactive;
  host.handlers[Command::Backup] = [&] {
    continuedDuringBackup = host.expressContinued;
    mode = host.state.RunMode;
  };
  RunExpressBackup(host);
  EXPECT_EQ(host.commands, std::vector<Command>{Command::Backup});
  EXPECT_EQ(mode, RunMode::Direct);
  EXPECT_EQ(continuedDuringBackup, 0);
  EXPECT_EQ(host.expressContinued, 1);
  EXPECT_EQ(host.state.RunMode, RunMode::Interactive);
}

TEST_F(ExpressTest, AStartedProgramIsFollowedByCompare) {
  FakeLauncher launcher;
  RunExpressSequence(host, launcher);
  EXPECT_EQ(launcher.started, std::vector<std::string>{"C:\\INSTALL\\SETUP.EXE"});
  EXPECT_EQ(host.commands, std::vector<Command>{Command::Compare});
  EXPECT_TRUE(host.prompter.boxes.empty());
}

TEST_F(ExpressTest, CancellingThePromptEndsTheSequence) {
  FakeLauncher launcher;
  launcher.chosen.reset();
  RunExpressSequence(host, launcher);
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_TRUE(host.commands.empty());
}

TEST_F(ExpressTest, FailedStartsShowTheirMessageThenTheGeneralOne) {
  const std::string general = "There was an error trying to execute this file.";
  struct Case {
    unsigned result;
    std::vector<std::string> texts;
  };
  for (const Case& c : {Case{2, {"File could not be found", general}}, Case{3, {"Invalid Path", general}},
                        Case{11, {"File could not be executed, make sure this is an executable file.", general}},
                        Case{0, {general}}, Case{31, {general}}}) {
    host.prompter.boxes.clear();
    FakeLauncher launcher;
    launcher.result = c.result;
    for (std::size_t i = 0; i < c.texts.size(); ++i) host.prompter.Answer(id::kOk);
    RunExpressSequence(host, launcher);
    EXPECT_EQ(Texts(), c.texts) << c.result;
    for (const auto& b : host.prompter.boxes) {
      EXPECT_EQ(b.caption, "C:\\INSTALL\\SETUP.EXE");
      EXPECT_EQ(b.style, mb::kOk);
      EXPECT_EQ(b.owner, nullptr);
    }
  }
  EXPECT_TRUE(host.commands.empty());
}

TEST_F(ExpressTest, AFileThatVanishedIsNotFound) {
  RealStart launcher(dir / "gone\\setup.exe");
  host.prompter.Answer(id::kOk).Answer(id::kOk);
  RunExpressSequence(host, launcher);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  // A missing folder may be reported as a missing file or a bad path; the general
  // message follows either way and no Compare is run.
  EXPECT_TRUE(host.prompter.boxes[0].text == "File could not be found" ||
              host.prompter.boxes[0].text == "Invalid Path")
      << host.prompter.boxes[0].text;
  EXPECT_EQ(host.prompter.boxes[1].text, "There was an error trying to execute this file.");
  EXPECT_TRUE(host.commands.empty());
}

}  // namespace
}  // namespace tessary
