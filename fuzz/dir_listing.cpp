// The directory listings of a backup set (windir.tsb, ...) as Compare reads them; and
// listings written from directory entries (the input's lines taken as entries) read
// back: every entry is found unchanged under its own key, a folder and a file never
// answer for each other, and the first line of a key wins.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compare/logic/dir_logic.h"
#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {
namespace {

std::uint16_t Word(std::string_view text, std::size_t seed) {
  std::uint32_t h = 2166136261u ^ static_cast<std::uint32_t>(seed);
  for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return static_cast<std::uint16_t>(h ^ (h >> 16));
}

// Whatever the listing holds: every line's key is found, and what is found reads as
// a date and time.
void CheckReading(std::string_view content) {
  BackupListing listing{std::string(content)};
  ForEachLine(content, [&](std::string_view line) {
    // The key runs to the second comma from the right (to the only comma of a line
    // with one, to the end of a line with none).
    std::size_t comma = line.rfind(',');
    std::size_t keyEnd = comma;
    if (comma != std::string_view::npos && comma > 0 && line.rfind(',', comma - 1) != std::string_view::npos)
      keyEnd = line.rfind(',', comma - 1);
    std::string_view key = line.substr(0, keyEnd);
    auto found = listing.Find(key);
    FUZZ_EXPECT(found.has_value(), "every line's key is found", line);
    (void)ParseListingDateTime(*found);
    (void)CheckEntry(listing, std::string(key), false, {1, 1}, true, true);
    (void)CheckEntry(listing, std::string(key), true, {1, 1}, false, false);
  });
}

struct Entry {
  std::string name;
  bool isDirectory;
  DosDateTime stamp;
};

void CheckWritten(std::string_view content) {
  // Each line is an entry: a name ending in "  (DIR)" stands for a folder (the marker
  // is taken off), anything else for a file of that name.
  std::vector<Entry> entries;
  std::size_t index = 0;
  ForEachLine(content, [&](std::string_view line) {
    Entry e{std::string(line), false, {Word(line, index), Word(line, index + 7)}};
    if (EndsWithMarker(e.name, kDirMarker) && e.name.size() > kDirMarker.size()) {
      e.name.resize(e.name.size() - kDirMarker.size());
      e.isDirectory = true;
    }
    if (index % 5 == 3 && !entries.empty()) e.stamp = entries.back().stamp;
    entries.push_back(std::move(e));
    ++index;
  });

  std::string written;
  std::unordered_map<std::string, DosDateTime, NoCaseHash, NoCaseEqual> firstStamp;
  for (const Entry& e : entries) {
    std::uint32_t attributes = e.isDirectory ? attr::kDirectory : attr::kArchive;
    std::string record = ListingRecord(e.name, attributes, e.stamp);
    FUZZ_EXPECT_EQ(record.empty(), HoldsControlCharacter(e.name), "only a name with a control character is left out");
    if (record.empty()) continue;
    written += record;
    firstStamp.emplace(ListingKey(e.name, e.isDirectory), e.stamp);
  }

  BackupListing listing(written);
  FUZZ_EXPECT_EQ(listing.size(), firstStamp.size(), "one key per distinct entry");
  for (const Entry& e : entries) {
    if (HoldsControlCharacter(e.name)) continue;
    const DosDateTime first = firstStamp.at(ListingKey(e.name, e.isDirectory));
    EntryCheck check = CheckEntry(listing, e.name, e.isDirectory, e.stamp, false, false);
    if (e.isDirectory || first == e.stamp) {
      FUZZ_EXPECT(check.finding == EntryFinding::Unchanged, "a listed entry is unchanged", e.name);
    } else {
      FUZZ_EXPECT(check.finding == EntryFinding::Updated, "a listed entry of another date is updated", e.name);
      FUZZ_EXPECT(ParseListingDateTime(check.oldDateTime) == first, "the date found is the one written", e.name);
    }
    // The same name of the other kind is new unless listed itself. (Listings of older
    // backups held a folder with other attributes, and a file named like "x  (FILE)",
    // under the bare name: a folder, or such a file, also finds a bare line.)
    const bool otherKind = !e.isDirectory;
    EntryCheck other = CheckEntry(listing, e.name, otherKind, e.stamp, false, false);
    const bool listedItself = firstStamp.count(ListingKey(e.name, otherKind)) != 0;
    const bool bareFallback = (otherKind || EndsWithMarker(e.name, kFileMarker)) && listing.Find(e.name).has_value();
    if (!listedItself && !bareFallback)
      FUZZ_EXPECT(other.finding == EntryFinding::Added, "a folder and a file of one name never answer for each other",
                  e.name);
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view content(reinterpret_cast<const char*>(data), size);
  tessary::CheckReading(content);
  tessary::CheckWritten(content);
  return 0;
}
