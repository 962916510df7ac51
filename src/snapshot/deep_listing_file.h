// Deep listings on disk: written by a backup with deep tracking on, read back by Compare
// as a TreeSource to merge with the live walk. Both stream: neither holds a whole
// listing in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/handles.h"
#include "platform/tree_entry.h"
#include "snapshot/logic/deep_listing.h"
#include "snapshot/logic/deep_places.h"

namespace tessary {

struct DeepListingWritten {
  bool ok = false;              // the whole listing is on disk, its END line included
  std::uint64_t entries = 0;
  std::size_t unreadable = 0;   // folders that could not be read
};

// Lists the tree below `place` into `outPath` (created or truncated), leaving out what
// `leftOut` names. `pump` runs every few hundred entries, to let waiting messages through.
DeepListingWritten WriteDeepListing(const std::string& place, const DeepLeftOut& leftOut, const std::string& outPath,
                                    const std::function<void()>& pump = {});

// A deep listing read back entry by entry. The header is read when it opens; an entry
// out of the walk's order, a damaged line or a missing END line make it Bad, and it then
// gives no more entries (Compare says so and does not trust its findings).
class DeepListingFile : public TreeSource {
 public:
  explicit DeepListingFile(const std::string& path);
  bool opened() const { return opened_; }
  const DeepListingHeader& header() const { return parser_.header(); }
  // Read to its END line without a fault (known once every entry has been read).
  bool Complete() const { return parser_.Complete() && !outOfOrder_; }
  bool Bad() const { return parser_.state() == DeepListingParser::State::Bad || outOfOrder_; }
  const TreeEntry* Peek() override;
  void Pop() override;

 private:
  bool NextLine(std::string& line);
  void Advance();

  UniqueHandle file_;
  bool opened_ = false;
  DeepListingParser parser_;
  std::string buffer_;
  std::size_t at_ = 0;
  bool eof_ = false;
  bool outOfOrder_ = false;
  bool has_ = false;
  TreeEntry current_;
  std::string previousKey_;
};

// The key of a listing's path: each name folded, joined by kTreeKeySeparator.
std::string TreeKeyOf(std::string_view path);

}  // namespace tessary
