#include "platform/tree_walk.h"

#include <windows.h>

#include <algorithm>

#include "platform/code_page.h"
#include "platform/handles.h"
#include "platform/text_lines.h"

namespace tessary {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

std::string FoldedName(std::string_view name) {
  std::string folded(name);
  bool ascii = true;
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  if (ascii) return folded;
  std::wstring wide = ToWide(name);
  if (wide.empty()) return std::string(name);
  // The same length: upper case maps one UTF-16 unit to one.
  std::wstring upper(wide.size(), L'\0');
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), upper.data(),
                    static_cast<int>(upper.size()), nullptr, nullptr, 0) <= 0)
    return std::string(name);
  return FromWide(upper);
}

TreeWalk::TreeWalk(std::string root, LeaveOut leaveOut) : root_(std::move(root)), leaveOut_(std::move(leaveOut)) {
  Enter(root_, nullptr);
  Settle();
}

const TreeEntry* TreeWalk::Peek() {
  if (levels_.empty()) return nullptr;
  const Level& top = levels_.back();
  return &top.entries[top.next];
}

void TreeWalk::Pop() {
  if (levels_.empty()) return;
  Level& top = levels_.back();
  const TreeEntry& current = top.entries[top.next++];
  if (current.IsFolder() && !current.IsLink()) {
    const TreeEntry folder = current;  // the level below may move the vector that holds it
    Enter(Join(top.path, std::string(LeafName(folder.path))), &folder);
  }
  Settle();
}

void TreeWalk::Settle() {
  while (!levels_.empty() && levels_.back().next >= levels_.back().entries.size()) levels_.pop_back();
}

void TreeWalk::Enter(const std::string& path, const TreeEntry* folder) {
  Level level;
  level.path = path;
  WIN32_FIND_DATAW data{};
  const FindHandle search(FindFirstFileExW(ToWide(Join(path, "*")).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    if (folder) ++unreadable_;
    return;
  }
  do {
    const wchar_t* w = data.cFileName;
    if (w[0] == L'.' && (w[1] == L'\0' || (w[1] == L'.' && w[2] == L'\0'))) continue;
    std::string name = FromWide(w);
    if (HoldsControlCharacter(name)) continue;
    TreeEntry entry;
    entry.attributes = data.dwFileAttributes;
    if (entry.IsFolder() && !entry.IsLink() && leaveOut_ && leaveOut_(Join(path, name), name)) continue;
    entry.size = entry.IsFolder() ? 0 : (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.writeTime = (std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    entry.key = folder ? folder->key + kTreeKeySeparator + FoldedName(name) : FoldedName(name);
    entry.path = folder ? folder->path + "\\" + name : std::move(name);
    level.entries.push_back(std::move(entry));
  } while (FindNextFileW(search.get(), &data));
  std::sort(level.entries.begin(), level.entries.end(), [](const TreeEntry& a, const TreeEntry& b) {
    return a.key != b.key ? a.key < b.key : a.path < b.path;
  });
  if (!level.entries.empty()) levels_.push_back(std::move(level));
}

}  // namespace tessary
