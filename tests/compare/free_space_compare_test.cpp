// The free-space section against records written by the backup's own writer: both
// sides count the same swap file, so an unchanged machine shows no change of its size.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "compare/compare_run.h"
#include "platform/files.h"
#include "section_test.h"
#include "snapshot/backup_set.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::WriteBytes;

// A file of `size` bytes that takes no room on the disk (its end is set, nothing written).
bool MakeSparseFile(const std::string& path, std::uint64_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

// The change of free space the report gives for drive C:, 0 when it gives none.
std::uint64_t ReportedChangeOnC(const std::string& report) {
  const std::string lead = "free disk space on drive C:  ";
  std::size_t at = report.find(lead);
  if (at == std::string::npos) return 0;
  std::uint64_t value = 0;
  for (std::size_t i = at + lead.size(); i < report.size() && report[i] != ' '; ++i)
    if (report[i] >= '0' && report[i] <= '9') value = value * 10 + static_cast<std::uint64_t>(report[i] - '0');
  return value;
}

class FreeSpaceCompareTest : public test::SectionRunTest {};

TEST_F(FreeSpaceCompareTest, BackupAndCompareCountTheSameSwapFileInAnyLetterCase) {
  constexpr std::uint64_t kSwapSize = 8ull << 30;
  std::string win = dir.MakeDir("WINDOWS");
  host.state.WindowsDirectory = win;
  ASSERT_TRUE(MakeSparseFile(win + "\\win386.swp", kSwapSize));
  ASSERT_EQ(FileSize(win + "\\win386.swp").value_or(0), kSwapSize);
  for (const char* section : {"[386enh]\r\nPagingDrive=c:\r\n", "[386enh]\r\nPagingDrive=C:\r\nPagingFile=NONE\r\n",
                              "[386enh]\r\nPagingDrive=C:\r\nPagingFile=none\r\n"}) {
    WriteBytes(win + "\\system.ini", section);
    ASSERT_TRUE(WriteFreeSpaceRecord(host.state, 'C', run.freeSpaceExt));
    WriteBytes(run.reportPath, "");
    ASSERT_EQ(CompareFreeSpace(run), SectionResult::Done);
    // The disk itself may move a little between the two readings; the swap file may not.
    EXPECT_LT(ReportedChangeOnC(Report()), 1ull << 30) << section << Report();
  }
}

}  // namespace
}  // namespace tessary
