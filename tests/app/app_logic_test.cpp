// The window-free rules of the shell: start-up (show command, last-backup text and
// label) and the viewer and print rules.
#include <gtest/gtest.h>

#include "app/startup_logic.h"
#include "app/viewer_logic.h"

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

TEST(ViewerRules, LargeFileQuestionAndWordPadCommand) {
  EXPECT_EQ(TooLargeQuestion(30001),
            "This file is 30001 bytes in size. Tessary cannot reliably read files larger than about 30K. Would you "
            "like to view this file with WordPad? (Yes to open in WordPad, No to open anyway, Cancel to not open the "
            "file at all.)\n If Tessary cannot open the file it will present you with a blank document.");
  // The size is shown as the system's signed decimal.
  EXPECT_EQ(TooLargeQuestion(0x80000000ull).substr(0, 25), "This file is -2147483648 ");
  EXPECT_EQ(WordPadCommand("C:\\A B\\R.TSC"), "write.exe \"C:\\A B\\R.TSC\"");
}

TEST(ViewerRules, ChildCaption) {
  EXPECT_EQ(ChildCaption("", "C:\\TESSARY\\COMPARE.TSC", 0), "C:\\TESSARY\\COMPARE.TSC");
  EXPECT_EQ(ChildCaption("0", "Untitled", 0), "0 - Untitled");
  EXPECT_EQ(ChildCaption("3", "x.txt", 2), "3 - x.txt:2");
}

TEST(ViewerRules, PrintWorkFileAndCommandLines) {
  EXPECT_EQ(PrintWorkFile("C:\\windows\\temp\\"), "C:\\windows\\temp\\tessary.tmp");
  EXPECT_EQ(PrintWorkFile("C:\\windows\\temp"), "C:\\windows\\temp\\tessary.tmp");
  EXPECT_EQ(PrintWorkFile(""), "C:\\tessary.tmp");
  std::vector<std::string> withWordPad = PrintCommandLines(true, "C:\\T\\tessary.tmp");
  ASSERT_EQ(withWordPad.size(), 4u);
  EXPECT_EQ(withWordPad[0], "c:\\program files\\accessories\\wordpad.exe /p C:\\T\\tessary.tmp");
  EXPECT_EQ(withWordPad[1], "wordpad.exe /p C:\\T\\tessary.tmp");
  EXPECT_EQ(withWordPad[2], "write.exe /p C:\\T\\tessary.tmp");
  EXPECT_EQ(withWordPad[3], "notepad.exe /p C:\\T\\tessary.tmp");
  EXPECT_EQ(PrintCommandLines(false, "x")[0], "notepad /p x");
}

TEST(ViewerRules, FindInText) {
  std::string text = "Win.ini CHANGED\r\nwin.ini added\r\nwindows";
  EXPECT_EQ(FindInText(text, "win.ini", 0, true, false, false), 0u);
  EXPECT_EQ(FindInText(text, "win.ini", 1, true, false, false), 17u);
  EXPECT_EQ(FindInText(text, "Win.ini", 1, true, true, false), std::string::npos);
  EXPECT_EQ(FindInText(text, "win", 18, true, false, true), std::string::npos);  // "windows" is no whole word
  EXPECT_EQ(FindInText(text, "win", 18, true, false, false), 32u);
  // Backward from the end of the text finds the last match ending before the caret.
  EXPECT_EQ(FindInText(text, "ini", text.size(), false, false, false), 21u);
  EXPECT_EQ(FindInText(text, "ini", 6, false, false, false), std::string::npos);
  EXPECT_EQ(FindInText(text, "", 0, true, false, false), std::string::npos);
}

// A plain top-level window that plays the main window.

}  // namespace
}  // namespace tessary
