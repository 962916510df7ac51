// The comparison of two value snapshots: one merge pass, line by line only where they differ.
#include "compare/logic/value_compare.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/ascii.h"
#include "snapshot/logic/value_snapshot.h"

namespace tessary {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// A key with its value lines: [start, end) of the file; the values from bodyStart.
struct Group {
  std::string_view key;
  std::size_t start = 0, bodyStart = 0, end = 0;
};

class Snapshot {
 public:
  explicit Snapshot(std::string_view text) : text_(text) {
    const std::size_t nl = text.find('\n');
    std::string_view first = text.substr(0, nl);
    if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
    ok_ = first == kValueSnapshotSignature;
    rootStart_ = nl == npos ? text.size() : nl + 1;
  }
  bool ok() const { return ok_; }
  std::string_view text() const { return text_; }
  std::size_t size() const { return text_.size(); }
  std::size_t rootStart() const { return rootStart_; }

  // The line at `pos` without its line end, and where the next one begins.
  std::string_view LineAt(std::size_t pos, std::size_t& next) const {
    std::size_t end = text_.find('\n', pos);
    next = end == npos ? text_.size() : end + 1;
    if (end == npos) end = text_.size();
    std::string_view line = text_.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  bool ValueLineAt(std::size_t pos) const { return pos < text_.size() && text_[pos] == '\t'; }

  // The root's values (from rootStart), or the key whose line begins at `pos`.
  Group GroupAt(std::size_t pos, bool root) const {
    Group g;
    g.start = pos;
    std::size_t next = pos;
    if (!root) g.key = LineAt(pos, next);
    g.bodyStart = next;
    std::size_t at = next;
    while (ValueLineAt(at)) LineAt(at, at);
    g.end = at;
    return g;
  }

  // Every key of the file, for telling added and deleted keys apart.
  const std::unordered_set<std::string_view>& Keys() {
    if (!keysMade_) {
      keysMade_ = true;
      for (std::size_t at = rootStart_; at < text_.size();) {
        const bool key = !ValueLineAt(at);
        std::string_view line = LineAt(at, at);
        if (key) keys_.insert(line);
      }
    }
    return keys_;
  }

 private:
  std::string_view text_;
  bool ok_ = false;
  std::size_t rootStart_ = 0;
  bool keysMade_ = false;
  std::unordered_set<std::string_view> keys_;
};

struct Entry {
  ValueLineFields fields;
  std::size_t order;
};

bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

std::vector<Entry> Entries(const Snapshot& file, const Group& g) {
  std::vector<Entry> entries;
  for (std::size_t at = g.bodyStart; at < g.end;) {
    const std::size_t order = at;
    const auto fields = SplitValueLine(file.LineAt(at, at));
    if (fields) entries.push_back({*fields, order});  // a damaged line is passed over
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return NameLess(a.fields.name, b.fields.name); });
  return entries;
}

// Where the two texts first differ, from their given positions on.
std::size_t CommonLength(std::string_view a, std::size_t ia, std::string_view b, std::size_t ib) {
  const char* pa = a.data() + ia;
  const char* pb = b.data() + ib;
  const std::size_t n = std::min(a.size() - ia, b.size() - ib);
  // Large blocks while they agree, then small ones inside the block that differs.
  constexpr std::size_t kBlock = 4096, kSmall = 64;
  std::size_t i = 0;
  while (i + kBlock <= n && std::memcmp(pa + i, pb + i, kBlock) == 0) i += kBlock;
  while (i + kSmall <= n && std::memcmp(pa + i, pb + i, kSmall) == 0) i += kSmall;
  while (i < n && pa[i] == pb[i]) ++i;
  return i;
}

class Merge {
 public:
  Merge(Snapshot& current, Snapshot& backup) : cur_(current), bak_(backup) {}

  ValueChanges Run() {
    std::size_t c = cur_.rootStart(), b = bak_.rootStart();
    // The roots' own values, then the keys.
    Pair(cur_.GroupAt(c, true), bak_.GroupAt(b, true));
    c = cur_.GroupAt(c, true).end;
    b = bak_.GroupAt(b, true).end;
    for (;;) {
      // The same bytes in both: nothing to report there.
      const std::size_t same = CommonLength(cur_.text(), c, bak_.text(), b);
      if (c + same == cur_.size() && b + same == bak_.size()) break;
      // Back to the start of the key group where the difference lies: the line holding
      // it, or, when that line is a value line in either file, the key line before it.
      std::size_t line = same;
      while (line > 0 && cur_.text()[c + line - 1] != '\n') --line;
      if (cur_.ValueLineAt(c + line) || bak_.ValueLineAt(b + line)) {
        std::size_t group = 0;
        for (std::size_t at = line; at-- > 0;) {
          if ((at == 0 || cur_.text()[c + at - 1] == '\n') && !cur_.ValueLineAt(c + at)) {
            group = at;
            break;
          }
        }
        line = group;
      }
      c += line;
      b += line;
      if (!Resync(c, b)) break;
    }
    ValueChanges result = std::move(changes_);
    for (auto* list : {&result.added, &result.changed, &result.deleted, &result.inAddedKeys})
      std::stable_sort(list->begin(), list->end(),
                       [](const ValueChange& x, const ValueChange& y) { return x.order < y.order; });
    return result;
  }

 private:
  // From two key-group starts, reads group by group until a key of both files has been
  // compared (true: the files may run alike again) or the end (false).
  bool Resync(std::size_t& c, std::size_t& b) {
    for (;;) {
      const bool curEnd = c >= cur_.size(), bakEnd = b >= bak_.size();
      if (curEnd && bakEnd) return false;
      if (curEnd) {  // the backup's remaining keys are gone
        for (; b < bak_.size(); b = bak_.GroupAt(b, false).end) Deleted(bak_.GroupAt(b, false));
        return false;
      }
      if (bakEnd) {  // the current snapshot's remaining keys are new
        for (; c < cur_.size(); c = cur_.GroupAt(c, false).end) InAddedKey(cur_.GroupAt(c, false));
        return false;
      }
      const Group gc = cur_.GroupAt(c, false), gb = bak_.GroupAt(b, false);
      if (gc.key == gb.key) {
        Pair(gc, gb);
        c = gc.end;
        b = gb.end;
        return true;
      }
      if (bak_.Keys().count(gc.key) == 0) {
        InAddedKey(gc);  // an added key: its values are listed apart
        c = gc.end;
      } else if (cur_.Keys().count(gb.key) == 0) {
        Deleted(gb);
        b = gb.end;
      } else {
        ByTable(c, b);
        return false;
      }
    }
  }

  // The walks differ in order: the backup's remaining keys go into a table, each current
  // key is matched through it, and what is left of the table was deleted.
  void ByTable(std::size_t c, std::size_t b) {
    std::vector<Group> groups;
    std::unordered_map<std::string_view, std::size_t> index;
    for (; b < bak_.size(); b = groups.back().end) {
      groups.push_back(bak_.GroupAt(b, false));
      index.emplace(groups.back().key, groups.size() - 1);
    }
    std::vector<bool> used(groups.size(), false);
    for (; c < cur_.size();) {
      const Group gc = cur_.GroupAt(c, false);
      c = gc.end;
      const auto found = index.find(gc.key);
      if (found == index.end() && bak_.Keys().count(gc.key) == 0) InAddedKey(gc);
      if (found == index.end() || used[found->second]) continue;
      used[found->second] = true;
      Pair(gc, groups[found->second]);
    }
    for (std::size_t i = 0; i < groups.size(); ++i)
      if (!used[i]) Deleted(groups[i]);
  }

  void Pair(const Group& gc, const Group& gb) {
    if (cur_.text().substr(gc.bodyStart, gc.end - gc.bodyStart) ==
        bak_.text().substr(gb.bodyStart, gb.end - gb.bodyStart))
      return;
    const std::vector<Entry> now = Entries(cur_, gc), before = Entries(bak_, gb);
    std::size_t i = 0, j = 0;
    while (i < now.size() || j < before.size()) {
      if (j == before.size() || (i < now.size() && NameLess(now[i].fields.name, before[j].fields.name))) {
        Add(changes_.added, gc.key, now[i].fields, {}, now[i].order);
        ++i;
      } else if (i == now.size() || NameLess(before[j].fields.name, now[i].fields.name)) {
        Add(changes_.deleted, gb.key, before[j].fields, {}, before[j].order);
        ++j;
      } else {
        if (now[i].fields.type != before[j].fields.type || now[i].fields.data != before[j].fields.data)
          Add(changes_.changed, gc.key, now[i].fields, &before[j].fields, now[i].order);
        ++i;
        ++j;
      }
    }
  }

  void InAddedKey(const Group& gc) {
    for (std::size_t at = gc.bodyStart; at < gc.end;) {
      const std::size_t order = at;
      if (const auto fields = SplitValueLine(cur_.LineAt(at, at))) Add(changes_.inAddedKeys, gc.key, *fields, {}, order);
    }
  }

  void Deleted(const Group& gb) {
    for (std::size_t at = gb.bodyStart; at < gb.end;) {
      const std::size_t order = at;
      if (const auto fields = SplitValueLine(bak_.LineAt(at, at))) Add(changes_.deleted, gb.key, *fields, {}, order);
    }
  }

  static void Add(std::vector<ValueChange>& to, std::string_view key, const ValueLineFields& fields,
                  const ValueLineFields* old, std::size_t order) {
    ValueChange change;
    change.keyPath = key;
    change.name = fields.name;
    change.type = fields.type;
    change.data = fields.data;
    if (old) {
      change.oldType = old->type;
      change.oldData = old->data;
    }
    change.order = order;
    to.push_back(change);
  }

  Snapshot& cur_;
  Snapshot& bak_;
  ValueChanges changes_;
};

}  // namespace

std::optional<ValueChanges> CompareValueSnapshots(std::string_view current, std::string_view backup) {
  Snapshot cur(current), bak(backup);
  if (!cur.ok() || !bak.ok()) return std::nullopt;
  return Merge(cur, bak).Run();
}

}  // namespace tessary
