// Retention rules of Sentinox reports: the keep count and the exchange ordering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ascii.h"
#include "reports/logic/retention_logic.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/compare_file_names.h"

namespace tessary {
namespace {

std::vector<std::string> Names(const std::vector<RetentionRecord>& records) {
  std::vector<std::string> names;
  for (const auto& r : records) names.push_back(r.name);
  return names;
}

TEST(RetentionRules, KeepCountOnlyInRange) {
  EXPECT_EQ(RetentionKeepCount("10"), 10);
  EXPECT_EQ(RetentionKeepCount("200"), 200);
  EXPECT_EQ(RetentionKeepCount("40ab"), 40);
  EXPECT_FALSE(RetentionKeepCount("9"));
  EXPECT_FALSE(RetentionKeepCount("201"));
  EXPECT_FALSE(RetentionKeepCount("abc"));
  EXPECT_FALSE(RetentionKeepCount(""));
  EXPECT_FALSE(RetentionKeepCount("-20"));
  EXPECT_EQ(ActionFilePathFor("C:\\B\\0412.SNC"), "C:\\B\\0412.tsu");
}

TEST(RetentionRules, NewestFirstByDateThenTime) {
  std::vector<RetentionRecord> r = {{"a", 10, 5}, {"b", 11, 1}, {"c", 10, 9}, {"d", 12, 0}, {"e", 9, 60000}};
  OrderNewestFirst(r);
  EXPECT_EQ(Names(r), (std::vector<std::string>{"d", "b", "c", "a", "e"}));
}

TEST(RetentionRules, EqualStampsFollowTheExchangesNotTheNames) {
  // A and B share a stamp; A comes first from the search. The exchanges carry A to the
  // back, so B is kept and A is deleted when two are kept.
  std::vector<RetentionRecord> r = {{"A", 20, 0}, {"X", 1, 0}, {"B", 20, 0}, {"C", 30, 0}};
  OrderNewestFirst(r);
  EXPECT_EQ(Names(r), (std::vector<std::string>{"C", "B", "A", "X"}));
  // Equal stamps never trade places with each other.
  std::vector<RetentionRecord> same = {{"P", 5, 5}, {"Q", 5, 5}, {"R", 5, 5}};
  OrderNewestFirst(same);
  EXPECT_EQ(Names(same), (std::vector<std::string>{"P", "Q", "R"}));
}

TEST(CompareFileNames, ListsReportsByExtensionAndGivesBackEachNameWhole) {
  EXPECT_EQ(CompareFileEntry("COMPARE.TSC", false, true, true), "COMPARE.TSC");
  EXPECT_EQ(CompareFileEntry("0412.snc", false, true, true), "0412.snc\tSentinox Compare File");
  EXPECT_FALSE(CompareFileEntry("0412.snc", false, true, false));
  EXPECT_FALSE(CompareFileEntry("COMPARE.TSC", false, false, true));
  EXPECT_FALSE(CompareFileEntry("x.TSCX", false, true, true));  // found through its short alias only
  EXPECT_FALSE(CompareFileEntry("dir.tsc", true, true, true));
  EXPECT_EQ(CompareFileNameOf("B.SNC\tSentinox Compare File"), "B.SNC");
  // A name with a tab in it (a file system that allows one) is still the whole name,
  // not the text before the tab: that would open, or undo, another report.
  for (const char* name : {"\tC.snc", "a\tb.SNC", "a\tb.tsc", "x.snc\tSentinox Compare File.snc"}) {
    for (bool sentinox : {false, true}) {
      auto entry = CompareFileEntry(name, false, !sentinox, sentinox);
      if (entry) {
        EXPECT_EQ(CompareFileNameOf(*entry), name);
      }
    }
  }
}

// The report list asks the search for the ".tsc" and then the ".snc" reports of the
// backup directory, and keeps only the names that really end so.
TEST(CompareFileNames, ListsTheReportsOfADirectoryThroughItsSearch) {
  std::vector<std::string> asked;
  const FileNameSearch search = [&](const std::string& pattern) {
    asked.push_back(pattern);
    return EndsWithNoCase(pattern, ".tsc") ? std::vector<std::string>{"B.TSC", "x.TSCX", "a.tsc"}
                                           : std::vector<std::string>{"0412.snc", "y.sncx"};
  };
  EXPECT_EQ(CompareFileList(search, "C:\\B", true, true),
            (std::vector<std::string>{"B.TSC", "a.tsc", "0412.snc\tSentinox Compare File"}));
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\B\\*.tsc", "C:\\B\\*.snc"}));
  EXPECT_EQ(CompareFileList(search, "C:\\B", false, true),
            (std::vector<std::string>{"0412.snc\tSentinox Compare File"}));
  asked.clear();
  EXPECT_TRUE(CompareFileList(search, "C:\\B", false, false).empty());
  EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace tessary
