// The pure platform helpers: packed DOS times, ASCII folding, the text line splitter.
#include <gtest/gtest.h>

#include "platform/ascii.h"
#include "platform/dos_time.h"
#include "platform/text_lines.h"

namespace tessary {
namespace {

TEST(DosTime, PacksTheListingExample) {
  // 7 Dec 1996, 09:05:10 is the "SYSTEM  (DIR),8583,18597" example.
  EXPECT_EQ(PackDosDate(1996, 12, 7), 8583);
  EXPECT_EQ(PackDosTime(9, 5, 10), 18597);
  CivilTime t = UnpackDos({8583, 18597});
  EXPECT_EQ(t.year, 1996);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 7);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.minute, 5);
  EXPECT_EQ(t.second, 10);
}

TEST(Ascii, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsNoCase("SoftWare", "software"));
  EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));  // A-umlaut and a-umlaut stay apart
  EXPECT_EQ(ToUpperAscii("c:\\tessary\xE4"), "C:\\TESSARY\xE4");
  EXPECT_TRUE(IsYes("YeS"));
  EXPECT_FALSE(IsYes("yes "));
  EXPECT_EQ(FindNoCase("Last NO BACKUP here", "No backup"), 5u);
}

}  // namespace
}  // namespace tessary
