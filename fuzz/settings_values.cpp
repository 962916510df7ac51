// The values of the settings file (tessary.ini) and of the backup set's small records
// as the program reads them: yes/no switches, numbers (the kept-reports count, the
// free-space records, listing dates), and paths (optional directories, the directory
// browser, the last-backup text). The input is the value; numbers written and read
// back are taken from its bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/startup_logic.h"
#include "compare/logic/dir_logic.h"
#include "fuzz_check.h"
#include "options/logic/options_logic.h"
#include "platform/ascii.h"
#include "reports/logic/retention_logic.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {
namespace {

std::uint64_t Number(std::string_view data) {
  std::uint64_t n = 0;
  std::memcpy(&n, data.data(), std::min(data.size(), sizeof n));
  return n;
}

void CheckSwitches(const std::string& value) {
  FUZZ_EXPECT_EQ(IsYes(value), ToLowerAscii(value) == "yes", "a switch is on only for yes");
  for (int given : {0, 1, 3, 7, 10}) {
    for (bool sentinox : {false, true}) {
      int show = ChooseShowCommand(given, value, sentinox, value);
      FUZZ_EXPECT(show == 1 || show == 2 || show == 3 || (show == given && (given == 0 || given == 7)),
                  "a show command", std::to_string(show));
    }
  }
}

void CheckNumbers(const std::string& value, std::uint64_t n) {
  int prefix = DecimalPrefix(value);
  FUZZ_EXPECT(prefix >= 0, "a decimal prefix is not negative", value);
  if (auto keep = RetentionKeepCount(value)) {
    FUZZ_EXPECT(*keep >= 10 && *keep <= 200 && *keep == prefix, "a kept-reports count in range", value);
  }
  const std::string box = TakeNumberBoxText(value);
  FUZZ_EXPECT(box.size() <= 4, "the number box gives four characters", box);
  FUZZ_EXPECT_EQ(KeepCountAccepted(box), DecimalPrefix(box) >= 10 && DecimalPrefix(box) <= 200, "count accepted");
  const int small = static_cast<int>(n % 100000001);
  FUZZ_EXPECT_EQ(DecimalPrefix(std::to_string(small)), small, "a number written and read");
  if (value.empty() || value[0] < '0' || value[0] > '9')
    FUZZ_EXPECT_EQ(DecimalPrefix(std::to_string(small) + value), small, "a number and other text after it");

  // Free-space records: written unsigned, read back; older negative 32-bit records.
  auto parsed = ParseFreeSpaceRecord(value);
  (void)parsed;
  FUZZ_EXPECT(ParseFreeSpaceRecord(FreeSpaceRecord(n)) == n, "a free-space record read back", FreeSpaceRecord(n));
  FUZZ_EXPECT(ParseFreeSpaceRecord(" \r\n" + FreeSpaceRecord(n) + "\r\n") == n, "a record with blanks",
              FreeSpaceRecord(n));
  const std::uint32_t low = static_cast<std::uint32_t>(n);
  if (low >= 0x80000000u) {
    const std::string old = std::to_string(static_cast<std::int64_t>(static_cast<std::int32_t>(low)));
    FUZZ_EXPECT(ParseFreeSpaceRecord(old) == low, "an older negative record", old);
  }

  // Listing dates and times.
  const DosDateTime stamp{static_cast<std::uint16_t>(n), static_cast<std::uint16_t>(n >> 16)};
  FUZZ_EXPECT(ParseListingDateTime(ListingDateTime(stamp)) == stamp, "a listing date read back", ListingDateTime(stamp));
  (void)ParseListingDateTime(value);
  const std::string shown = FormatReportDate(stamp);
  FUZZ_EXPECT(shown.size() < 40, "a report date", shown);
  FUZZ_EXPECT_EQ(FormatLastBackupTime(stamp), shown, "the last-backup time is written as the report's dates");
}

void CheckPaths(const std::string& value) {
  const std::string trimmed = TrimOptionalDirectory(value);
  const bool cut = value.size() > 3 && value.back() == '\\';
  FUZZ_EXPECT_EQ(trimmed, cut ? value.substr(0, value.size() - 1) : value, "an optional directory as saved");
  const std::string pattern = BrowserPattern(value);
  FUZZ_EXPECT(pattern.size() >= 3 && pattern.compare(pattern.size() - 3, 3, "*.*") == 0, "a search pattern", pattern);
  // A directory line of the browser leads below the current directory; a drive line to
  // that drive's root.
  if (value.find('\\') == std::string::npos && !value.empty() && value.back() != '\\' &&
      !(value.size() >= 2 && value.compare(value.size() - 2, 2, ":\\") == 0)) {
    FUZZ_EXPECT_EQ(BrowserStep("C:\\WINDOWS", BrowserDirectoryLine(value)), "C:\\WINDOWS\\" + value, "a step down");
    FUZZ_EXPECT_EQ(BrowserStep("C:\\", BrowserDirectoryLine(value)), "C:\\" + value, "a step down from a root");
  }
  if (!value.empty()) FUZZ_EXPECT_EQ(BrowserStep(value, BrowserDriveLine('D')), std::string("D:\\"), "a drive line");
  (void)BrowserStep(value, value);

  const std::string none = NoBackupText(value);
  FUZZ_EXPECT(none.size() <= kLastBackupTextMax, "the no-backup text fits", none);
  FUZZ_EXPECT_EQ(LastBackupLabel(none, value).find("NO BACKUP"), std::size_t{0}, "the no-backup label");
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string value(bytes);
  tessary::CheckSwitches(value);
  tessary::CheckNumbers(value, tessary::Number(bytes));
  tessary::CheckPaths(value);
  return 0;
}
