// The Win32 wrappers against the real (Wine) system.
#include <gtest/gtest.h>

#include "core/settings.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/dos_time.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/registry.h"
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
