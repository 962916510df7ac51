#include "snapshot/logic/backup_names.h"

#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary {

std::string BackupExtension(RunMode mode) { return mode == RunMode::Sentinox ? "snb" : "tsb"; }

std::string FreeSpaceExtension(RunMode mode) { return mode == RunMode::Interactive ? "tsb" : "snb"; }

std::string RegistryBackupExtension(RunMode mode) { return mode == RunMode::Sentinox ? "SNB" : "TSB"; }

bool ListedInBackup(std::uint32_t attributes) {
  if (attributes & attr::kDirectory) return true;
  return (attributes & (attr::kHidden | attr::kSystem)) == 0;
}

bool EndsWithMarker(std::string_view name, std::string_view marker) {
  return name.size() >= marker.size() && EqualsNoCase(name.substr(name.size() - marker.size()), marker);
}

std::string ListingKey(const std::string& name, bool isDirectory) {
  if (isDirectory) return name + std::string(kDirMarker);
  if (EndsWithMarker(name, kDirMarker) || EndsWithMarker(name, kFileMarker)) return name + std::string(kFileMarker);
  return name;
}

std::string ListingRecord(const std::string& name, std::uint32_t attributes, DosDateTime stamp) {
  if (HoldsControlCharacter(name)) return std::string();
  std::string line = ListingKey(name, (attributes & attr::kDirectory) != 0);
  line += ',';
  line += std::to_string(static_cast<unsigned>(stamp.date));
  line += ',';
  line += std::to_string(static_cast<unsigned>(stamp.time));
  line += "\r\n";
  return line;
}

std::string FreeSpaceRecord(std::uint64_t bytes) { return std::to_string(bytes); }

}  // namespace tessary
