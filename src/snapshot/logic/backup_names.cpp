#include "snapshot/logic/backup_names.h"

namespace tessary {

std::string BackupExtension(RunMode mode) { return mode == RunMode::Sentinox ? "snb" : "tsb"; }

std::string FreeSpaceExtension(RunMode mode) { return mode == RunMode::Interactive ? "tsb" : "snb"; }

std::string RegistryBackupExtension(RunMode mode) { return mode == RunMode::Sentinox ? "SNB" : "TSB"; }

bool ListedInBackup(std::uint32_t attributes) {
  if (attributes & attr::kDirectory) return true;
  return (attributes & (attr::kHidden | attr::kSystem)) == 0;
}

std::string ListingRecord(const std::string& name, std::uint32_t attributes, DosDateTime stamp) {
  std::string line = name;
  if (attributes == attr::kDirectory) line += "  (DIR)";
  line += ',';
  line += std::to_string(static_cast<unsigned>(stamp.date));
  line += ',';
  line += std::to_string(static_cast<unsigned>(stamp.time));
  line += "\r\n";
  return line;
}

std::string FreeSpaceRecord(std::uint64_t bytes) { return std::to_string(bytes); }

}  // namespace tessary
