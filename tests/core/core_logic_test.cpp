// The window-free start-up rules: the show command, the last-backup text and label.
#include <gtest/gtest.h>

#include "core/startup_logic.h"

namespace tessary {
namespace {

TEST(ShowCommand, FollowsShowMaxAndTheSentinoxRules) {
  // Interactive: only "no" keeps the window normal; hidden and minimised-inactive stay.
  EXPECT_EQ(ChooseShowCommand(1, "no", false, "no"), 1);
  EXPECT_EQ(ChooseShowCommand(10, "NO", false, "no"), 1);
  EXPECT_EQ(ChooseShowCommand(1, "yes", false, "no"), 3);
  EXPECT_EQ(ChooseShowCommand(1, "maybe", false, "no"), 3);
  EXPECT_EQ(ChooseShowCommand(0, "yes", false, "no"), 0);
  EXPECT_EQ(ChooseShowCommand(7, "no", false, "no"), 7);
  // Sentinox: minimised unless the report is to be opened; only "yes" maximises.
  EXPECT_EQ(ChooseShowCommand(1, "no", true, "no"), 2);
  EXPECT_EQ(ChooseShowCommand(1, "no", true, "YES"), 1);
  EXPECT_EQ(ChooseShowCommand(1, "maybe", true, "no"), 2);
  EXPECT_EQ(ChooseShowCommand(0, "Yes", true, "no"), 3);
}

TEST(LastBackup, TextAndLabel) {
  EXPECT_EQ(FormatLastBackupTime(PackDos({1996, 12, 7, 9, 5, 10})), "09:05  7 Dec 1996");
  EXPECT_EQ(FormatLastBackupTime(PackDos({2026, 1, 31, 23, 59, 58})), "23:59  31 Jan 2026");
  EXPECT_EQ(LastBackupLabel("09:05  7 Dec 1996", "C:\\TESSARY"), "LAST BACKUP IN:C:\\TESSARY AT 09:05  7 DEC 1996");
  EXPECT_EQ(LastBackupLabel(NoBackupText("C:\\Tess"), "C:\\Tess"), "NO BACKUP FOUND IN C:\\TESS DIRECTORY");
}

TEST(LastBackup, LongBackupDirectoriesStayWithinTheTextLimit) {
  std::string dir = "C:\\" + std::string(240, 'D');
  std::string text = NoBackupText(dir);
  EXPECT_LE(text.size(), kLastBackupTextMax);
  EXPECT_NE(text.find("No backup"), std::string::npos);  // still read as "no backup"
  EXPECT_EQ(LastBackupLabel(text, dir).find("NO BACKUP"), 0u);
}

}  // namespace
}  // namespace tessary
