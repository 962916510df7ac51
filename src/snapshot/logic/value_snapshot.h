// The registry value snapshot: the values of every key of a branch, written in the same
// walk as the branch's key snapshot, into a file of its own beside it. No <windows.h>.
//
// The file ("curuser_val.TSB" beside "curuser.TSB"; ".SNB" and ".TST" likewise) is text
// with CR LF line ends:
//   TESSARY REGISTRY VALUES 1                 the first line, always
//   <TAB>name<TAB>TYPE<TAB>data               values of the branch's root key, if any
//   Software\Vendor                           a key: its path as in the key snapshot
//   <TAB>name<TAB>TYPE<TAB>data               its values, in the registry's order
//   Software\Vendor\Sub                       the next key (in the key snapshot's order)
// Every key of the key snapshot has its line here, values or not, so the file alone tells
// which keys the branch had. The name and data fields are those of registry_values.h
// (escaped UTF-16 text, or hex, or size and SHA-256 for long data), so no field holds a
// tab or a line break; a key line never begins with a tab, because a key whose name holds
// a control character is left out of both files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

inline constexpr std::string_view kValueSnapshotSignature = "TESSARY REGISTRY VALUES 1";

// The file base of a branch's value snapshot: "curuser" gives "curuser_val".
std::string ValueSnapshotBase(std::string_view branchBase);

// One value line, without its line end: a tab, the escaped name, a tab, the type name, a
// tab, the data field.
void AppendValueLine(std::string& line, std::u16string_view name, std::uint32_t type, std::string_view data);

inline bool IsValueLine(std::string_view line) { return !line.empty() && line[0] == '\t'; }

// The three fields of a value line as written; nothing for a line that is not one.
struct ValueLineFields {
  std::string_view name;
  std::string_view type;
  std::string_view data;
};
std::optional<ValueLineFields> SplitValueLine(std::string_view line);

}  // namespace tessary
