// The deep listing: the whole tree below one place, one line per entry, written by a
// backup with deep tracking on and merged by Compare with a walk of the live tree in one
// pass. The format (docs/deep-tracking.md):
//
//   TESSARY DEEP LISTING 1
//   PLACE<tab>C:\Program Files                 the folder listed
//   LEFT OUT<tab>C:\Program Files\x            a folder below it not listed (any number)
//   (an empty line)
//   <path><tab><size><tab><last write><tab><attributes>     one line per entry
//   END<tab><number of entries>
//
// Lines end in CR LF and are UTF-8. <path> is relative to the place, names joined by
// "\"; <size> is a decimal byte count (0 for a folder); <last write> is the UTC time
// "YYYY-MM-DD hh:mm:ss.fffffff" (100-nanosecond steps, as the file system keeps it);
// <attributes> is the attribute word in eight hexadecimal digits. Entries come in the
// walk's order (tree_entry.h). A listing without its END line, or whose END counts
// other than its entries, is incomplete and is not compared. No <windows.h> here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree_entry.h"

namespace tessary {

inline constexpr std::string_view kDeepListingFirstLine = "TESSARY DEEP LISTING 1";

struct DeepListingHeader {
  std::string place;                 // the folder listed
  std::vector<std::string> leftOut;  // folders below it that the listing leaves out
};

// The header lines, the empty line after them included.
std::string FormatDeepHeader(const DeepListingHeader& header);
// One entry's line with its CR LF; empty for a path that one line cannot carry (a
// control character in it).
std::string FormatDeepRecord(const TreeEntry& entry);
std::string FormatDeepEnd(std::uint64_t entries);

// "YYYY-MM-DD hh:mm:ss.fffffff" of a UTC file time (100-nanosecond intervals since
// 1601), and back; nothing for text of another form.
std::string FormatFileTime(std::uint64_t ticks);
std::optional<std::uint64_t> ParseFileTime(std::string_view text);

// Reads a deep listing line by line (lines without their line ends).
class DeepListingParser {
 public:
  enum class State { Header, Records, Ended, Bad };
  // The entry a record line holds (its key left empty: the reader folds the names), or
  // nothing for any other line. A line out of place makes the listing Bad.
  std::optional<TreeEntry> Line(std::string_view line);
  State state() const { return state_; }
  const DeepListingHeader& header() const { return header_; }
  // Whether the END line came and counted the entries read.
  bool Complete() const { return state_ == State::Ended; }
  std::uint64_t entries() const { return entries_; }

 private:
  State state_ = State::Header;
  bool sawFirstLine_ = false;
  DeepListingHeader header_;
  std::uint64_t entries_ = 0;
};

}  // namespace tessary
