// The window-free rules of viewers and printing (the large-file question, captions,
// the print work file and command lines, text search) and of the progress detail line.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/progress_logic.h"
#include "shell/viewer_logic.h"

namespace tessary {
namespace {

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
  // The program path and the work file are quoted: both may hold blanks, and an
  // unquoted "c:\program files\..." would start a "c:\program.exe" first.
  std::vector<std::string> withWordPad = PrintCommandLines(true, "C:\\My Temp\\tessary.tmp");
  ASSERT_EQ(withWordPad.size(), 4u);
  EXPECT_EQ(withWordPad[0], "\"c:\\program files\\accessories\\wordpad.exe\" /p \"C:\\My Temp\\tessary.tmp\"");
  EXPECT_EQ(withWordPad[1], "wordpad.exe /p \"C:\\My Temp\\tessary.tmp\"");
  EXPECT_EQ(withWordPad[2], "write.exe /p \"C:\\My Temp\\tessary.tmp\"");
  EXPECT_EQ(withWordPad[3], "notepad.exe /p \"C:\\My Temp\\tessary.tmp\"");
  EXPECT_EQ(PrintCommandLines(false, "x")[0], "notepad /p \"x\"");
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

// The detail line under a fake clock: each step is an offer, a check or a step's end at
// a time, and what the line draws then ("-" for nothing).
TEST(ProgressDetail, DrawsAtMostEveryIntervalAndAlwaysTheLastItemOfAStep) {
  enum Kind { Offer, Check, End };
  struct Step {
    Kind kind;
    std::uint64_t ms;
    const char* text;
    const char* drawn;
  };
  const std::vector<std::vector<Step>> runs = {
      // The first text is drawn at once, the next ones within 50 ms are held; the
      // newest held one is drawn at the first check 50 ms after the last drawing.
      {{Offer, 1000, "a", "a"}, {Offer, 1010, "b", "-"}, {Offer, 1020, "c", "-"}, {Check, 1049, "", "-"},
       {Check, 1050, "", "c"}, {Check, 1200, "", "-"}, {Offer, 1200, "d", "d"}},
      // A step's end draws what is held at once, and only that.
      {{Offer, 0, "x", "x"}, {Offer, 5, "last", "-"}, {End, 6, "", "last"}, {End, 7, "", "-"},
       {Offer, 8, "next", "-"}, {Offer, 58, "after", "after"}},
      // A text the line already shows is never drawn again, and drops what was held.
      {{Offer, 0, "", ""}, {Offer, 100, "", "-"}, {Offer, 200, "k", "k"}, {Offer, 210, "m", "-"},
       {Offer, 220, "k", "-"}, {Check, 400, "", "-"}, {End, 400, "", "-"}},
      // An empty line is a text like any other: held, then drawn.
      {{Offer, 0, "k", "k"}, {Offer, 1, "", "-"}, {End, 2, "", ""}},
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    DetailThrottle throttle;
    for (std::size_t s = 0; s < runs[r].size(); ++s) {
      const Step& step = runs[r][s];
      std::optional<std::string> drawn = step.kind == Offer   ? throttle.Offer(step.text, step.ms)
                                         : step.kind == Check ? throttle.Due(step.ms)
                                                              : throttle.Flush(step.ms);
      EXPECT_EQ(drawn.value_or("-"), step.drawn) << "run " << r << ", step " << s;
    }
  }
  // The waiting messages: at the first check, then once kPumpInterval has passed.
  PumpThrottle pumps;
  const std::vector<std::pair<std::uint64_t, bool>> checks = {{500, true}, {501, false}, {514, false},
                                                              {515, true}, {515, false}, {600, true}};
  for (const auto& [ms, due] : checks) EXPECT_EQ(pumps.Due(ms), due) << ms;
}

}  // namespace
}  // namespace tessary
