// The comparison of two value snapshots: what counts as added, changed and deleted, the
// keys added and deleted as a whole, walks in another order, and a large pair of files
// with scattered edits held against a plain model.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "compare/logic/value_compare.h"
#include "platform/ascii.h"
#include "snapshot/logic/value_snapshot.h"

namespace tessary {
namespace {

const std::string kHead = "TESSARY REGISTRY VALUES 1\r\n";

// "key|name|type|data" (or "key|name|oldType oldData -> type data") for each change.
std::vector<std::string> Shown(const std::vector<ValueChange>& list) {
  std::vector<std::string> out;
  for (const ValueChange& c : list) {
    std::string s = std::string(c.keyPath) + "|" + std::string(c.name) + "|";
    if (!c.oldType.empty()) s += std::string(c.oldType) + " " + std::string(c.oldData) + " -> ";
    s += std::string(c.type) + " " + std::string(c.data);
    out.push_back(s);
  }
  return out;
}

using Lines = std::vector<std::string>;

TEST(ValueCompare, ValuesOfKeysInBothAreAddedChangedOrDeleted) {
  const std::string backup = kHead +
                             "\tRootValue\tREG_SZ\t\"r\r\n"
                             "Software\r\n"
                             "Software\\Vendor\r\n"
                             "\tKeep\tREG_DWORD\t:01000000\r\n"
                             "\tMode\tREG_SZ\t\"old\r\n"
                             "\tObsolete\tREG_SZ\t\"1\r\n"
                             "\tRenamedCase\tREG_NONE\t:\r\n"
                             "Software\\Vendor\\Sub\r\n";
  const std::string current = kHead +
                              "\tRootValue\tREG_EXPAND_SZ\t\"r\r\n"
                              "Software\r\n"
                              "\tAdded\tREG_BINARY\t:00\r\n"
                              "Software\\Vendor\r\n"
                              "\tKeep\tREG_DWORD\t:01000000\r\n"
                              "\tmode\tREG_SZ\t\"new\r\n"
                              "\tRENAMEDCASE\tREG_NONE\t:\r\n"
                              "Software\\Vendor\\Sub\r\n"
                              "\t\tREG_SZ\t\"default\r\n";
  const auto changes = CompareValueSnapshots(current, backup);
  ASSERT_TRUE(changes);
  EXPECT_EQ(Shown(changes->added), (Lines{"Software|Added|REG_BINARY :00", "Software\\Vendor\\Sub||REG_SZ \"default"}));
  EXPECT_EQ(Shown(changes->changed), (Lines{"|RootValue|REG_SZ \"r -> REG_EXPAND_SZ \"r",
                                            "Software\\Vendor|mode|REG_SZ \"old -> REG_SZ \"new"}));
  EXPECT_EQ(Shown(changes->deleted), (Lines{"Software\\Vendor|Obsolete|REG_SZ \"1"}));
  const auto same = CompareValueSnapshots(current, current);
  ASSERT_TRUE(same);
  EXPECT_TRUE(same->added.empty() && same->changed.empty() && same->deleted.empty());
}

TEST(ValueCompare, AddedKeysAreLeftToTheirKeyLinesAndDeletedKeysLoseTheirValues) {
  const std::string backup = kHead +
                             "A\r\n"
                             "Gone\r\n"
                             "\tG1\tREG_SZ\t\"g\r\n"
                             "Gone\\Deeper\r\n"
                             "\tG2\tREG_DWORD\t:02000000\r\n"
                             "Z\r\n"
                             "\tz\tREG_SZ\t\"z\r\n";
  const std::string current = kHead +
                              "A\r\n"
                              "New\r\n"
                              "\tN1\tREG_SZ\t\"n\r\n"
                              "New\\Deeper\r\n"
                              "\tN2\tREG_SZ\t\"n\r\n"
                              "Z\r\n"
                              "\tz\tREG_SZ\t\"changed\r\n";
  const auto changes = CompareValueSnapshots(current, backup);
  ASSERT_TRUE(changes);
  EXPECT_TRUE(changes->added.empty());
  EXPECT_EQ(Shown(changes->changed), (Lines{"Z|z|REG_SZ \"z -> REG_SZ \"changed"}));
  EXPECT_EQ(Shown(changes->deleted), (Lines{"Gone|G1|REG_SZ \"g", "Gone\\Deeper|G2|REG_DWORD :02000000"}));
  EXPECT_EQ(Shown(changes->inAddedKeys), (Lines{"New|N1|REG_SZ \"n", "New\\Deeper|N2|REG_SZ \"n"}));
  // New keys at the end of the walk, and in a walk of another order.
  const std::string longer = current + "Zz\r\n\tq\tREG_SZ\t\"q\r\n";  // the changes point into it
  const auto atEnd = CompareValueSnapshots(longer, backup);
  ASSERT_TRUE(atEnd);
  EXPECT_EQ(Shown(atEnd->inAddedKeys), (Lines{"New|N1|REG_SZ \"n", "New\\Deeper|N2|REG_SZ \"n", "Zz|q|REG_SZ \"q"}));
}

TEST(ValueCompare, WalksInAnotherOrderAreMatchedByKey) {
  const std::string backup = kHead + "A\r\n\ta\tREG_SZ\t\"1\r\nB\r\n\tb\tREG_SZ\t\"1\r\nC\r\n\tc\tREG_SZ\t\"1\r\n";
  const std::string current = kHead + "C\r\n\tc\tREG_SZ\t\"2\r\nA\r\n\ta\tREG_SZ\t\"1\r\nD\r\n\td\tREG_SZ\t\"1\r\n";
  const auto changes = CompareValueSnapshots(current, backup);
  ASSERT_TRUE(changes);
  EXPECT_TRUE(changes->added.empty());
  EXPECT_EQ(Shown(changes->changed), (Lines{"C|c|REG_SZ \"1 -> REG_SZ \"2"}));
  EXPECT_EQ(Shown(changes->deleted), (Lines{"B|b|REG_SZ \"1"}));
  EXPECT_EQ(Shown(changes->inAddedKeys), (Lines{"D|d|REG_SZ \"1"}));
}

TEST(ValueCompare, OnlyValueSnapshotsAreCompared) {
  EXPECT_FALSE(CompareValueSnapshots("Software\r\n", kHead));
  EXPECT_FALSE(CompareValueSnapshots(kHead, ""));
  // Line ends of either kind, a last line without one, and damaged value lines passed over.
  // (The changes point into the texts, which must outlive them.)
  const std::string backup = kHead + "K\r\n\tv\tREG_SZ\t\"a\r\n\tw\tREG_SZ\t\"b";
  const auto changes = CompareValueSnapshots("TESSARY REGISTRY VALUES 1\nK\n\tv\tREG_SZ\t\"a\n\tbroken\n", backup);
  ASSERT_TRUE(changes);
  EXPECT_EQ(Shown(changes->deleted), (Lines{"K|w|REG_SZ \"b"}));
  EXPECT_TRUE(changes->added.empty() && changes->changed.empty());
}

// A plain model: every key's values by folded name.
using Model = std::map<std::string, std::map<std::string, std::pair<std::string, std::string>>>;
Model Read(const std::string& text) {
  Model model;
  std::string key;
  model[key];
  std::size_t start = text.find('\n') + 1;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    if (line[0] != '\t') {
      key = line;
      model[key];
      continue;
    }
    const auto f = SplitValueLine(line);
    model[key][ToLowerAscii(f->name)] = {std::string(f->type), std::string(f->data)};
  }
  return model;
}

TEST(ValueCompare, LargeSnapshotsWithScatteredEditsAgreeWithAPlainModel) {
  std::mt19937 rng(1996);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const char* types[] = {"REG_SZ", "REG_DWORD", "REG_BINARY"};
  auto valueLine = [&](const std::string& name) {
    return "\t" + name + "\t" + types[pick(3)] + "\t:" + std::to_string(pick(1000000)) + "0\r\n";
  };
  // The backup: 3,000 keys in walk order, three values each.
  std::vector<std::pair<std::string, std::vector<std::string>>> keys;
  for (int i = 0; i < 3000; ++i) {
    std::string path = "K" + std::to_string(1000 + i / 100) + "\\S" + std::to_string(1000 + i);
    keys.push_back({path, {valueLine("a"), valueLine("b"), valueLine("c")}});
  }
  std::string backup = kHead;
  for (const auto& [path, values] : keys) {
    backup += path + "\r\n";
    for (const std::string& v : values) backup += v;
  }
  // The current snapshot: values changed, added and deleted, keys added and deleted.
  std::string current = kHead;
  for (auto& [path, values] : keys) {
    switch (pick(40)) {
      case 0: continue;  // the key deleted
      case 1: current += path + "X\r\n" + valueLine("new"); break;  // a new key before it
      case 2: {
        const int which = pick(3);
        values[which] = valueLine(std::string(1, "abc"[which]));
        break;
      }
      case 3: values.erase(values.begin() + pick(3)); break;
      case 4: values.push_back(valueLine("d")); break;
      case 5: values[0] = "\tA" + values[0].substr(2); break;  // the name in another case
      default: break;
    }
    current += path + "\r\n";
    for (const std::string& v : values) current += v;
  }
  const auto changes = CompareValueSnapshots(current, backup);
  ASSERT_TRUE(changes);

  const Model before = Read(backup), after = Read(current);
  std::set<std::string> added, changed, deleted;
  for (const auto& [key, values] : before) {
    const auto now = after.find(key);
    for (const auto& [name, value] : values) {
      if (now == after.end() || now->second.count(name) == 0) {
        deleted.insert(key + "|" + name);
      } else if (now->second.at(name) != value) {
        changed.insert(key + "|" + name);
      }
    }
    if (now == after.end()) continue;
    for (const auto& [name, value] : now->second)
      if (values.count(name) == 0) added.insert(key + "|" + name);
  }
  auto asSet = [](const std::vector<ValueChange>& list) {
    std::set<std::string> out;
    for (const ValueChange& c : list) out.insert(std::string(c.keyPath) + "|" + ToLowerAscii(c.name));
    return out;
  };
  EXPECT_EQ(asSet(changes->added), added);
  EXPECT_EQ(asSet(changes->changed), changed);
  EXPECT_EQ(asSet(changes->deleted), deleted);
  EXPECT_GT(changed.size(), 50u);
  EXPECT_GT(deleted.size(), 100u);
  for (const auto* list : {&changes->added, &changes->changed, &changes->deleted})
    EXPECT_TRUE(std::is_sorted(list->begin(), list->end(),
                               [](const ValueChange& x, const ValueChange& y) { return x.order < y.order; }));
}

}  // namespace
}  // namespace tessary
