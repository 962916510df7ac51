// The Win32 wrappers against the real (Wine) system.
#include <gtest/gtest.h>

#include <map>

#include "core/settings.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/dos_time.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/registry_values.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::TempRegKey;
using test::WriteBytes;

TEST(Profile, ReadCutsToTheBufferAndFallsBackToTheDefault) {
  TempDir dir;
  std::string ini = dir / "p.ini";
  ASSERT_TRUE(ProfileWrite(ini, "TestSection", "Key", "abcdefghij"));
  EXPECT_EQ(ProfileRead(ini, "testsection", "KEY", "dflt", 5), "abcd");
  EXPECT_EQ(ProfileRead(ini, "TestSection", "Missing", "default", 5), "defa");
  EXPECT_EQ(ProfileReadFull(ini, "TestSection", "Key", ""), "abcdefghij");
}

TEST(Profile, DeletesKeysAndSectionsAndListsKeysInFileOrder) {
  TempDir dir;
  std::string ini = dir / "p.ini";
  WriteBytes(ini, "[One]\r\nb=1\r\na=2\r\nc=3\r\n[Two]\r\nx=1\r\n");
  EXPECT_EQ(ProfileKeys(ini, "one"), (std::vector<std::string>{"b", "a", "c"}));
  ASSERT_TRUE(ProfileDeleteKey(ini, "One", "a"));
  ASSERT_TRUE(ProfileDeleteSection(ini, "Two"));
  ProfileFlush(ini);
  EXPECT_EQ(ProfileKeys(ini, "One"), (std::vector<std::string>{"b", "c"}));
  EXPECT_TRUE(ProfileKeys(ini, "Two").empty());
  EXPECT_EQ(ProfileSections(ini), (std::vector<std::string>{"One"}));
}

// win.ini in the machine's ANSI code page (Latin-1 here), with the blanks, empty lines
// and comments a user leaves: an edit changes its own line and keeps every other byte.
// The system's own profile functions, in a program that runs in UTF-8, read "caf\xE9" as
// "caf\xEF\xBF\xBD" and write the whole file back so.
TEST(Profile, EditsKeepEveryOtherByteOfAFileInTheAnsiCodePage) {
  TempDir dir;
  const std::string ini = dir / "win.ini";
  const std::string before =
      "; r\xE9glages\r\n[windows]\r\nload = caf\xE9.exe\r\nrun=\r\n\r\n[Intl]\r\nsCountry=Espa\xF1" "a\r\n"
      "sCurrency=\x80\r\n\r\n[Old]\r\nx=1\r\n";
  WriteBytes(ini, before);
  EXPECT_EQ(ProfileRead(ini, "intl", "sCountry", "", 80), "Espa\xF1" "a");
  EXPECT_EQ(ProfileRead(ini, "Windows", "load", "", 80), "caf\xE9.exe");
  ASSERT_TRUE(ProfileWrite(ini, "windows", "load", "th\xE9.exe"));
  ASSERT_TRUE(ProfileWrite(ini, "Intl", "sLanguage", "fra"));
  ASSERT_TRUE(ProfileDeleteKey(ini, "windows", "run"));
  ASSERT_TRUE(ProfileDeleteSection(ini, "Old"));
  ProfileFlush(ini);
  EXPECT_EQ(ReadBytes(ini),
            "; r\xE9glages\r\n[windows]\r\nload = th\xE9.exe\r\n\r\n[Intl]\r\nsCountry=Espa\xF1" "a\r\n"
            "sCurrency=\x80\r\nsLanguage=fra\r\n\r\n");
  EXPECT_EQ(ProfileKeys(ini, "INTL"), (std::vector<std::string>{"sCountry", "sCurrency", "sLanguage"}));
  // A file that is not there is made; a read-only one is refused and stays as it was.
  ASSERT_TRUE(ProfileWrite(dir / "new.ini", "S", "k", "v"));
  EXPECT_EQ(ReadBytes(dir / "new.ini"), "[S]\r\nk=v\r\n");
  test::SetAttributes(ini, FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(ProfileWrite(ini, "windows", "load", "x"));
  test::SetAttributes(ini, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ProfileRead(ini, "windows", "load", "", 80), "th\xE9.exe");
}

// The programs and their tests run in UTF-8; text written before in the machine's ANSI
// code page (1252 in the test prefix) reads back as UTF-8, and so do settings values.
TEST(CodePage, ProgramsRunInUtf8AndReadOlderTextInTheMachinesCodePage) {
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  EXPECT_EQ(MachineAnsiCodePage(), 1252u);
  EXPECT_EQ(FromOlderText("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(FromOlderText("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(FromOlderLines("a\xE9\r\nb\xC3\xA9\r\n"), "a\xC3\xA9\r\nb\xC3\xA9\r\n");
  EXPECT_EQ(ToWide("\xE6\x97\xA5"), L"\u65E5");
  EXPECT_EQ(FromWide(L"\u65E5"), "\xE6\x97\xA5");
  TempDir dir;
  WriteBytes(dir / "tessary.ini", "[tessary]\r\nDirectory=C:\\Donn\xE9" "es\r\n[Directories]\r\nOpt1=C:\\\xE6\x97\xA5\r\n");
  Settings settings(dir / "tessary.ini");
  EXPECT_EQ(settings.Read(settings::kDirectory), "C:\\Donn\xC3\xA9" "es");
  EXPECT_EQ(settings.Read(settings::kOptDir[0]), "C:\\\xE6\x97\xA5");
}

TEST(Registry, EnumeratesNamesAndReadsTheLongestNamesWhole) {
  TempRegKey key;
  std::string longName(255, 'k');  // the longest key name the registry allows
  key.Create("Alpha");
  key.Create(longName);
  key.Create("Beta With Blanks");
  RegKey open = RegKey::Open(key.root(), key.path());
  ASSERT_TRUE(open);
  std::vector<std::string> names;
  std::string name;
  DWORD i = 0;
  while (open.EnumKey(i++, name) == RegKey::Enum::Ok) names.push_back(name);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_NE(std::find(names.begin(), names.end(), longName), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "Beta With Blanks"), names.end());
  EXPECT_FALSE(RegKey::Open(key.root(), key.path() + "\\Missing"));
}

TEST(Registry, QueriesStringValues) {
  TempRegKey key;
  key.SetString("", "Programs", "C:\\Somewhere");
  RegKey open = RegKey::Open(key.root(), key.path());
  std::string value;
  ASSERT_TRUE(open.QueryString("Programs", value));
  EXPECT_EQ(value, "C:\\Somewhere");
  EXPECT_FALSE(open.QueryString("Desktop", value));
}

// Values of every type and of awkward names: what RegKey writes is what the native calls
// read, and what they wrote RegKey reads back, byte for byte.
TEST(Registry, ValuesOfEveryKindAreReadAndWrittenExactly) {
  TempRegKey key;
  const RegKey open = RegKey::OpenForValues(key.root(), key.path());
  ASSERT_TRUE(open);
  struct Case {
    std::u16string name;
    DWORD type;
    std::string data;
  };
  const std::vector<Case> cases = {
      {u"", REG_SZ, test::Utf16Bytes(std::u16string(u"default\0", 8))},
      {u"NoTerminator", REG_SZ, test::Utf16Bytes(u"no end")},
      {u"Odd", REG_SZ, "abc"},
      {u"Expand", REG_EXPAND_SZ, test::Utf16Bytes(std::u16string(u"%SystemRoot%\\x\0", 15))},
      {u"Multi", REG_MULTI_SZ, test::Utf16Bytes(std::u16string(u"one\0two\0\0", 9))},
      {u"Dword", REG_DWORD, std::string("\x2A\0\0\0", 4)},
      {u"Qword", REG_QWORD, std::string("\1\2\3\4\5\6\7\x08", 8)},
      {u"None", REG_NONE, ""},
      {u"Unknown", 0x1234, "\xFF\x00data"},
      {std::u16string(u"emb\0edded", 9), REG_BINARY, std::string("\0\1", 2)},
      {u"\u00e9t\u00e9 \u4e2d > 100% \t", REG_SZ, test::Utf16Bytes(std::u16string(u"\u4e2d\0", 2))},
      {u"Big", REG_BINARY, std::string(100000, '\x5A')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(open.SetValue(c.name, c.type, c.data)) << c.data.size();
    EXPECT_EQ(test::ReadRawValue(open.get(), c.name), (test::RawValue{c.type, c.data})) << c.data.size();
  }
  // Enumerated, every value whole.
  std::map<std::u16string, test::RawValue> listed;
  RegValue value;
  for (DWORD i = 0; open.EnumValue(i, value) == RegKey::Enum::Ok; ++i)
    listed[std::u16string(value.name())] = test::RawValue{value.type(), std::string(value.data())};
  ASSERT_EQ(listed.size(), cases.size());
  for (const Case& c : cases) {
    EXPECT_EQ(listed[c.name], (test::RawValue{c.type, c.data})) << c.data.size();
    RegValue one;
    ASSERT_TRUE(open.QueryValue(c.name, one)) << c.data.size();
    EXPECT_EQ(one.type(), c.type);
    EXPECT_EQ(one.data(), c.data);
  }
  // What the native calls wrote reads back the same.
  ASSERT_TRUE(test::SetRawValue(open.get(), u"Raw", REG_SZ, std::string("\x41\x00\x42", 3)));
  RegValue raw;
  ASSERT_TRUE(open.QueryValue(u"Raw", raw));
  EXPECT_EQ(raw.data(), std::string("\x41\x00\x42", 3));
  // Deleted once; the second time there is nothing to delete.
  for (const Case& c : cases) {
    EXPECT_TRUE(open.DeleteValue(c.name));
    EXPECT_FALSE(open.DeleteValue(c.name));
    RegValue gone;
    EXPECT_FALSE(open.QueryValue(c.name, gone));
  }
}

TEST(Registry, KeysForValuesAreOpenedOrMadeOneNameAtATime) {
  TempRegKey key;
  EXPECT_FALSE(RegKey::OpenForValues(key.root(), key.path() + "\\Gone\\Deeper"));
  EXPECT_FALSE(RegKey::CreateForWriting(key.root(), key.path() + "\\Empty\\\\Piece"));
  const RegKey made = RegKey::CreateForWriting(key.root(), key.path() + "\\Gone\\Deeper");
  ASSERT_TRUE(made);
  ASSERT_TRUE(made.SetValue(u"v", REG_DWORD, std::string(4, '\1')));
  EXPECT_TRUE(RegKey::OpenForValues(key.root(), key.path() + "\\Gone\\Deeper"));
  // An empty path is the key itself.
  const RegKey parent = RegKey::OpenForValues(key.root(), key.path());
  const RegKey same = RegKey::OpenForValues(parent.get(), "");
  ASSERT_TRUE(same.SetValue(u"here", REG_NONE, ""));
  EXPECT_TRUE(test::ReadRawValue(parent.get(), u"here"));
  EXPECT_TRUE(RegKey::CreateForWriting(parent.get(), ""));
  // The program's ANSI code page is UTF-8 (its manifest says so), whatever the prefix's is.
  EXPECT_EQ(AnsiText(u"plain \u00e9"), "plain \xc3\xa9");
}

TEST(Files, DirSearchReturnsEntriesWithAttributesAndTimes) {
  TempDir dir;
  WriteBytes(dir / "a.txt", "12345");
  dir.MakeDir("sub");
  ASSERT_TRUE(test::SetLastWrite(dir / "a.txt", 1996, 12, 7, 9, 5, 10));
  DirSearch search(dir / "*.*");
  FindEntry e;
  std::map<std::string, FindEntry> seen;
  while (search.Next(e)) seen[e.name] = e;
  ASSERT_EQ(seen.count("a.txt"), 1u);
  ASSERT_EQ(seen.count("sub"), 1u);
  EXPECT_EQ(seen.count("."), 1u);
  EXPECT_EQ(seen["a.txt"].size, 5u);
  EXPECT_TRUE(seen["sub"].attributes & FILE_ATTRIBUTE_DIRECTORY);
  DosDateTime stamp = ToDosDateTime(seen["a.txt"].lastWrite);
  EXPECT_EQ(stamp, (DosDateTime{8583, 18597}));
  EXPECT_EQ(FileDosDateTime(dir / "a.txt"), stamp);
  DirSearch none(dir / "missing\\*.*");
  EXPECT_FALSE(none.Next(e));
}

// A name of any language comes whole, in UTF-8, and the path functions take a path
// whose UTF-8 form is longer than MAX_PATH bytes while its characters fit (a name is at
// most 255 bytes on the host's file system, so one name alone cannot be longer).
TEST(Files, DirSearchGivesNamesOfAnyLanguageWhole) {
  TempDir dir;
  std::wstring wideName;
  for (int i = 0; i < 80; ++i) wideName += static_cast<wchar_t>(0x65E5 + i % 7);
  wideName += L".txt";
  const std::wstring widePath = ToWide(dir.path()) + L"\\" + wideName;
  UniqueHandle h(CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(h);
  h.Close();
  const std::string name = FromWide(wideName);
  ASSERT_GT((dir / name).size(), static_cast<std::size_t>(MAX_PATH));
  DirSearch search(dir / "*");
  FindEntry e;
  std::vector<std::string> names;
  while (search.Next(e))
    if (e.name != "." && e.name != "..") names.push_back(e.name);
  EXPECT_EQ(names, std::vector<std::string>{name});
  EXPECT_TRUE(FileExists(dir / name));
  EXPECT_EQ(FullPathName(dir / name), dir / name);
  EXPECT_TRUE(DeleteFileA((dir / name).c_str()));
  EXPECT_EQ(GetFileAttributesW(widePath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Files, ExistenceAndWriteTests) {
  TempDir dir;
  WriteBytes(dir / "f", "x");
  EXPECT_TRUE(FileExists(dir / "f"));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_FALSE(DirectoryExists(dir / "f"));
  EXPECT_TRUE(CanWriteFile(dir / "f"));
  EXPECT_FALSE(CanWriteFile(dir / "missing"));
  EXPECT_EQ(FileSize(dir / "f"), 1u);
}

TEST(Files, LzCopyCopiesBytesAndKeepsTheLastWriteTime) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes.push_back(char(i * 7));
  WriteBytes(dir / "src.ini", bytes);
  ASSERT_TRUE(test::SetLastWrite(dir / "src.ini", 1996, 12, 7, 9, 5, 10));
  ASSERT_EQ(LzCopyFile(dir / "src.ini", dir / "copy.tsb"), LzCopyResult::Ok);
  EXPECT_EQ(ReadBytes(dir / "copy.tsb"), bytes);
  // The same-date check of a later compare depends on this.
  EXPECT_EQ(FileDosDateTime(dir / "copy.tsb"), FileDosDateTime(dir / "src.ini"));
  EXPECT_EQ(LzCopyFile(dir / "missing", dir / "x"), LzCopyResult::SourceOpenFailed);
  EXPECT_EQ(LzCopyFile(dir / "src.ini", dir / "no\\such\\dir\\x"), LzCopyResult::DestOpenFailed);
}

TEST(Files, DrivesAndFreeSpace) {
  EXPECT_EQ(DriveTypeOf('C'), static_cast<UINT>(DRIVE_FIXED));
  std::optional<std::uint64_t> free = FreeBytes("C:\\");
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(WindowsDirectory().empty());
}

}  // namespace
}  // namespace tessary
