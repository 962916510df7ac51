// The deep listing's lines and the rules over the deep places, without a system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/logic/deep_listing.h"
#include "snapshot/logic/deep_places.h"

namespace tessary {
namespace {

// Parses a whole listing text; the entries it gives.
std::vector<TreeEntry> ParseAll(const std::string& text, DeepListingParser& parser) {
  std::vector<TreeEntry> entries;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    if (auto entry = parser.Line(std::string_view(text).substr(at, end - at))) entries.push_back(*entry);
    at = end + 2;
  }
  return entries;
}

TreeEntry Entry(std::string path, std::uint64_t size, std::uint64_t time, std::uint32_t attributes) {
  TreeEntry e;
  e.path = std::move(path);
  e.size = size;
  e.writeTime = time;
  e.attributes = attributes;
  return e;
}

TEST(DeepListing, FileTimesKeepEvery100Nanoseconds) {
  EXPECT_EQ(FormatFileTime(0), "1601-01-01 00:00:00.0000000");
  // 2024-02-29 23:59:59.9999999 UTC, a leap day.
  const std::uint64_t leap = 133537247999999999ull;
  EXPECT_EQ(FormatFileTime(leap), "2024-02-29 23:59:59.9999999");
  EXPECT_EQ(ParseFileTime("2024-02-29 23:59:59.9999999"), leap);
  EXPECT_EQ(ParseFileTime(FormatFileTime(leap + 1)), leap + 1);
  EXPECT_EQ(ParseFileTime("1601-01-01 00:00:00.0000000"), 0u);
  for (const char* bad : {"2024-02-29 23:59:59.999999", "2024-13-01 00:00:00.0000000", "2024-02-29T23:59:59.9999999",
                          "1600-12-31 23:59:59.0000000", "2024-02-29 24:00:00.0000000", ""})
    EXPECT_FALSE(ParseFileTime(bad)) << bad;
}

TEST(DeepListing, RecordsRoundTripWithAnyName) {
  // A folder, a non-ASCII name (UTF-8), a name with blanks and commas, a 5 GiB file and
  // a path longer than MAX_PATH all come back as written.
  const std::string longPath = std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\" + std::string(40, 'c');
  const std::vector<TreeEntry> written = {
      Entry("Vendor", 0, 133537247999999999ull, 0x10),
      Entry("Vendor\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.dll", 12345, 133537247000000001ull, 0x20),
      Entry("Vendor\\a  b, c.txt", 1, 1, 0x21),
      Entry("big.bin", 5ull << 30, 2, 0x20),
      Entry(longPath, 7, 3, 0x20),
  };
  std::string text = FormatDeepHeader({"C:\\Program Files", {"C:\\Program Files\\Temp"}});
  for (const TreeEntry& e : written) text += FormatDeepRecord(e);
  text += FormatDeepEnd(written.size());
  const std::string head =
      "TESSARY DEEP LISTING 1\r\nPLACE\tC:\\Program Files\r\nLEFT OUT\tC:\\Program Files\\Temp\r\n\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(FormatDeepRecord(written[0]), "Vendor\t0\t2024-02-29 23:59:59.9999999\t00000010\r\n");

  DeepListingParser parser;
  const std::vector<TreeEntry> read = ParseAll(text, parser);
  EXPECT_TRUE(parser.Complete());
  EXPECT_EQ(parser.header().place, "C:\\Program Files");
  EXPECT_EQ(parser.header().leftOut, std::vector<std::string>{"C:\\Program Files\\Temp"});
  ASSERT_EQ(read.size(), written.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].path, written[i].path);
    EXPECT_EQ(read[i].size, written[i].size);
    EXPECT_EQ(read[i].writeTime, written[i].writeTime);
    EXPECT_EQ(read[i].attributes, written[i].attributes);
  }
  // A name one line cannot carry is not written.
  EXPECT_EQ(FormatDeepRecord(Entry("x\r\nVICTIM", 0, 0, 0)), "");
  EXPECT_EQ(FormatDeepRecord(Entry("a\tb", 0, 0, 0)), "");
}

TEST(DeepListing, AnIncompleteOrDamagedListingIsNotComplete) {
  const std::string head = FormatDeepHeader({"C:\\X", {}});
  const std::string one = FormatDeepRecord(Entry("a", 1, 1, 0x20));
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"no END line", head + one},
      {"END counts other than its entries", head + one + "END\t2\r\n"},
      {"a line after END", head + one + FormatDeepEnd(1) + "b\t1\t" + FormatFileTime(1) + "\t00000020\r\n"},
      {"a damaged record", head + "a\tx\t" + FormatFileTime(1) + "\t00000020\r\n" + FormatDeepEnd(1)},
      {"attributes of seven digits", head + "a\t1\t" + FormatFileTime(1) + "\t0000020\r\n" + FormatDeepEnd(1)},
      {"another first line", "TESSARY DEEP LISTING 2\r\nPLACE\tC:\\X\r\n\r\n" + one + FormatDeepEnd(1)},
      {"no place", "TESSARY DEEP LISTING 1\r\n\r\n" + one + FormatDeepEnd(1)},
      {"an unknown header line", "TESSARY DEEP LISTING 1\r\nPLACE\tC:\\X\r\nMORE\r\n\r\n" + one + FormatDeepEnd(1)},
  };
  for (const Case& c : cases) {
    DeepListingParser parser;
    ParseAll(c.text, parser);
    EXPECT_FALSE(parser.Complete()) << c.what;
  }
  DeepListingParser parser;
  ParseAll(head + one + FormatDeepEnd(1), parser);
  EXPECT_TRUE(parser.Complete());
  DeepListingParser empty;
  ParseAll(head + FormatDeepEnd(0), empty);
  EXPECT_TRUE(empty.Complete());
}

DeepPlace Place(const char* id, const char* path) { return {id, id, path, ""}; }

TEST(DeepPlaces, APlaceInsideAnotherIsListedOnceByTheOuterOne) {
  // On a 32-bit system both Program Files are one folder; Common Files lies in it; a
  // user directory that holds the desktop takes it in; a place without a path is dropped.
  const std::vector<DeepPlace> places = FoldPlaces({
      Place("prog", "C:\\Program Files\\"),
      Place("prog86", "c:\\program files"),
      Place("common", "C:\\Program Files\\Common Files"),
      Place("syswow64", ""),
      Place("desktop", "C:\\Users\\me\\Desktop"),
      Place("progs", "C:\\Program Files Extra"),
      Place("opt1", "C:\\Users\\me"),
      Place("opt2", "D:"),
  });
  ASSERT_EQ(places.size(), 7u);
  EXPECT_EQ(places[0].path, "C:\\Program Files");
  EXPECT_EQ(places[0].within, "");
  EXPECT_EQ(places[1].within, "prog");
  EXPECT_EQ(places[2].within, "prog");
  EXPECT_EQ(places[3].within, "opt1");  // the desktop lies in the user directory
  EXPECT_EQ(places[4].within, "");      // a name that only begins like another folder
  EXPECT_EQ(places[5].within, "");
  EXPECT_EQ(places[6].path, "D:\\");
}

TEST(DeepPlaces, LeftOutFoldersAndCachesBelowAppDataOnly) {
  DeepLeftOut leftOut;
  leftOut.folders = {"C:\\Windows\\Temp", "C:\\Users\\me\\AppData\\Local\\Temp", "C:\\Tessary\\Backup"};
  leftOut.cacheRoots = {"C:\\Users\\me\\AppData\\Local"};
  EXPECT_TRUE(IsLeftOut(leftOut, "c:\\windows\\temp", "temp"));
  EXPECT_FALSE(IsLeftOut(leftOut, "C:\\Windows\\Temp2", "Temp2"));
  EXPECT_TRUE(IsLeftOut(leftOut, "C:\\Users\\me\\AppData\\Local\\Vendor\\GPUCache", "GPUCache"));
  EXPECT_TRUE(IsLeftOut(leftOut, "C:\\Users\\me\\AppData\\Local\\Vendor\\App\\cache", "cache"));
  EXPECT_FALSE(IsLeftOut(leftOut, "C:\\Program Files\\Vendor\\Cache", "Cache"));  // not below AppData
  EXPECT_FALSE(IsLeftOut(leftOut, "C:\\Users\\me\\AppData\\Local\\Vendor\\Caches", "Caches"));
  EXPECT_EQ(LeftOutWithin(leftOut, "C:\\Windows"), std::vector<std::string>{"C:\\Windows\\Temp"});
  EXPECT_EQ(LeftOutWithin(leftOut, "C:\\Windows\\Temp"), std::vector<std::string>{});
  EXPECT_EQ(LeftOutText(leftOut),
            "Left out: C:\\Windows\\Temp; C:\\Users\\me\\AppData\\Local\\Temp; C:\\Tessary\\Backup; folders named "
            "Cache, Code Cache, GPUCache, ShaderCache or cache2 below C:\\Users\\me\\AppData\\Local");
}

}  // namespace
}  // namespace tessary
