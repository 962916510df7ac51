// The value snapshot's lines.
#include "snapshot/logic/value_snapshot.h"

#include "platform/registry_values.h"

namespace tessary {

std::string ValueSnapshotBase(std::string_view branchBase) { return std::string(branchBase) + "_val"; }

void AppendValueLine(std::string& line, std::u16string_view name, std::uint32_t type, std::string_view data) {
  line += '\t';
  AppendEscapedUnits(line, name);
  line += '\t';
  line += ValueTypeName(type);
  line += '\t';
  AppendDataField(line, type, data);
}

std::optional<ValueLineFields> SplitValueLine(std::string_view line) {
  if (!IsValueLine(line)) return std::nullopt;
  const std::size_t second = line.find('\t', 1);
  if (second == std::string_view::npos) return std::nullopt;
  const std::size_t third = line.find('\t', second + 1);
  if (third == std::string_view::npos || line.find('\t', third + 1) != std::string_view::npos) return std::nullopt;
  return ValueLineFields{line.substr(1, second - 1), line.substr(second + 1, third - second - 1),
                         line.substr(third + 1)};
}

}  // namespace tessary
