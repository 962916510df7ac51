#include "compare/compare_ok.h"

#include <algorithm>

#include "compare/compare_run.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessary {

namespace {

// The files that share a report's base name: the report of either kind, its uninstall
// actions, their evidence and its uninstall log.
constexpr const char* kReportFamily[] = {".SNC", ".TSC", ".TSU", ".TSE", ".LOG"};
// Far more passes than one minute can hold.
constexpr int kMaxPassesPerName = 999;

bool ReportNameInUse(const std::string& backupDirectory, const std::string& name) {
  for (const char* ext : kReportFamily)
    if (PathExists(backupDirectory + "\\" + name + ext)) return true;
  return false;
}

}  // namespace

std::string FreeSentinoxReportName(const std::string& backupDirectory, const std::string& name) {
  if (!ReportNameInUse(backupDirectory, name)) return name;
  for (int n = 2; n <= kMaxPassesPerName; ++n) {
    std::string candidate = name + "_" + std::to_string(n);
    if (!ReportNameInUse(backupDirectory, candidate)) return candidate;
  }
  return {};
}

CompareOkResult CompareOk(EngineHost& host, const std::string& fieldText, WindowHandle owner,
                          const std::function<void()>& beforeProgress, const std::string& bootDirectory,
                          ValuesSwitch values) {
  const AppState& state = host.State();
  std::string name = fieldText.substr(0, std::min(fieldText.size(), kCompareNameLimit));
  if (state.SentinoxPass) {
    // Nobody is there to answer the overwrite question, and the report of an earlier
    // pass of the same minute must stay: an unattended pass takes a name of its own.
    name = FreeSentinoxReportName(state.BackupDirectory, name);
    if (name.empty()) return {};  // every name taken: nothing is written
  }
  const std::string reportPath = state.BackupDirectory + "\\" + name + (state.SentinoxPass ? ".SNC" : ".TSC");
  // The action file is shared by the .TSC and the .SNC of one name: a Sentinox report
  // of this name owns it when no .TSC does, and a run would empty it without a word.
  const std::string actionPath = ActionFileWrittenFor(reportPath);
  const std::string clash = FileExists(reportPath) ? reportPath : FileExists(actionPath) ? actionPath : "";
  if (!state.SentinoxPass && !clash.empty()) {
    int answer = host.Prompts().Ask("Filename already exists, overwrite file?", clash,
                                    mb::kYesNo | mb::kIconQuestion, owner);
    if (answer != id::kYes) return {true, "", {}};
  }
  host.Progresses().Settle();
  CompareRunResult run = RunCompare(host, reportPath, beforeProgress, bootDirectory, values);
  const bool ok = run.finished;
  return {false, ok ? reportPath : std::string(), std::move(run)};
}

}  // namespace tessary
