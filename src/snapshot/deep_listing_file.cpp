#include "snapshot/deep_listing_file.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/tree_walk.h"

namespace tessary {

std::string TreeKeyOf(std::string_view path) {
  std::string key;
  key.reserve(path.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('\\', start);
    key += FoldedName(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
    if (slash == std::string_view::npos) return key;
    key += kTreeKeySeparator;
    start = slash + 1;
  }
}

DeepListingWritten WriteDeepListing(const std::string& place, const DeepLeftOut& leftOut, const std::string& outPath,
                                    const std::function<void()>& pump) {
  DeepListingWritten result;
  OutputFile out(outPath, OutputFile::Mode::Create);
  if (!out.ok()) return result;
  std::string text = FormatDeepHeader({place, LeftOutWithin(leftOut, place)});
  TreeWalk walk(place, [&](const std::string& path, std::string_view name) { return IsLeftOut(leftOut, path, name); });
  for (const TreeEntry* entry = walk.Peek(); entry; entry = walk.Peek()) {
    const std::string line = FormatDeepRecord(*entry);
    if (!line.empty()) {
      text += line;
      ++result.entries;
    }
    walk.Pop();
    if (text.size() >= (1u << 20)) {
      if (!out.Write(text)) return result;
      text.clear();
    }
    if (pump && (result.entries & 0xFF) == 0) pump();
  }
  text += FormatDeepEnd(result.entries);
  bool ok = out.Write(text);
  result.ok = out.Close() && ok;
  result.unreadable = walk.unreadable();
  return result;
}

DeepListingFile::DeepListingFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
  opened_ = static_cast<bool>(file_);
  if (!opened_) return;
  std::string line;
  while (parser_.state() == DeepListingParser::State::Header && NextLine(line)) parser_.Line(line);
  if (parser_.state() == DeepListingParser::State::Header) parser_.Line("END-OF-FILE IN HEADER");  // makes it Bad
  Advance();
}

bool DeepListingFile::NextLine(std::string& line) {
  for (;;) {
    const std::size_t end = buffer_.find('\n', at_);
    if (end != std::string::npos) {
      line.assign(buffer_, at_, end - at_);
      at_ = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (eof_) {
      if (at_ >= buffer_.size()) return false;
      line.assign(buffer_, at_, std::string::npos);
      at_ = buffer_.size();
      return true;
    }
    buffer_.erase(0, at_);
    at_ = 0;
    char chunk[1 << 16];
    DWORD got = 0;
    if (!ReadFile(file_.get(), chunk, sizeof chunk, &got, nullptr) || got == 0) {
      eof_ = true;
    } else {
      buffer_.append(chunk, got);
    }
  }
}

void DeepListingFile::Advance() {
  has_ = false;
  if (!opened_ || Bad()) return;
  std::string line;
  while (NextLine(line)) {
    std::optional<TreeEntry> entry = parser_.Line(line);
    if (Bad()) return;
    if (!entry) continue;
    entry->key = TreeKeyOf(entry->path);
    // The walk's order; only a second folder whose name differs in letter case alone
    // (the file system here may hold both) follows the entries below the first.
    if (!previousKey_.empty() && entry->key < previousKey_ && !IsBelow(previousKey_, entry->key)) {
      outOfOrder_ = true;
      return;
    }
    previousKey_ = entry->key;
    current_ = std::move(*entry);
    has_ = true;
    return;
  }
}

const TreeEntry* DeepListingFile::Peek() { return has_ ? &current_ : nullptr; }

void DeepListingFile::Pop() { Advance(); }

}  // namespace tessary
