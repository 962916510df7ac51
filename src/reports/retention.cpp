// Retention of Sentinox reports: at the end of a Sentinox pass the oldest .SNC reports
// beyond the configured number are deleted with their uninstall action files. Their
// uninstall logs stay.
#include <windows.h>

#include <new>
#include <vector>

#include "core/commands.h"
#include "platform/files.h"
#include "reports/logic/retention_logic.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// A report is a plain file whose name really ends in ".SNC".
bool Counted(const FindEntry& entry) {
  return (entry.attributes & kSkippedAttributes) == 0 && IsSentinoxReportName(entry.name);
}

}  // namespace

void PruneSentinoxReports(Host& host) {
  Settings s = host.AppSettings();
  if (!s.IsYes(settings::kKeepLastSNC)) return;
  std::optional<int> keep = RetentionKeepCount(s.Read(settings::kLastSNC));
  if (!keep) return;
  std::size_t k = static_cast<std::size_t>(*keep);

  const std::string& dir = host.State().BackupDirectory;
  const std::string pattern = dir + "\\*.SNC";
  std::vector<RetentionRecord> records;
  try {
    std::size_t n = 0;
    {
      DirSearch search(pattern);
      FindEntry entry;
      while (search.Next(entry))
        if (Counted(entry)) ++n;
    }
    if (n <= k) return;
    // The second search lists the same files; only those counted above take part, so
    // a hidden report is neither counted nor deleted.
    DirSearch search(pattern);
    FindEntry entry;
    while (search.Next(entry)) {
      if (!Counted(entry)) continue;
      DosDateTime stamp = ToDosDateTime(entry.lastWrite);
      records.push_back(RetentionRecord{entry.name, stamp.date, stamp.time});
    }
  } catch (const std::bad_alloc&) {
    host.Prompts().Ask("Not enough memory.", "Out of memory error.", mb::kOk);
    return;
  }
  if (records.size() <= k) return;
  OrderNewestFirst(records);

  bool confirm = s.IsYes(settings::kConfirmSNCDelete);
  for (std::size_t j = k; j < records.size(); ++j) {
    std::string path = dir + "\\" + records[j].name;
    if (confirm) {
      int answer = host.Prompts().Ask(
          "This file is tagged for automatic deletion with the 'Keep only latest...' option.\n"
          "This dialog can be disabled through the 'Confirm SNC Deletions' Option.\n"
          "Delete this file?",
          path, mb::kYesNoCancel, nullptr);
      if (answer == id::kCancel) return;
      if (answer != id::kYes) continue;
    }
    DeleteLeftover(path);
    DeleteLeftover(ActionFilePathFor(path));
    DeleteLeftover(WithLastThree(path, "tse"));  // the evidence file (uninstall/evidence_live.h)
  }
}

}  // namespace tessary
