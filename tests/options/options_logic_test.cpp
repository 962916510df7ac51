// The window-free rules of the option dialogs.
#include <gtest/gtest.h>

#include "options/logic/options_logic.h"

namespace tessary {
namespace {

TEST(KeepCount, AcceptsTenToTwoHundredOnly) {
  EXPECT_TRUE(KeepCountAccepted("10"));
  EXPECT_TRUE(KeepCountAccepted("200"));
  EXPECT_TRUE(KeepCountAccepted("40x"));  // leading digits count
  EXPECT_FALSE(KeepCountAccepted("9"));
  EXPECT_FALSE(KeepCountAccepted("201"));
  EXPECT_FALSE(KeepCountAccepted("500"));
  EXPECT_FALSE(KeepCountAccepted("abc"));
  EXPECT_FALSE(KeepCountAccepted(""));
  // Only four characters are taken from the box: "10000" is read as "1000".
  EXPECT_EQ(TakeNumberBoxText("10000"), "1000");
  EXPECT_FALSE(KeepCountAccepted(TakeNumberBoxText("10000")));
  EXPECT_TRUE(KeepCountAccepted(TakeNumberBoxText("0040")));
}

TEST(OptionalDirectory, DropsOneTrailingBackslashButKeepsDriveRoots) {
  EXPECT_EQ(TrimOptionalDirectory("C:\\GAMES\\"), "C:\\GAMES");
  EXPECT_EQ(TrimOptionalDirectory("C:\\GAMES\\\\"), "C:\\GAMES\\");
  EXPECT_EQ(TrimOptionalDirectory("C:\\"), "C:\\");
  EXPECT_EQ(TrimOptionalDirectory("C:\\GAMES"), "C:\\GAMES");
  EXPECT_EQ(TrimOptionalDirectory(""), "");
}

TEST(DirectoryBrowser, PatternsLinesAndSteps) {
  EXPECT_EQ(BrowserPattern("C:\\"), "C:\\*.*");
  EXPECT_EQ(BrowserPattern("C:\\TESSARY"), "C:\\TESSARY\\*.*");
  EXPECT_EQ(BrowserDirectoryLine(".."), "[..]");
  EXPECT_EQ(BrowserDriveLine('D'), "D:\\");
  EXPECT_EQ(BrowserStep("C:\\TESSARY", "[..]"), "C:\\TESSARY\\..");
  EXPECT_EQ(BrowserStep("C:\\", "[WINDOWS]"), "C:\\WINDOWS");
  EXPECT_EQ(BrowserStep("C:\\TESSARY", "[Program Files]"), "C:\\TESSARY\\Program Files");
  EXPECT_EQ(BrowserStep("C:\\TESSARY", "D:\\"), "D:\\");
}

}  // namespace
}  // namespace tessary
