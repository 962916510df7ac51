// Registry values as the value snapshot and the action file carry them: type names, the
// escaped text of names and strings, the data field of every form read back to the very
// bytes, any field text read without harm, and the compare of two value snapshots (a
// snapshot compared with itself has no change; any pair reads without harm).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "compare/logic/value_compare.h"
#include "fuzz_check.h"
#include "platform/registry_values.h"
#include "snapshot/logic/value_snapshot.h"

namespace tessary {
namespace {

bool CarriedOnOneLine(std::string_view field) {
  for (char c : field) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F || c == '>') return false;
  }
  return true;
}

void CheckTypeAndData(std::uint32_t type, std::string_view bytes) {
  FUZZ_EXPECT_EQ(ParseValueTypeName(ValueTypeName(type)).value_or(~type), type, "a type name reads back");

  const std::string field = DataField(type, bytes);
  FUZZ_EXPECT(CarriedOnOneLine(field), "a data field is printable ASCII without '>'", field);
  const auto data = ParseDataField(field, type);
  FUZZ_EXPECT(data.has_value(), "a written data field reads back", field);
  FUZZ_EXPECT_EQ(data->size, static_cast<std::uint64_t>(bytes.size()), "the data's size");
  FUZZ_EXPECT_EQ(data->whole, bytes.size() <= kValueKeptWholeBytes, "data is kept whole up to 64 KiB");
  if (data->whole) FUZZ_EXPECT_EQ(data->bytes, std::string(bytes), "the data, byte for byte");
  else FUZZ_EXPECT_EQ(data->sha256.size(), std::size_t{64}, "long data keeps its SHA-256");
  (void)DescribeValueData(*data);
}

void CheckEscapedUnits(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), bytes.data(), units.size() * 2);
  const std::string text = EscapedUnits(units);
  FUZZ_EXPECT(CarriedOnOneLine(text), "escaped text is printable ASCII without '>'", text);
  FUZZ_EXPECT(UnescapeUnits(text) == units, "escaped units read back", text);
  (void)DescribeValueName(units);
}

// Any text as a field: no harm, and what it reads as is written back to the same data.
void CheckAnyField(std::string_view text, std::uint32_t type) {
  const auto data = ParseDataField(text, type);
  if (!data) return;
  (void)DescribeValueData(*data);
  if (!data->whole) return;
  const auto again = ParseDataField(DataField(type, data->bytes), type);
  FUZZ_EXPECT(again && again->bytes == data->bytes, "a field read and written again keeps its data", text);
  (void)UnescapeUnits(text);
  (void)ParseValueSize(text);
  (void)ParseValueTypeName(text);
}

void CheckSnapshots(std::string_view current, std::string_view backup) {
  const auto same = CompareValueSnapshots(current, current);
  if (same) {
    FUZZ_EXPECT(same->added.empty() && same->changed.empty() && same->deleted.empty() && same->inAddedKeys.empty(),
                "a snapshot compared with itself has no change", current);
  }
  (void)CompareValueSnapshots(current, backup);
  (void)CompareValueSnapshots(backup, current);
  for (std::string_view text : {current, backup}) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      (void)SplitValueLine(text.substr(start, end - start));
      start = end + 1;
    }
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessary;
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  // The first byte picks a type: the twelve named ones mostly, now and then any number.
  std::uint32_t type = data[0] % 16;
  if (type >= 12 && input.size() >= 4) std::memcpy(&type, input.data(), 4);
  switch (data[0] >> 6) {
    case 0: CheckTypeAndData(type, input); break;
    case 1: CheckEscapedUnits(input); break;
    case 2: CheckAnyField(input, type); break;
    default: {
      const std::size_t cut = input.find('\x01');
      CheckSnapshots(input.substr(0, cut), cut == std::string_view::npos ? std::string_view{} : input.substr(cut + 1));
    }
  }
  return 0;
}
