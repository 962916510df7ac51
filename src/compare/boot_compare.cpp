#include "compare/boot_compare.h"

#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "compare/logic/boot_logic.h"
#include "compare/logic/compare_text.h"
#include "platform/ascii.h"
#include "platform/files.h"

namespace tessary {
namespace {

constexpr const char* kSeparator = "====================\n";

const BootFile kBootFiles[] = {
    {"Comparing Autoexec.bat", "AUTOEXEC.BAT", "autoexec.bat", "autoexec", "Error opening autoexec.bat file",
     "Error opening autoexec backup file"},
    {"Comparing Config.sys", "CONFIG.SYS", "config.sys", "config", "Error opening config.sys file",
     "Error opening config backup file"},
    {"Comparing msdos.sys", "MSDOS.SYS", "msdos.sys", "msdos", "Error opening msdos.sys file",
     "Error opening msdos.sys backup file"},
};

std::string WithLineEnd(const std::string& text) {
  return (!text.empty() && text.back() == '\n') ? text : text + "\n";
}

// A piece as the report's reader gives it back: without its line end.
std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// One pass: the entries of `scanned` that no entry of `other` equals without regard to
// case. Returns Cancelled when a check point found the dialog gone.
SectionResult RunBootPass(CompareRun& run, SectionOutput& out, const std::vector<std::string>& scanned,
                          const std::vector<std::string>& other, const std::function<void()>& heading, bool& found,
                          const char* change) {
  BootPass pass(other);
  found = false;
  std::string block;  // the label the findings stand under
  for (const std::string& entry : scanned) {
    run.progress.SetDetailText(entry);
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    std::vector<std::string> lines = pass.Take(entry);
    if (lines.empty()) continue;
    if (!found) {
      heading();
      found = true;
    }
    for (const std::string& line : lines) out.Report(WithLineEnd(line));
    // The label line, when one is due, then the piece: the finding.
    if (lines.size() > 1) block = WithoutLineEnd(lines.front());
    ReportFinding finding;
    finding.change = change;
    finding.line = WithoutLineEnd(lines.back());
    finding.context = block;
    run.Found(std::move(finding));
  }
  return SectionResult::Done;
}

}  // namespace

bool SameDateCheck(const std::string& currentPath, const std::string& backupPath) {
  if (!FileExists(currentPath) || !FileExists(backupPath)) return true;
  auto current = FileDosDateTime(currentPath);
  auto backup = FileDosDateTime(backupPath);
  if (!current || !backup) return true;
  return current->date == backup->date && current->time == backup->time;
}

SectionResult CompareBootFile(CompareRun& run, const BootFile& file, bool same, bool firstOfRun) {
  const std::string backupPath = run.BackupPath(file.base);
  if (!FileExists(backupPath)) return SectionResult::Done;
  run.progress.SetMainText(file.title);
  run.progress.SetDetailText("");
  if (run.CheckCancelled()) return firstOfRun ? SectionResult::CancelledQuietly : SectionResult::Cancelled;

  Prompter& prompts = run.host.Prompts();
  SectionOutput out(run);
  if (!out.ok()) {
    prompts.Ask("Error opening compare file", "File error", mb::kOk | mb::kIconExclamation);
    return SectionResult::Failed;
  }
  if (same) {
    if (!run.brief) {
      out.Report(std::string(kSeparator) + file.name + " - No changes made (File has same date/time)\n");
      run.OpenSection(SectionKind::Boot, file.name).sameDate = true;
    }
    return SectionResult::Done;
  }
  const std::string currentPath = run.bootDirectory + "\\" + file.fileName;
  try {
    std::optional<std::string> bytes = ReadWholeFile(currentPath);
    if (!bytes) {
      prompts.Ask(file.currentError, "File error", mb::kOk | mb::kIconExclamation);
      return SectionResult::Failed;
    }
    std::vector<std::string> current = SplitLinePieces(*bytes);
    bytes = ReadWholeFile(backupPath);
    if (!bytes) {
      prompts.Ask(file.backupError, "File error", mb::kOk | mb::kIconExclamation);
      return SectionResult::Failed;
    }
    std::vector<std::string> backup = SplitLinePieces(*bytes);
    bytes.reset();

    bool added = false;
    SectionResult result = RunBootPass(
        run, out, current, backup,
        [&] {
          out.Report(std::string(kSeparator) + file.name + " File\nLines added or modified:\n");
          run.OpenSection(SectionKind::Boot, file.name);
        },
        added, "added");
    if (result != SectionResult::Done) return result;
    bool deleted = false;
    return RunBootPass(
        run, out, backup, current,
        [&] {
          if (!added) {
            out.Report(std::string(kSeparator) + file.name + " File\nNo lines added or modified.\n");
            run.OpenSection(SectionKind::Boot, file.name);
          }
          out.Report("- - -\nLines deleted or modified:\n");
        },
        deleted, "deleted");
  } catch (const std::bad_alloc&) {
    prompts.Ask("Not enough memory.", "Out of memory error.", mb::kOk | mb::kIconStop);
    return SectionResult::Failed;
  }
}

SectionResult CompareBootFiles(CompareRun& run) {
  const bool same[] = {run.sameDate.autoexec, run.sameDate.config, run.sameDate.msdos};
  for (int i = 0; i < 3; ++i) {
    SectionResult result = CompareBootFile(run, kBootFiles[i], same[i], i == 0);
    if (result != SectionResult::Done) return result;
  }
  return SectionResult::Done;
}

}  // namespace tessary
