#include <gtest/gtest.h>

#include "uninstall/logic/uninstall_logic.h"

namespace tessary {
namespace {

// An NE file: MZ stub with byte 24 = 0x40, header offset at 60, "NE" header with the
// module-reference count at +30 and the imported-names offset at +42.
std::string NeFile(const std::vector<std::string>& names, unsigned count = 0xFFFF) {
  std::string f(0x80, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  f[24] = 0x40;
  f[60] = 0x80;
  std::string ne(0x40, '\0');
  ne[0] = 'N';
  ne[1] = 'E';
  ne[30] = static_cast<char>(count == 0xFFFF ? names.size() : count);
  ne[42] = 0x40;  // table right after this header
  std::string table(1, '\0');
  for (const auto& n : names) table += static_cast<char>(n.size()) + n;
  return f + ne + table;
}

std::vector<std::string> Read(const std::string& bytes) {
  return NeImportedModules(
      [&](std::uint64_t off, std::size_t n) { return off >= bytes.size() ? std::string() : bytes.substr(off, n); },
      bytes.size());
}

TEST(NeReader, ReadsImportedNamesAndSkipsOutOfRangeLengths) {
  EXPECT_EQ(Read(NeFile({"KERNEL", "MYLIB", "X"})), (std::vector<std::string>{"KERNEL", "MYLIB", "X"}));
  // A nine-character entry is passed over, the count still counts it.
  EXPECT_EQ(Read(NeFile({"NINECHARS", "GDI", "USER"}, 2)), (std::vector<std::string>{"GDI"}));
  // The table runs past the end of the file: stop there.
  std::string cut = NeFile({"KERNEL", "MYLIB"});
  cut.resize(cut.size() - 3);
  EXPECT_EQ(Read(cut), (std::vector<std::string>{"KERNEL"}));
}

TEST(NeReader, PassesOverOtherFormatsAndBadOffsets) {
  std::string pe = NeFile({"MYLIB"});
  pe[0x80] = 'P';
  EXPECT_TRUE(Read(pe).empty());
  std::string old = NeFile({"MYLIB"});
  old[24] = 0x3F;
  EXPECT_TRUE(Read(old).empty());
  std::string far = NeFile({"MYLIB"});
  far[61] = 0x7F;  // header offset beyond the end
  EXPECT_TRUE(Read(far).empty());
  std::string table = NeFile({"MYLIB"});
  table[0x80 + 43] = 0x7F;  // names table beyond the end
  EXPECT_TRUE(Read(table).empty());
  EXPECT_TRUE(Read(std::string(24, 'x')).empty());
  EXPECT_TRUE(Read(NeFile({})).empty());
}

TEST(DllMatching, ScanComparesOverModuleLengthDialogOverBaseLength) {
  EXPECT_TRUE(ModuleRefersToDll("ABC", "ABCDEF"));
  EXPECT_TRUE(ModuleRefersToDll("abcdef", "ABCDEF"));
  EXPECT_FALSE(ModuleRefersToDll("A", "ABCDEF"));
  EXPECT_FALSE(ModuleRefersToDll("ABCDEFGH", "ABCDEF"));
  EXPECT_EQ(ReferencingPathOf("ABCDEFGH C:\\APP\\X.EXE", "ABCDEF"), "C:\\APP\\X.EXE");
  EXPECT_EQ(ReferencingPathOf("ABC C:\\APP\\X.EXE", "ABCDEF"), "");
  EXPECT_EQ(ReferencingPathOf("", "ABCDEF"), "");
  EXPECT_EQ(DllBaseOfPath("C:\\WINDOWS\\SYSTEM\\MYLIB.DLL"), "MYLIB");
}

// system.ini's lines ended by `eol`, the rewrite made on them, and the text it leaves.
std::string Lines(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}
std::string Inserted(const std::string& text, const std::string& value) {
  IniDocument ini(text);
  InsertDeviceLine(ini, value);
  return ini.text();
}
std::string Removed(const std::string& text, const std::string& value) {
  IniDocument ini(text);
  RemoveDeviceLine(ini, value);
  return ini.text();
}

TEST(DeviceLines, InsertAfterEveryHeaderRemoveInFirstSectionOnly) {
  const std::vector<std::string> ini{"[boot]", "a=1", "[386Enh]", "x=1", "[386enh] ", "device=v.386"};
  EXPECT_EQ(Inserted(Lines(ini), "NEW.386"), Lines({"[boot]", "a=1", "[386Enh]", "device=NEW.386", "x=1", "[386enh] ",
                                                    "device=NEW.386", "device=v.386"}));
  const std::vector<std::string> two{"[386Enh]", "DEVICE=V.386", "x=1", "device=v.386", "[other]", "device=v.386",
                                     "[386Enh]", "device=v.386"};
  EXPECT_EQ(Removed(Lines(two), "V.386"),
            Lines({"[386Enh]", "x=1", "[other]", "device=v.386", "[386Enh]", "device=v.386"}));
  EXPECT_EQ(SplitTextLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(JoinTextLines({"a", ""}), "a\r\n\r\n");
}

// The rewrite keeps the file's own line ends, whichever they are, and every line it
// does not touch; a header that ends the file without a line end gets one.
TEST(DeviceLines, KeepTheFilesLineEnds) {
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(eol == "\r" ? "CR" : eol == "\n" ? "LF" : "CR LF");
    const std::string before = Lines({"[boot]", "shell=x", "[386Enh]", "device=OLD.386", "a=1"}, eol);
    EXPECT_EQ(Removed(before, "OLD.386"), Lines({"[boot]", "shell=x", "[386Enh]", "a=1"}, eol));
    EXPECT_EQ(Inserted(before, "NEW.386"),
              Lines({"[boot]", "shell=x", "[386Enh]", "device=NEW.386", "device=OLD.386", "a=1"}, eol));
    EXPECT_EQ(Inserted("[boot]" + eol + "[386Enh]", "N.386"), "[boot]" + eol + "[386Enh]" + eol + "device=N.386" + eol);
  }
  // Each line keeps its own end in a file of mixed ends; the new line ends as its header.
  EXPECT_EQ(Inserted("[boot]\r[386Enh]\n\nx=1\r\n", "N.386"), "[boot]\r[386Enh]\ndevice=N.386\n\nx=1\r\n");
}

TEST(DeviceLines, AreFoundAsTheSystemReadsThem) {
  // Compare reads "  device = x.386 " under " [386Enh] ; drivers" as the entry
  // device=x.386 of section 386Enh; undoing it must find that same line.
  const std::vector<std::string> ini{" [386Enh] ; drivers", "  device = x.386 ", "Device=\"x.386\"", "devices=x.386",
                                     "device=x.3861", "[ boot", "device=x.386", "[boot]", "device=x.386"};
  EXPECT_EQ(Removed(Lines(ini), "X.386"), Lines({" [386Enh] ; drivers", "devices=x.386", "device=x.3861", "[ boot",
                                                 "[boot]", "device=x.386"}));
  EXPECT_EQ(Inserted(Lines({"\t[386enh]  ", "a=1", "[386enh]x"}), "N.386"),
            Lines({"\t[386enh]  ", "device=N.386", "a=1", "[386enh]x", "device=N.386"}));
}

TEST(LogHeader, PadsTheHourWithABlank) {
  LocalTime t{1996, 12, 7, 9, 5, 10, 6};
  EXPECT_EQ(UninstallLogHeader(t), "-----------UNINSTALL LOG FOR:\r\n12/7/1996  9:05:10\r\n");
}

}  // namespace
}  // namespace tessary
