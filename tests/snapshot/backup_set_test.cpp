// The files of a backup set: names by mode, copies, listings, name files, free space.
#include <algorithm>
#include <sstream>
#include <vector>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "snapshot/backup_set.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// The lines of a listing (each with its CR LF), sorted: the file system chooses the order.
std::string SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end + 2 - start));
    start = end + 2;
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l;
  return out;
}

TEST(BackupListing, RecordsAttributesAndDates) {
  test::TempDir dir;
  std::string outDir = dir.MakeDir("out");
  std::string listed = dir.MakeDir("listed");
  std::string system = dir.MakeDir("listed\\SYSTEM");
  std::string hiddenDir = dir.MakeDir("listed\\hiddendir");
  WriteBytes(listed + "\\plain.txt", "x");
  WriteBytes(listed + "\\hidden.txt", "x");
  WriteBytes(listed + "\\system.dat", "x");
  ASSERT_TRUE(test::SetAttributes(hiddenDir, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(test::SetAttributes(listed + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(test::SetAttributes(listed + "\\system.dat", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(test::SetAttributes(listed + "\\plain.txt", FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(test::SetLastWrite(system, 1996, 12, 7, 9, 5, 10));
  ASSERT_TRUE(test::SetLastWrite(hiddenDir, 1997, 1, 2, 3, 4, 8));
  ASSERT_TRUE(test::SetLastWrite(listed + "\\plain.txt", 2001, 2, 3, 4, 5, 7));
  ASSERT_TRUE(test::SetLastWrite(listed, 1998, 5, 6, 7, 8, 10));
  ASSERT_TRUE(test::SetLastWrite(dir.path(), 1999, 5, 6, 7, 8, 12));

  std::string out = outDir + "\\windir.tsb";
  ASSERT_TRUE(WriteListing(listed, out));
  // The hidden and system files are left out; the hidden directory stays, with the
  // marker; "." and ".." are listed.
  EXPECT_EQ(SortedLines(ReadBytes(out)),
            ".  (DIR),9382,14597\r\n"
            "..  (DIR),9894,14598\r\n"
            "SYSTEM  (DIR),8583,18597\r\n"
            "hiddendir  (DIR),8738,6276\r\n"
            "plain.txt,10819,8355\r\n");
}

TEST(BackupListing, MissingDirectoryGivesEmptyFileAndRootHasNoDots) {
  test::TempDir dir;
  std::string out = dir / "optdir1.tsb";
  WriteBytes(out, "old contents");
  ASSERT_TRUE(WriteListing(dir / "no such dir", out));
  EXPECT_TRUE(FileExists(out));
  EXPECT_EQ(ReadBytes(out), "");

  std::string root = dir / "rootdirC.tsb";
  ASSERT_TRUE(WriteListing("C:\\", root));
  std::string text = ReadBytes(root);
  EXPECT_NE(text.find("windows  (DIR),"), std::string::npos) << text;
  EXPECT_NE(text.compare(0, 1, "."), 0) << text;
  EXPECT_EQ(text.find("\r\n.  (DIR)"), std::string::npos) << text;
  EXPECT_EQ(text.find("\r\n..  (DIR)"), std::string::npos) << text;

  EXPECT_FALSE(WriteListing(dir.path(), dir / "missing\\out.tsb"));
}

class BackupCopy : public test::HostTest {};

TEST_F(BackupCopy, KeepsBytesAndLastWriteTime) {
  std::string source = dir / "win.ini";
  std::string bytes = "[windows]\r\nload=\r\n\x00\xff tail";
  bytes += std::string(70000, 'z');  // larger than one copy buffer
  WriteBytes(source, bytes);
  ASSERT_TRUE(test::SetLastWrite(source, 1996, 12, 7, 9, 5, 10));
  std::string dest = backupDir + "\\win.tsb";
  EXPECT_TRUE(CopyIntoBackup(host, source, dest, nullptr));
  EXPECT_EQ(ReadBytes(dest), bytes);
  // The same-date check of a later compare depends on this.
  ASSERT_TRUE(FileDosDateTime(dest).has_value());
  EXPECT_EQ(*FileDosDateTime(dest), (DosDateTime{8583, 18597}));
  EXPECT_EQ(*FileDosDateTime(dest), *FileDosDateTime(source));
}

TEST_F(BackupCopy, MissingSourceGivesEmptyCopyAndFailuresShowTheMessage) {
  std::string dest = backupDir + "\\msdos.tsb";
  WriteBytes(dest, "stale");
  EXPECT_TRUE(CopyIntoBackup(host, dir / "msdos.sys", dest, nullptr));
  EXPECT_TRUE(FileExists(dest));
  EXPECT_EQ(ReadBytes(dest), "");
  EXPECT_TRUE(host.prompter.boxes.empty());
  // A file made right after the backup still differs by date from the stand-in.
  WriteBytes(dir / "msdos.sys", "[Paths]\r\n");
  EXPECT_NE(*FileDosDateTime(dest), *FileDosDateTime(dir / "msdos.sys"));

  std::string source = dir / "config.sys";
  WriteBytes(source, "FILES=40\r\n");
  host.prompter.Answer(id::kOk).Answer(id::kOk);
  EXPECT_FALSE(CopyIntoBackup(host, source, dir / "nowhere\\config.tsb", nullptr));
  EXPECT_FALSE(CopyIntoBackup(host, dir / "gone.sys", dir / "nowhere\\gone.tsb", nullptr));
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.");
  EXPECT_EQ(host.prompter.boxes[0].caption, source);
  EXPECT_EQ(host.prompter.boxes[0].style, mb::kOk);
  EXPECT_EQ(host.prompter.boxes[1].caption, dir / "gone.sys");
}

TEST(BackupFolders, ShellFolderValuesWithFallback) {
  test::TempRegKey key;
  key.SetString("Shell Folders", "Programs", "C:\\Users\\Me\\Programs");
  key.SetString("Shell Folders", "Desktop", "");
  std::string path = key.path() + "\\Shell Folders";
  EXPECT_EQ(ShellFolder(key.root(), path, "Programs", "fallback"), "C:\\Users\\Me\\Programs");
  EXPECT_EQ(ShellFolder(key.root(), path, "Desktop", "fallback"), "fallback");   // empty
  EXPECT_EQ(ShellFolder(key.root(), path, "Favorites", "fallback"), "fallback");  // missing value
  EXPECT_EQ(ShellFolder(key.root(), key.path() + "\\Nope", "Programs", "fb"), "fb");
  EXPECT_EQ(StartMenuProgramsFolder("C:\\NOWIN").empty(), false);
}

TEST(BackupFreeSpace, SwapFileRule) {
  test::TempDir dir;
  std::string windows = dir.MakeDir("WINDOWS");
  std::string ini = windows + "\\system.ini";
  std::string pagefile = dir / "pagefile.sys";
  WriteBytes(pagefile, std::string(1234, 'p'));
  WriteBytes(windows + "\\win386.swp", std::string(77, 's'));

  WriteBytes(ini, "[386enh]\r\nPagingDrive=c:\r\nPagingFile=" + pagefile + "\r\n");
  EXPECT_EQ(SwapFileSize(ini, windows, 'C'), 1234u);
  EXPECT_EQ(SwapFileSize(ini, windows, 'D'), 0u);

  // No PagingFile: win386.swp in the Windows directory on the paging drive.
  WriteBytes(ini, "[386enh]\r\nPagingDrive=C:\r\n");
  EXPECT_EQ(SwapFileSize(ini, windows, 'c'), 77u);
  // A named swap file that is gone counts as 0.
  WriteBytes(ini, "[386enh]\r\nPagingFile=" + dir / "gone.swp" + "\r\n");
  EXPECT_EQ(SwapFileSize(ini, windows, 'C'), 0u);
  // Paging drive elsewhere.
  WriteBytes(ini, "[386enh]\r\nPagingDrive=E:\r\n");
  EXPECT_EQ(SwapFileSize(ini, windows, 'C'), 0u);
}

TEST(BackupFreeSpace, SwapFileRuleIgnoresLetterCase) {
  // "none" and the drive letters match in any case: the swap file in the Windows
  // directory counts however system.ini and the Windows directory spell them.
  test::TempDir dir;
  std::string windows = dir.MakeDir("WINDOWS");
  ASSERT_EQ(AsciiUpper(windows[0]), 'C');
  std::string ini = windows + "\\system.ini";
  WriteBytes(windows + "\\win386.swp", std::string(77, 's'));
  std::string lowerWindows = windows;
  lowerWindows[0] = AsciiLower(lowerWindows[0]);
  for (const char* section : {"[386enh]\r\nPagingDrive=c:\r\n", "[386enh]\r\nPagingDrive=C:\r\nPagingFile=NONE\r\n",
                              "[386ENH]\r\npagingdrive=c:\r\npagingfile=None\r\n"}) {
    WriteBytes(ini, section);
    EXPECT_EQ(SwapFileSize(ini, windows, 'C'), 77u) << section;
    EXPECT_EQ(SwapFileSize(ini, windows, 'c'), 77u) << section;
    EXPECT_EQ(SwapFileSize(ini, lowerWindows, 'C'), 77u) << section;
    EXPECT_EQ(SwapFileSize(ini, windows, 'D'), 0u) << section;
  }
}

class BackupFreeSpaceRecord : public test::HostTest {};

TEST_F(BackupFreeSpaceRecord, WritesOneUnsignedNumberWithoutLineEnd) {
  std::string windows = dir.MakeDir("WINDOWS");
  WriteBytes(windows + "\\system.ini", "[386enh]\r\nPagingDrive=C:\r\n");
  WriteBytes(windows + "\\win386.swp", std::string(4096, 's'));
  host.state.WindowsDirectory = windows;
  ASSERT_TRUE(WriteFreeSpaceRecord(host.state, 'C', "snb"));
  std::string text = ReadBytes(backupDir + "\\C_free.snb");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
  std::uint64_t recorded = std::stoull(text);
  std::uint64_t free = FreeBytes("C:\\").value_or(0);
  // Free space moves a little while the test runs; the swap file is counted in.
  EXPECT_LT(recorded > free + 4096 ? recorded - free - 4096 : free + 4096 - recorded, 64ull << 20);
}

TEST_F(BackupFreeSpaceRecord, OptionalDirectoriesWriteNameFiles) {
  std::string one = dir.MakeDir("Opt One");
  std::string three = dir.MakeDir("three");
  Set(settings::kOptDir[0], one);
  Set(settings::kOptDir[1], dir / "missing");
  Set(settings::kOptDir[2], "");
  Set(settings::kOptDir[4], three);
  ASSERT_TRUE(WriteOptionalDirectories(host, "tsb"));
  EXPECT_EQ(ReadBytes(backupDir + "\\optdir1.nam"), one);
  EXPECT_EQ(ReadBytes(backupDir + "\\optdir5.nam"), three);
  EXPECT_TRUE(FileExists(backupDir + "\\optdir1.tsb"));
  EXPECT_TRUE(FileExists(backupDir + "\\optdir5.tsb"));
  for (const char* gone : {"optdir2.nam", "optdir2.tsb", "optdir3.nam", "optdir4.nam"})
    EXPECT_FALSE(PathExists(backupDir + "\\" + gone)) << gone;
  // Clearing a setting leaves the earlier files of that directory in place.
  Set(settings::kOptDir[0], "");
  ASSERT_TRUE(WriteOptionalDirectories(host, "tsb"));
  EXPECT_EQ(ReadBytes(backupDir + "\\optdir1.nam"), one);
}

}  // namespace
}  // namespace tessary
