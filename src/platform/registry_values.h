// Registry values as Tessary writes them into its text files (the value snapshot and
// the uninstall action file): type names, names and string data as escaped text, the
// data of one value as one field, and the short readable form that reports, questions
// and the Uninstall Actions dialog show. No <windows.h> here; the registry calls that
// read and write values are RegKey's (registry.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// The value types, with the numbers the registry gives them.
namespace regtype {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kResourceList = 8;
inline constexpr std::uint32_t kFullResourceDescriptor = 9;
inline constexpr std::uint32_t kResourceRequirementsList = 10;
inline constexpr std::uint32_t kQword = 11;
}  // namespace regtype

// Data of up to this many bytes is kept whole and can be put back; longer data keeps its
// size and SHA-256 only: it is reported when it changes and cannot be put back.
inline constexpr std::size_t kValueKeptWholeBytes = 65536;
// The most a value's data can hold (its size is a 32-bit count).
inline constexpr std::uint64_t kValueMaxBytes = 0xFFFFFFFFull;

// "REG_SZ", "REG_QWORD", ... for the twelve named types, "REG_TYPE_<decimal>" for any
// other number.
std::string ValueTypeName(std::uint32_t type);
// The type a name written by ValueTypeName stands for; nothing for any other text (a
// named type written as a number, a leading zero, a number beyond 32 bits, another word).
std::optional<std::uint32_t> ParseValueTypeName(std::string_view name);

// UTF-16 code units (a value's name, or the text of string data) as text of printable
// ASCII: every unit from blank to "~" stands for itself, except "%" and ">"; every other
// unit (control characters, NUL, anything beyond ASCII, a lone surrogate) is "%" and four
// hexadecimal digits. The text holds no control character, no ">" and no tab, so a line
// and its fields carry it whole.
void AppendEscapedUnits(std::string& out, std::u16string_view units);
std::string EscapedUnits(std::u16string_view units);
// The units of such text; nothing when it holds a character that an escaped text cannot
// (a control character, ">", a byte beyond ASCII) or a "%" not followed by four hex digits.
std::optional<std::u16string> UnescapeUnits(std::string_view text);

// A byte count as these files write it: decimal, without sign or leading zero ("0"
// itself allowed); nothing for any other text or a count beyond 64 bits.
std::optional<std::uint64_t> ParseValueSize(std::string_view text);

// One value's data as read back from a field.
struct ValueData {
  std::uint32_t type = 0;
  std::uint64_t size = 0;  // bytes of data
  bool whole = true;       // `bytes` holds the data; otherwise only `sha256` is known
  std::string bytes;       // the data, byte for byte, when whole
  std::string sha256;      // 64 lower-case hex digits, when not whole
};

// The data of a value as one field, in the first form that fits:
//   "*" size ":" sha256   data longer than kValueKeptWholeBytes (not restorable)
//   '"' text              string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) of an even
//                         number of bytes ending in a NUL unit: the units before that NUL
//   "'" text              string types of an even number of bytes not ending in NUL: all units
//   ":" hex               any other data, two upper-case hex digits a byte ("" when empty)
// Texts are escaped as above, so no field holds a tab, a control character or ">".
void AppendDataField(std::string& out, std::uint32_t type, std::string_view bytes);
std::string DataField(std::uint32_t type, std::string_view bytes);
// The data a field stands for, for a value of `type`; nothing for a field that does not
// parse (an unknown form, a text form for a type that is not a string, bad escapes or hex
// digits, a size that does not need hashing or is beyond kValueMaxBytes, a hash that is
// not 64 lower-case hex digits).
std::optional<ValueData> ParseDataField(std::string_view field, std::uint32_t type);

// How text beyond ASCII is shown to people: the GUI converts it to the ANSI code page
// (AnsiText, registry.h); without one, AsciiText shows every such unit as "?".
using NarrowText = std::string (*)(std::u16string_view);
std::string AsciiText(std::u16string_view units);

// "(Default)" for the unnamed value, else the name in double quotes; control characters
// as "<" two hex digits ">" (as report lines show names).
std::string DescribeValueName(std::u16string_view name, NarrowText narrow = AsciiText);
// The type, the size and the data shortened for reading:
//   REG_SZ, 16 bytes: "txtfile"
//   REG_MULTI_SZ, 18 bytes: "one", "two"
//   REG_DWORD, 4 bytes: 0x00000002 (2)
//   REG_BINARY, 20 bytes: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ...
//   REG_BINARY, 100000 bytes (SHA-256 1f2e3d4c5b6a7988...)      data not kept whole
// Texts longer than 60 characters are cut and end in "...".
std::string DescribeValueData(const ValueData& data, NarrowText narrow = AsciiText);

}  // namespace tessary
