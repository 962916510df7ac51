// The one-pass merge of a deep listing with the live tree, over trees given in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compare/logic/deep_merge.h"

namespace tessary {
namespace {

// A tree in the walk's order, keys folded as ASCII (enough for these names).
class VectorSource : public TreeSource {
 public:
  struct Item {
    std::string path;
    std::uint64_t size;
    std::uint64_t time;
    bool folder;
  };
  VectorSource(std::initializer_list<Item> items) {
    for (const Item& item : items) {
      TreeEntry e;
      e.path = item.path;
      for (char c : item.path) e.key += c == '\\' ? kTreeKeySeparator : (c >= 'a' && c <= 'z' ? char(c - 32) : c);
      e.size = item.size;
      e.writeTime = item.time;
      e.attributes = item.folder ? TreeEntry::kFolder : 0x20;
      entries_.push_back(e);
    }
    // The walk gives entries in key order; the tests list them as a person would.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const TreeEntry& a, const TreeEntry& b) { return a.key < b.key; });
  }
  const TreeEntry* Peek() override { return at_ < entries_.size() ? &entries_[at_] : nullptr; }
  void Pop() override { ++at_; }

 private:
  std::vector<TreeEntry> entries_;
  std::size_t at_ = 0;
};

class Lines : public DeepFindings {
 public:
  void Added(const DeepAdded& added) override { lines.push_back(DeepAddedLine(added)); }
  void Updated(const TreeEntry& before, const TreeEntry& now) override {
    lines.push_back(DeepUpdatedLine(before, now));
  }
  void Deleted(const TreeEntry& before) override { lines.push_back(DeepDeletedLine(before)); }
  bool Step() override { return ++steps != stopAt; }
  std::vector<std::string> lines;
  int steps = 0;
  int stopAt = -1;
};

std::vector<std::string> Merge(VectorSource before, VectorSource now) {
  Lines lines;
  EXPECT_TRUE(MergeTrees(before, now, lines));
  return lines.lines;
}

constexpr bool kDir = true, kFile = false;

TEST(DeepMerge, TheSameTreeGivesNothing) {
  EXPECT_EQ(Merge({{"A", 0, 1, kDir}, {"A\\b.dll", 10, 2, kFile}, {"A b", 3, 3, kFile}},
                  {{"A", 0, 9, kDir}, {"A\\b.dll", 10, 2, kFile}, {"A b", 3, 3, kFile}}),
            std::vector<std::string>{});  // a folder's own time does not count
  EXPECT_EQ(Merge({}, {}), std::vector<std::string>{});
}

TEST(DeepMerge, ANewFolderIsReportedOnceWithWhatItHolds) {
  // "Vendor" sorts before "Vendor b" and its subtree in between: the walk's order.
  EXPECT_EQ(Merge({{"Vendor b", 1, 1, kFile}, {"Zed", 0, 1, kDir}},
                  {{"Vendor", 0, 5, kDir},
                   {"Vendor\\bin", 0, 5, kDir},
                   {"Vendor\\bin\\x.dll", 1000, 5, kFile},
                   {"Vendor\\bin\\y.dll", 234, 5, kFile},
                   {"Vendor\\empty", 0, 5, kDir},
                   {"Vendor b", 1, 1, kFile},
                   {"Zed", 0, 1, kDir},
                   {"Zed\\new.txt", 1, 5, kFile}}),
            (std::vector<std::string>{"ADDED  : Vendor  (DIR)  2 files, 1,234 bytes", "ADDED  : Zed\\new.txt  1 byte"}));
}

TEST(DeepMerge, RenamesAreADeletionAndAnAdditionAndOnlyTheTopIsDeleted) {
  EXPECT_EQ(Merge({{"Old", 0, 1, kDir}, {"Old\\a.txt", 5, 1, kFile}, {"Old\\sub", 0, 1, kDir}, {"x.ini", 7, 1, kFile}},
                  {{"New", 0, 1, kDir}, {"New\\a.txt", 5, 1, kFile}, {"New\\sub", 0, 1, kDir}, {"y.ini", 7, 1, kFile}}),
            (std::vector<std::string>{"ADDED  : New  (DIR)  1 file, 5 bytes", "DELETED: Old  (DIR)",
                                      "DELETED: x.ini", "ADDED  : y.ini  7 bytes"}));
}

TEST(DeepMerge, SizeOrTimeMakesAnUpdate) {
  const std::uint64_t t1 = 133537247999999999ull, t2 = t1 + 1;  // one tick apart
  EXPECT_EQ(Merge({{"same size.dll", 100, t1, kFile}, {"grown.dll", 100, t1, kFile}},
                  {{"same size.dll", 100, t2, kFile}, {"grown.dll", 1100, t1, kFile}}),
            (std::vector<std::string>{
                "UPDATED: grown.dll  OLD: 100 bytes 2024-02-29 23:59:59.9999999 UTC  NEW: 1,100 bytes 2024-02-29 "
                "23:59:59.9999999 UTC",
                "UPDATED: same size.dll  OLD: 100 bytes 2024-02-29 23:59:59.9999999 UTC  NEW: 100 bytes 2024-03-01 "
                "00:00:00.0000000 UTC"}));
}

TEST(DeepMerge, AFolderReplacedByAFileOfTheSameNameAndBack) {
  EXPECT_EQ(Merge({{"data", 0, 1, kDir}, {"data\\a", 1, 1, kFile}, {"data\\b", 0, 1, kDir}, {"data\\b\\c", 2, 1, kFile},
                   {"data.txt", 1, 1, kFile}, {"logs", 9, 1, kFile}},
                  {{"data", 4, 2, kFile}, {"data.txt", 1, 1, kFile}, {"logs", 0, 2, kDir}, {"logs\\1", 3, 2, kFile}}),
            (std::vector<std::string>{"DELETED: data  (DIR)", "ADDED  : data  4 bytes", "DELETED: logs",
                                      "ADDED  : logs  (DIR)  1 file, 3 bytes"}));
}

TEST(DeepMerge, ACaseOnlyRenameIsTheSameEntry) {
  // The file system takes the two names for one; only a real change is reported.
  EXPECT_EQ(Merge({{"Vendor", 0, 1, kDir}, {"Vendor\\App.EXE", 10, 1, kFile}, {"readme.txt", 1, 1, kFile}},
                  {{"VENDOR", 0, 1, kDir}, {"VENDOR\\app.exe", 10, 1, kFile}, {"README.TXT", 2, 1, kFile}}),
            std::vector<std::string>{"UPDATED: README.TXT  OLD: 1 byte 1601-01-01 00:00:00.0000001 UTC  NEW: 2 bytes "
                                     "1601-01-01 00:00:00.0000001 UTC"});
}

TEST(DeepMerge, PathsNearAndBeyondMaxPath) {
  std::string deep = "L";
  while (deep.size() < 250) deep += "\\" + std::string(30, 'd');
  const std::string longer = deep + "\\" + std::string(40, 'f');  // beyond MAX_PATH
  std::vector<std::string> lines = Merge({{"L", 0, 1, kDir}, {deep, 0, 1, kDir}, {deep + "\\old", 1, 1, kFile}},
                                         {{"L", 0, 1, kDir}, {deep, 0, 1, kDir}, {longer, 77, 1, kFile}});
  // The folders between L and `deep` are not in either tree: the merge needs no parents.
  EXPECT_EQ(lines, (std::vector<std::string>{"ADDED  : " + longer + "  77 bytes", "DELETED: " + deep + "\\old"}));
}

TEST(DeepMerge, ACancelStopsTheMerge) {
  VectorSource before{{"a", 1, 1, kFile}, {"b", 1, 1, kFile}, {"c", 1, 1, kFile}};
  VectorSource now{{"a", 1, 1, kFile}, {"b", 2, 1, kFile}, {"c", 3, 1, kFile}};
  Lines lines;
  lines.stopAt = 2;
  EXPECT_FALSE(MergeTrees(before, now, lines));
  EXPECT_EQ(lines.lines.size(), 1u);
}

}  // namespace
}  // namespace tessary
