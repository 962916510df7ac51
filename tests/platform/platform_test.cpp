// The Win32 wrappers against the real (Wine) system.
#include <gtest/gtest.h>

#include "platform/ascii.h"
#include "platform/dos_time.h"
#include "platform/files.h"
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
