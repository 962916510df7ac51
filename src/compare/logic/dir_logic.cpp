// Pure pieces of the directory and free-space comparison.
#include "compare/logic/dir_logic.h"

#include "platform/text_lines.h"

#include <cstdio>

namespace tessary {

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::uint16_t LeadingNumber(std::string_view text) {
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = (value * 10 + unsigned(c - '0')) & 0xFFFFFu;
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::string GroupDigits(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string FormatReportDate(DosDateTime when) {
  CivilTime t = UnpackDos(when);
  // A month outside 1 to 12 (a garbled listing) has no name.
  const char* month = (t.month >= 1 && t.month <= 12) ? kMonths[t.month - 1] : "???";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d  %d %s %d", t.hour, t.minute, t.day, month, t.year);
  return buffer;
}

BackupListing::BackupListing(std::string content) : content_(std::move(content)) {
  ForEachLine(content_, [&](std::string_view line) {
    // A line is name, ",", date, ",", time. The name itself may hold commas, so the
    // two number fields are found from the right; a line with fewer fields keys on
    // the text before its first comma.
    std::size_t timeComma = line.rfind(',');
    std::size_t keyEnd = timeComma;
    if (timeComma != std::string_view::npos && timeComma > 0) {
      std::size_t dateComma = line.rfind(',', timeComma - 1);
      if (dateComma != std::string_view::npos) keyEnd = dateComma;
    }
    std::string_view key = keyEnd == std::string_view::npos ? line : line.substr(0, keyEnd);
    std::string_view dateTime = keyEnd == std::string_view::npos ? std::string_view() : line.substr(keyEnd + 1);
    index_.emplace(key, dateTime);  // the first line of a key wins
  });
}

std::optional<std::string_view> BackupListing::Find(std::string_view key) const {
  auto it = index_.find(key);
  if (it == index_.end()) return std::nullopt;
  return it->second;
}

DosDateTime ParseListingDateTime(std::string_view dateTime) {
  DosDateTime result;
  result.date = LeadingNumber(dateTime);
  std::size_t comma = dateTime.find(',');
  if (comma != std::string_view::npos) result.time = LeadingNumber(dateTime.substr(comma + 1));
  return result;
}

std::string ListingDateTime(DosDateTime when) {
  return std::to_string(when.date) + "," + std::to_string(when.time);
}

EntryCheck CheckEntry(const BackupListing& listing, const std::string& name, bool isDirectory, DosDateTime now,
                      bool excludeIni, bool excludeGrp, ListingForm form) {
  EntryCheck check;
  auto found = listing.Find(ListingKey(name, isDirectory));
  // Older listings: a directory with other attributes, or a file whose name ends in
  // "  (FILE)", stood there bare. (A file whose name ends in "  (DIR)" is not looked up
  // bare: that is the key of the folder of the shorter name.)
  if (!found && form == ListingForm::Older && (isDirectory || EndsWithMarker(name, kFileMarker)))
    found = listing.Find(name);
  if (!found) {
    check.finding = EntryFinding::Added;
    return check;
  }
  if (*found == ListingDateTime(now)) return check;
  // A directory's date is never news; excluded INI and swap files are passed over.
  if (isDirectory) return check;
  if (excludeGrp && ContainsNoCase(name, ".SWP")) return check;
  if (excludeIni && ContainsNoCase(name, ".INI")) return check;
  check.finding = EntryFinding::Updated;
  check.oldDateTime = *found;
  return check;
}

std::string UpdatedLine(const std::string& name, DosDateTime now, DosDateTime old) {
  std::string line = "UPDATED: " + name;
  if (name.size() < 7) {
    line += '\t';
    if (name.find("ini") != std::string::npos) line += '\t';
  }
  line += "\tNEW:" + FormatReportDate(now) + "\tOLD:" + FormatReportDate(old);
  return line;
}

EntryNameUse ClassifyEntryName(const std::string& name, bool isDirectory) {
  if (HoldsControlCharacter(name)) return EntryNameUse::Unwritable;
  if (name.empty() || name.back() == '.' || name.back() == ' ') return EntryNameUse::NoAction;
  if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) return EntryNameUse::NoAction;
  if (!isDirectory && EndsWithMarker(name, kDirMarker)) return EntryNameUse::NoAction;
  return EntryNameUse::Action;
}

std::string AddedLine(const std::string& name, bool isDirectory) { return "ADDED  : " + ListingKey(name, isDirectory); }

std::string ReportDirectory(const std::string& directory) {
  if (directory.size() == 2 && directory[1] == ':') return directory + "\\";
  return directory;
}

std::optional<std::uint64_t> ParseFreeSpaceRecord(std::string_view content) {
  std::size_t start = content.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return std::nullopt;
  content.remove_prefix(start);
  bool negative = !content.empty() && content.front() == '-';
  if (negative) content.remove_prefix(1);
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (char c : content) {
    if (c < '0' || c > '9') break;
    std::uint64_t digit = std::uint64_t(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (negative) {
    // An older backup wrote its 32-bit count as a signed number.
    if (value == 0) return 0;
    if (value > 0x80000000ull) return std::nullopt;
    return (std::uint64_t(1) << 32) - value;
  }
  return value;
}

std::string FreeSpaceChangeLine(char letter, std::uint64_t before, std::uint64_t now) {
  if (before == now) return "";
  bool increase = now > before;
  std::uint64_t amount = increase ? now - before : before - now;
  std::string line = increase ? "Increase in free disk space on drive " : "Decrease in free disk space on drive ";
  line += letter;
  line += ":  " + GroupDigits(amount) + " Bytes. Free before: " + GroupDigits(before) +
          ". Free now: " + GroupDigits(now) + ".\n";
  return line;
}

std::string PagingNote(char letter) {
  std::string note = "* * Windows Paging (swap) file located on this drive (";
  note += letter;
  note += ":) \n* * Reported change in free space may not be accurate due to dynamic paging.\n";
  return note;
}

}  // namespace tessary
