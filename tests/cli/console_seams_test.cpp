// The console seams: questions by --yes, on the console or answered No; messages on
// standard error; progress lines per step; Ctrl+C seen as a Cancel.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/console_host.h"
#include "cli/console_seams.h"

namespace tessary::cli {
namespace {

struct Console {
  std::istringstream in;
  std::ostringstream err;
  bool stop = false;
};

TEST(ConsoleSeamsTest, MessagesGoToStandardErrorAsOneLine) {
  Console c;
  ConsolePrompter p(c.in, c.err, AnswerMode::No);
  EXPECT_EQ(p.Ask("Error copying file.\nMake sure there is enough disk space.", "C:\\autoexec.bat"), id::kOk);
  EXPECT_EQ(p.Ask("Unable to create compare file.", ""), id::kOk);
  EXPECT_EQ(c.err.str(),
            "tessaryc: C:\\autoexec.bat: Error copying file. Make sure there is enough disk space.\n"
            "tessaryc: Tessary: Unable to create compare file.\n");
  EXPECT_EQ(p.MessagesSince(1), std::vector<std::string>{"Tessary: Unable to create compare file."});
  EXPECT_FALSE(p.shown()[0].question);
}

TEST(ConsoleSeamsTest, QuestionsAreAnsweredByModeOrStop) {
  Console c;
  ConsolePrompter yes(c.in, c.err, AnswerMode::Yes, [&] { return c.stop; });
  EXPECT_EQ(yes.Ask("Overwrite?", "C:\\B\\X.TSC", mb::kYesNo), id::kYes);
  EXPECT_EQ(yes.Ask("Go on?", "x", mb::kOkCancel), id::kOk);
  c.stop = true;  // Ctrl+C: every later question is a Cancel (or No without one)
  EXPECT_EQ(yes.Ask("Remove the tree?", "C:\\X", mb::kYesNoCancel), id::kCancel);
  EXPECT_EQ(yes.Ask("Overwrite?", "C:\\B\\X.TSC", mb::kYesNo), id::kNo);
  EXPECT_EQ(c.err.str(), "");  // questions answered without a word

  ConsolePrompter no(c.in, c.err, AnswerMode::No);
  EXPECT_EQ(no.Ask("Overwrite?", "p", mb::kYesNo), id::kNo);
  EXPECT_EQ(no.Ask("Remove?", "p", mb::kYesNoCancel), id::kCancel);
  EXPECT_EQ(no.shown().back().answer, id::kCancel);
  EXPECT_TRUE(no.shown().back().question);
}

TEST(ConsoleSeamsTest, OnTheConsoleQuestionsAreAskedAndReadBack) {
  Console c;
  c.in.str("yes\nmaybe\nN\nc\n");
  ConsolePrompter p(c.in, c.err, AnswerMode::Ask);
  EXPECT_EQ(p.Ask("Overwrite?", "C:\\B\\X.TSC", mb::kYesNo), id::kYes);
  EXPECT_EQ(p.Ask("Remove?", "C:\\X", mb::kYesNoCancel), id::kNo);  // asked again after "maybe"
  EXPECT_EQ(p.Question("Delete it?", true), id::kCancel);
  EXPECT_EQ(p.Question("And now?", false), id::kNo);  // end of input
  EXPECT_EQ(c.err.str(), "C:\\B\\X.TSC: Overwrite? [y/n] C:\\X: Remove? [y/n/c]  [y/n/c] Delete it? [y/n/c] "
                         "And now? [y/n] \n");
}

TEST(ConsoleSeamsTest, ProgressOffTheConsoleIsOneLinePerStep) {
  Console c;
  ConsoleProgressFactory f(c.err, false, false, [&] { return c.stop; }, [] { return 0; });
  {
    auto p = f.Open("C:\\B\\X.TSC");
    p->SetMainText("Comparing Win.ini");
    p->SetDetailText("[windows]");
    p->SetMainText("Comparing Registry");
    EXPECT_FALSE(p->Cancelled());
    c.stop = true;
    EXPECT_TRUE(p->Cancelled());
  }
  EXPECT_EQ(c.err.str(), "[1] Comparing Win.ini\n[2] Comparing Registry\n");
  EXPECT_TRUE(f.cancelSeen());
  f.Reset();
  EXPECT_FALSE(f.cancelSeen());

  Console quiet;
  ConsoleProgressFactory q(quiet.err, true, true, {}, {});
  q.Open("x")->SetMainText("Comparing Win.ini");
  EXPECT_EQ(quiet.err.str(), "");
}

TEST(ConsoleSeamsTest, ProgressOnTheConsoleRewritesTheStepsLineAtMostTenTimesASecond) {
  Console c;
  std::uint64_t now = 1000;
  ConsoleProgressFactory f(c.err, true, false, {}, [&] { return now; });
  {
    auto p = f.Open("x");
    p->SetMainText("Comparing Windows Directory");
    p->SetDetailText("A.DLL");  // within 100 ms of the last drawing: counted, not drawn
    now += 150;
    p->SetDetailText("B.DLL");
    p->SetMainText("Comparing Desktop");
  }
  EXPECT_EQ(c.err.str(),
            "\r[1] Comparing Windows Directory"
            "\r[1] Comparing Windows Directory (2) B.DLL"
            "\r[1] Comparing Windows Directory (2)      \n"
            "\r[2] Comparing Desktop"
            "\r[2] Comparing Desktop\n");
}

}  // namespace
}  // namespace tessary::cli
