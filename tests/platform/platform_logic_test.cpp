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

std::string Utf16(std::u16string_view units, bool bigEndian = false) {
  std::string out;
  for (char16_t u : units) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

// A file with a byte-order mark is read and written as the system's profile functions
// do: the mark is no part of the first line, and an edit goes back in the file's own
// encoding, mark included. Bytes read and written back unchanged are the same bytes,
// even those UTF-16 cannot read whole (a lone surrogate, an odd last byte).
TEST(IniDocument, FilesWithAByteOrderMarkKeepTheirEncoding) {
  struct Case {
    const char* name;
    std::string bytes;
    IniEncoding encoding;
    std::string text, edited;  // the text read, the file's bytes after the edit
  };
  const Case cases[] = {
      {"UTF-8", "\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9\r\n", IniEncoding::Utf8WithMark, "[A]\r\nk=caf\xC3\xA9\r\n",
       "\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9\r\nn=\xC3\xA9\r\n"},
      {"UTF-16LE", Utf16(u"\xFEFF[A]\r\nk=caf\x00E9\xD83D\xDE00\r\n"), IniEncoding::Utf16Le,
       "[A]\r\nk=caf\xC3\xA9\xF0\x9F\x98\x80\r\n", Utf16(u"\xFEFF[A]\r\nk=caf\x00E9\xD83D\xDE00\r\nn=\x00E9\r\n")},
      {"UTF-16BE", Utf16(u"\xFEFF[A]\nk=1\n", true), IniEncoding::Utf16Be, "[A]\nk=1\n",
       Utf16(u"\xFEFF[A]\nk=1\nn=\x00E9\n", true)},
      {"UTF-16, lone surrogate, odd byte", Utf16(u"\xFEFF[A]\r\nk=\xD800x\r\n") + "\x01", IniEncoding::Utf16Le,
       "[A]\r\nk=\xED\xA0\x80x\r\n", Utf16(u"\xFEFF[A]\r\nk=\xD800x\r\nn=\x00E9\r\n") + "\x01"},
      {"no mark", "[A]\r\nk=caf\xE9\r\n", IniEncoding::Plain, "[A]\r\nk=caf\xE9\r\n",
       "[A]\r\nk=caf\xE9\r\nn=\xC3\xA9\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniDocument ini(c.bytes);
    EXPECT_EQ(ini.encoding(), c.encoding);
    EXPECT_EQ(ini.text(), c.text);
    EXPECT_EQ(ini.Sections(), std::vector<std::string>{"A"});
    EXPECT_EQ(ini.FileBytes(), c.bytes);
    EXPECT_TRUE(ini.Set("A", "n", "\xC3\xA9"));
    EXPECT_EQ(ini.FileBytes(), c.edited);
  }
  // Text that is not UTF-8 is never written into a UTF-16 file.
  IniDocument wide(Utf16(u"\xFEFF[A]\r\n"));
  EXPECT_TRUE(wide.Set("A", "k", "caf\xE9"));
  EXPECT_EQ(wide.FileBytes(), std::nullopt);
}

// Of a name repeated in a section, the entry whose value is named goes (any case, one
// pair of quotes removed); nothing goes when no entry holds the value.
TEST(IniDocument, DeletesTheEntryWhoseValueMatches) {
  IniDocument ini("[A]\r\nk=1\r\nk=\"Two\"\r\nz=3\r\nk=two\r\n[B]\r\nk=2\r\n");
  EXPECT_TRUE(ini.DeleteEntryWithValue("a", "K", "TWO", false));
  EXPECT_EQ(ini.text(), "[A]\r\nk=1\r\nz=3\r\nk=two\r\n[B]\r\nk=2\r\n");
  EXPECT_FALSE(ini.DeleteEntryWithValue("A", "k", "4", false));
  EXPECT_TRUE(ini.DeleteEntryWithValue("A", "k", "1", true));
  EXPECT_EQ(ini.text(), "[A]\r\nz=3\r\nk=two\r\n[B]\r\nk=2\r\n");
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
