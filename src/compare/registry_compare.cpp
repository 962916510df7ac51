// The registry section of a compare run.
//
// The fresh snapshot that the Compare export writes at the start of the section is
// the same depth-first walk of the live branch that the comparison needs, in the
// same order, so the comparison reads it back instead of walking the registry a
// second time: every key of a changed branch is looked up once in a hash set of the
// backup snapshot's lines, and the section costs little more than the export.
#include "compare/registry_compare.h"

#include <windows.h>

#include <memory>
#include <iterator>
#include <new>
#include <optional>

#include "compare/dir_compare.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/registry_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/text_lines.h"
#include "snapshot/logic/value_snapshot.h"
#include "snapshot/registry_export.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

struct BranchTexts {
  const char* missingText;
  const char* missingCaption;
  const char* disabledLine;
};

// In the order of kRegistryBranches.
const BranchTexts kBranchTexts[7] = {
    {"Unable to find CURUSER.TST/CURUSER.TSB/CURUSER.SNB in the Tessary compare directory. Please ensure this file "
     "has not been deleted.",
     "Registry Compare (Current_User) File Error",
     "***User has disabled compare of: HKEY_CURRENT_USER Registry Branch.\n"},
    {"Unable to find locmach.TST/locmach.TSB/locmach.SNB in the Tessary compare directory. Please ensure this file "
     "has not been deleted.",
     "Registry Compare (Local_Machine) File Error",
     "***User has disabled compare of: HKEY_LOCAL_MACHINE Registry Branch.\n"},
    {"Unable to find software.TST/software.TSB/software.SNB in the Tessary compare directory. Please ensure this "
     "file has not been deleted.",
     "Registry Compare (Software) File Error",
     "***User has disabled compare of: HKEY_LOCAL_MACHINE\\SOFTWARE Registry Branch.\n"},
    {"Unable to find classes.TST/classes.TSB/classes.SNB in the Tessary compare directory. Please ensure this file "
     "has not been deleted.",
     "Registry Compare (Classes) File Error",
     "***User has disabled compare of: HKEY_CLASSES_ROOT Registry Branch.\n"},
    {"Unable to find clsid.TST/clsid.TSB/clsid.SNB in the Tessary compare directory. Please ensure this file has "
     "not been deleted.",
     "Registry Compare (CLSID) File Error",
     "***User has disabled compare of: HKEY_CLASSES_ROOT\\CLSID Registry Branch.\n"},
    {"Unable to find users.TST/users.TSB/users.SNB in the Tessary compare directory. Please ensure this file has "
     "not been deleted.",
     "Registry Compare (Users) File Error",
     "***User has disabled compare of: HKEY_USERS Registry Branch.\n"},
    {"Unable to find crconfig.TST/crconfig.TSB/crconfig.SNB in the Tessary compare directory. Please ensure this "
     "file has not been deleted.",
     "Registry Compare (Current_Config) File Error",
     "***User has disabled compare of: HKEY_CURRENT_CONFIG Registry Branch.\n"},
};

enum class BranchPlan { Disabled, Unchanged, Walk };

// Writes the keys of the current snapshot that the backup snapshot lacks.
void ReportAddedKeys(CompareRun& run, SectionOutput& out, const RegistryBranch& branch,
                     const std::string& currentPath, const std::string& backupPath) {
  std::unique_ptr<SnapshotKeySet> backupKeys;
  std::optional<std::string> current;
  try {
    std::optional<std::string> backup = ReadWholeFile(backupPath);
    current = ReadWholeFile(currentPath);
    if (!backup || !current) return;  // gone since the test: nothing to hold against
    backupKeys = std::make_unique<SnapshotKeySet>(std::move(*backup));
  } catch (const std::bad_alloc&) {
    run.host.Prompts().Ask("Not enough memory.", "Out of memory error.");
    return;
  }
  const std::string prefix = std::string(branch.progressText) + "\\";
  ForEachLine(*current, [&](std::string_view key) {
    if (key.empty()) return;
    bool topLevel = key.find('\\') == std::string_view::npos;
    if (topLevel || run.showRegistryKeys) run.progress.SetDetailText(std::string(key));
    run.progress.Pump();
    if (backupKeys->Contains(key)) return;
    std::string path = prefix + std::string(key);
    out.ReportLine(path);
    const std::string action = FormatRegDatRemoveAction(path);
    out.Action(action);
    if (run.summarize) run.findings.push_back({FindingKind::KeyAdded, path, "", "", "", "", false, action});
    run.noChangesFound = false;
  });
}

}  // namespace

void DeleteCompareSnapshots(const std::string& backupDirectory) {
  // Only names that really end in ".TST": a wildcard delete would also take names
  // such as "x.TSTX" whose short name ends in ".TST".
  std::vector<std::string> doomed;
  {
    DirSearch search(backupDirectory + "\\*.TST");
    FindEntry entry;
    while (search.Next(entry)) {
      if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (EndsWithNoCase(entry.name, ".TST"))
        doomed.push_back(backupDirectory + "\\" + entry.name);
    }
  }
  for (const std::string& path : doomed) DeleteLeftover(path);
}

SectionResult CompareRegistrySnapshots(CompareRun& run, const UnwritableKeys* unwritable) {
  AppState& state = run.State();
  Settings settings = run.AppSettings();
  run.showRegistryKeys = settings.IsYes(settings::kShowProgress);
  const bool values = RecordsValues(settings, run.values);
  const std::string backupExt = state.RunMode == RunMode::Sentinox ? ".SNB" : ".TSB";
  auto current = [&](const std::string& base) { return state.BackupDirectory + "\\" + base + ".TST"; };
  auto backup = [&](const std::string& base) { return state.BackupDirectory + "\\" + base + backupExt; };

  BranchPlan plans[kAllBranchCount];
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    if (i >= std::size(kRegistryBranches)) {
      // A value branch: compared with values, while the branch that holds it is off; a
      // backup taken without values has none (the values part says so).
      plans[i] = BranchPlan::Disabled;
      if (!values || settings.IsYes(*branch.compareSwitch)) continue;
      // Only the set's own snapshot: one an older backup with values left is not.
      if (!run.setFiles.Holds(backup(branch.fileBase))) continue;
      std::optional<std::string> currentText = ReadWholeFile(current(branch.fileBase));
      std::optional<std::string> backupText = currentText ? ReadWholeFile(backup(branch.fileBase)) : std::nullopt;
      if (currentText && backupText)
        plans[i] = SnapshotsSame(*currentText, *backupText) ? BranchPlan::Unchanged : BranchPlan::Walk;
      continue;
    }
    if (!settings.IsYes(*branch.compareSwitch)) {
      plans[i] = BranchPlan::Disabled;
      continue;
    }
    std::optional<std::string> currentText = ReadWholeFile(current(branch.fileBase));
    std::optional<std::string> backupText = currentText ? ReadWholeFile(backup(branch.fileBase)) : std::nullopt;
    if (!currentText || !backupText) {
      run.host.Prompts().Ask(kBranchTexts[i].missingText, kBranchTexts[i].missingCaption);
      return SectionResult::Done;
    }
    plans[i] = SnapshotsSame(*currentText, *backupText) ? BranchPlan::Unchanged : BranchPlan::Walk;
  }

  {
    SectionOutput out(run);
    out.Report("================\nRegistry keys ADDED:\n- - - - -\n");
    for (std::size_t i = 0; i < kAllBranchCount; ++i) {
      const RegistryBranch& branch = BranchAt(i);
      const bool valuesBranch = i >= std::size(kRegistryBranches);
      if (valuesBranch && plans[i] == BranchPlan::Disabled) continue;
      run.progress.SetDetailText(branch.progressText);
      run.progress.Pump();
      if (plans[i] == BranchPlan::Disabled) {
        out.Report(kBranchTexts[i].disabledLine);
        continue;
      }
      if (plans[i] == BranchPlan::Walk)
        ReportAddedKeys(run, out, branch, current(branch.fileBase), backup(branch.fileBase));
      // Keys the snapshots cannot hold were compared with nothing, changed branch or
      // not: the report names them (on one line) and no action does.
      if (unwritable) {
        for (const std::string& path : (*unwritable)[i]) {
          out.ReportLine(kLeftOutPrefix + std::string(branch.progressText) + "\\" + PrintableName(path));
          run.noChangesFound = false;
        }
      }
    }
    out.Report("================\n");
    if (values) {
      ValueFindings findings;
      for (std::size_t i = 0; i < kAllBranchCount; ++i) {
        const RegistryBranch& branch = BranchAt(i);
        const bool valuesBranch = i >= std::size(kRegistryBranches);
        // A value branch's own snapshot exists only while the branch holding it is off.
        if (!valuesBranch && plans[i] == BranchPlan::Disabled) continue;
        if (valuesBranch && (settings.IsYes(*branch.compareSwitch))) continue;
        run.progress.SetDetailText(branch.progressText);
        run.progress.Pump();
        const std::string base = ValueSnapshotBase(branch.fileBase);
        bool read = false;
        try {
          read = run.setFiles.Holds(backup(base)) &&
                 CollectValueChanges(current(base), backup(base), branch.progressText, findings);
        } catch (const std::bad_alloc&) {
          run.host.Prompts().Ask("Not enough memory.", "Out of memory error.");
        }
        if (!read)
          findings.notes.push_back("***Values were not recorded at backup for: " + std::string(branch.progressText) +
                                   " Registry Branch.");
      }
      WriteValueSection(out, findings);
      if (run.summarize)
        run.findings.insert(run.findings.end(), std::make_move_iterator(findings.summary.begin()),
                            std::make_move_iterator(findings.summary.end()));
      // A value added, changed or deleted is a change like a key (the notes are not).
      if (!findings.added.empty() || !findings.changed.empty() || !findings.deleted.empty())
        run.noChangesFound = false;
    }
  }
  DeleteCompareSnapshots(state.BackupDirectory);
  return run.CheckCancelled() ? SectionResult::Cancelled : SectionResult::Done;
}

SectionResult CompareRegistry(CompareRun& run) {
  run.progress.SetDetailText("Preparing to scan Registry...");
  UnwritableKeys unwritable;
  ExportRegistryForCompare(run.host, &unwritable, run.values);
  run.progress.SetDetailText("Preparing to compare Registry...");
  return CompareRegistrySnapshots(run, &unwritable);
}

}  // namespace tessary
