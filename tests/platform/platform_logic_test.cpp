// The pure platform helpers: packed DOS times, ASCII folding, the text line splitter,
// INI documents, UTF-8.
#include <gtest/gtest.h>

#include "platform/ascii.h"
#include "platform/dos_time.h"
#include "platform/ini_document.h"
#include "platform/text_lines.h"
#include "platform/utf8.h"

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

// What the system's private-profile reader finds, as measured under Wine: the nameless
// section before the first header, the first section and first entry of a name only,
// quotes and blanks removed, ";" names found but not listed, names without "=" neither.
TEST(IniDocument, ReadsAsTheSystemsReader) {
  const IniDocument ini(
      "top=1\r\n[A]\r\nk=1\r\n\r\n[B]\r\nq=\"quoted\"\r\n;c=2\r\nnoeq\r\n  sp k  =  sp v  \r\n=empty\r\n[A]\r\n"
      "k=second\r\nz=9");
  EXPECT_EQ(ini.Find("", "top"), "1");
  EXPECT_EQ(ini.Find("a", "K"), "1");
  EXPECT_EQ(ini.Find("A", "z"), std::nullopt);  // only the first [A] counts
  EXPECT_EQ(ini.Find("B", "q"), "quoted");
  EXPECT_EQ(ini.Find("B", ";c"), "2");
  EXPECT_EQ(ini.Find("B", "noeq"), std::nullopt);
  EXPECT_EQ(ini.Find(" B ", " sp k "), "sp v");
  EXPECT_EQ(ini.Find("C", "k"), std::nullopt);
  EXPECT_EQ(ini.Keys("B"), (std::vector<std::string>{"q", "sp k", ""}));
  EXPECT_EQ(ini.Keys("A"), (std::vector<std::string>{"k"}));
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"A", "B", "A"}));
  // Lone CRs and LFs end lines too; the bytes of a value are the file's own.
  const IniDocument latin("[S]\rK=caf\xE9\nL=\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(latin.Find("S", "K"), "caf\xE9");
  EXPECT_EQ(latin.Find("S", "L"), "\xC3\xA9t\xC3\xA9");
}

// An edit changes its own line and nothing else: blanks, empty lines, comments, other
// encodings and line ends stay; a new entry follows the section's last line, a new
// section goes at the end; deletions take the first section or entry of the name.
TEST(IniDocument, EditsChangeOnlyTheirOwnLines) {
  const std::string text =
      "; caf\xE9 comment\r\n[Windows]\r\nload = old.exe  \r\nrun=\r\n\r\n[Fonts]\r\nArial (TrueType)=arial.ttf\r\n\r\n";
  IniDocument ini(text);
  EXPECT_TRUE(ini.Set("windows", "LOAD", "new.exe"));
  EXPECT_EQ(ini.text(), "; caf\xE9 comment\r\n[Windows]\r\nload = new.exe  \r\nrun=\r\n\r\n[Fonts]\r\nArial (TrueType)=arial.ttf\r\n\r\n");
  EXPECT_FALSE(ini.Set("Windows", "load", "new.exe"));  // the same value: nothing to write
  EXPECT_TRUE(ini.Set("Windows", "device", "x\xE9.drv"));
  EXPECT_EQ(ini.text(),
            "; caf\xE9 comment\r\n[Windows]\r\nload = new.exe  \r\nrun=\r\ndevice=x\xE9.drv\r\n\r\n[Fonts]\r\n"
            "Arial (TrueType)=arial.ttf\r\n\r\n");
  EXPECT_TRUE(ini.Set("New", "k", "v"));
  EXPECT_TRUE(ini.DeleteKey("windows", "RUN"));
  EXPECT_TRUE(ini.DeleteSection("fonts"));
  EXPECT_EQ(ini.text(), "; caf\xE9 comment\r\n[Windows]\r\nload = new.exe  \r\ndevice=x\xE9.drv\r\n\r\n[New]\r\nk=v\r\n");
  EXPECT_FALSE(ini.DeleteKey("Windows", "missing"));
  EXPECT_FALSE(ini.DeleteSection("Missing"));

  // A name without "=" becomes the entry; a last line without a line end gets one
  // before a new line; an LF file gets LF lines; a duplicate section is left alone.
  IniDocument bare("[A]\nname\n[A]\nk=2");
  EXPECT_TRUE(bare.Set("A", "NAME", "1"));
  EXPECT_TRUE(bare.Set("A", "x", "3"));
  EXPECT_EQ(bare.text(), "[A]\nname=1\nx=3\n[A]\nk=2");
  EXPECT_TRUE(bare.DeleteSection("A"));
  EXPECT_EQ(bare.text(), "[A]\nk=2");
  EXPECT_TRUE(bare.Set("A", "j", "4"));
  EXPECT_EQ(bare.text(), "[A]\nk=2\nj=4\n");
  IniDocument empty("");
  EXPECT_TRUE(empty.Set("A", "j", "2"));
  EXPECT_EQ(empty.text(), "[A]\r\nj=2\r\n");
}

TEST(Utf8, TellsWellFormedText) {
  EXPECT_TRUE(IsValidUtf8("plain ASCII"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));              // Latin-1
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));              // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));          // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));              // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));      // beyond U+10FFFF
}

}  // namespace
}  // namespace tessary
