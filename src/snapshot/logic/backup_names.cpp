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

namespace {
constexpr std::string_view kRecordComplete = "TESSARY BACKUP SET COMPLETE";
constexpr std::string_view kRecordIncomplete = "TESSARY BACKUP SET INCOMPLETE";
}  // namespace

bool RecordedInBackupSet(const std::string& name, const std::string& ext) {
  const std::string suffix = "." + ext;
  if (!EndsWithNoCase(name, suffix) || EqualsNoCase(name, std::string(kBackupRecordBase) + suffix)) return false;
  return !(name.size() > 6 && EqualsNoCase(name.substr(1, 6), "_free."));
}

std::string FormatBackupRecord(const BackupRecord& record) {
  std::string text(record.complete ? kRecordComplete : kRecordIncomplete);
  text += "\r\n";
  for (const BackupRecordFile& f : record.files) text += f.name + "," + std::to_string(f.size) + "\r\n";
  return text;
}

std::optional<BackupRecord> ParseBackupRecord(std::string_view text) {
  BackupRecord record;
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;  // every line ends in CR LF
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 2);
    if (first) {
      if (line != kRecordComplete && line != kRecordIncomplete) return std::nullopt;
      record.complete = line == kRecordComplete;
      first = false;
      continue;
    }
    const std::size_t comma = line.rfind(',');
    if (comma == std::string_view::npos || comma == 0 || comma + 1 == line.size() || comma + 21 < line.size())
      return std::nullopt;
    BackupRecordFile file{std::string(line.substr(0, comma)), 0};
    for (char c : line.substr(comma + 1)) {
      if (c < '0' || c > '9') return std::nullopt;
      file.size = file.size * 10 + std::uint64_t(c - '0');
    }
    record.files.push_back(std::move(file));
  }
  if (first) return std::nullopt;
  return record;
}

}  // namespace tessary
