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
    ReportFinding finding;
    finding.change = "added";
    finding.line = path;
    finding.name = path;
    run.Found(std::move(finding));
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

namespace {

// The snapshot files of one compare: today's (".TST") and the backup's.
struct SnapshotFiles {
  std::string directory, backupExt;
  std::string Current(const std::string& base) const { return directory + "\\" + base + ".TST"; }
  std::string Backup(const std::string& base) const { return directory + "\\" + base + backupExt; }
  // Walk when the two differ, Unchanged when they are the same; nothing when either is missing.
  std::optional<BranchPlan> Compare(const std::string& base) const {
    std::optional<std::string> current = ReadWholeFile(Current(base));
    std::optional<std::string> backup = current ? ReadWholeFile(Backup(base)) : std::nullopt;
    if (!current || !backup) return std::nullopt;
    return SnapshotsSame(*current, *backup) ? BranchPlan::Unchanged : BranchPlan::Walk;
  }
};

// What each branch gets, or the branch whose snapshot is missing (the section then ends).
struct BranchPlans {
  BranchPlan plans[kAllBranchCount] = {};
  std::optional<std::size_t> missing;
};

BranchPlans PlanBranches(CompareRun& run, const Settings& settings, bool values, const SnapshotFiles& files) {
  const AppState& state = run.State();
  BranchPlans planned;
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    planned.plans[i] = BranchPlan::Disabled;
    if (i >= std::size(kRegistryBranches)) {
      // A value branch: compared with values, while the branch that holds it is off; a
      // backup taken without values has none (the values part says so).
      if (!values || BranchSwitchOn(state, settings, branch)) continue;
      // Only the set's own snapshot: one an older backup with values left is not.
      if (!run.setFiles.Holds(files.Backup(branch.fileBase))) continue;
      planned.plans[i] = files.Compare(branch.fileBase).value_or(BranchPlan::Disabled);
      continue;
    }
    if (!BranchSwitchOn(state, settings, branch)) {
      run.NotComparedAt(branch.progressText, NotComparedWhy::SwitchedOff);
      continue;
    }
    const std::optional<BranchPlan> plan = files.Compare(branch.fileBase);
    if (!plan) {
      planned.missing = i;
      for (std::size_t j = i; j < std::size(kRegistryBranches); ++j)
        if (j == i || BranchSwitchOn(state, settings, BranchAt(j)))
          run.NotComparedAt(BranchAt(j).progressText, NotComparedWhy::NoBaseline);
      return planned;
    }
    run.Compared(branch.progressText);
    planned.plans[i] = *plan;
  }
  return planned;
}

// "Registry keys ADDED:": each branch's added keys, a disabled branch's line, and the keys
// no snapshot line can carry.
void WriteAddedKeys(CompareRun& run, SectionOutput& out, const BranchPlans& planned, const SnapshotFiles& files,
                    const UnwritableKeys* unwritable) {
  out.Report("================\nRegistry keys ADDED:\n- - - - -\n");
  run.OpenSection(SectionKind::Registry, "Registry");
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    const bool valuesBranch = i >= std::size(kRegistryBranches);
    if (valuesBranch && planned.plans[i] == BranchPlan::Disabled) continue;
    run.progress.SetDetailText(branch.progressText);
    run.progress.Pump();
    if (planned.plans[i] == BranchPlan::Disabled) {
      out.Report(kBranchTexts[i].disabledLine);
      const std::string line = kBranchTexts[i].disabledLine;
      run.Note(line.substr(0, line.size() - 1));
      continue;
    }
    if (planned.plans[i] == BranchPlan::Walk)
      ReportAddedKeys(run, out, branch, files.Current(branch.fileBase), files.Backup(branch.fileBase));
    // Keys the snapshots cannot hold were compared with nothing, changed branch or
    // not: the report names them (on one line) and no action does.
    if (unwritable) {
      for (const std::string& path : (*unwritable)[i]) {
        ReportFinding finding;
        finding.change = "leftOut";
        finding.name = std::string(branch.progressText) + "\\" + PrintableName(path);
        finding.line = kLeftOutPrefix + finding.name;
        finding.noAction = true;
        out.ReportLine(finding.line);
        run.Found(std::move(finding));
        run.noChangesFound = false;
      }
    }
  }
  out.Report("================\n");
}

// The "Registry values" part: every compared branch's value snapshots held against the
// backup's.
void WriteValuesPart(CompareRun& run, SectionOutput& out, const BranchPlans& planned, const Settings& settings,
                     const SnapshotFiles& files) {
  ValueFindings findings;
  findings.noise = &run.noise;
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    const bool valuesBranch = i >= std::size(kRegistryBranches);
    // A value branch's own snapshot exists only while the branch holding it is off.
    if (!valuesBranch && planned.plans[i] == BranchPlan::Disabled) continue;
    if (valuesBranch && BranchSwitchOn(run.State(), settings, branch)) continue;
    run.progress.SetDetailText(branch.progressText);
    run.progress.Pump();
    const std::string base = ValueSnapshotBase(branch.fileBase);
    bool read = false;
    try {
      // Only the set's own value snapshot: one an older backup left is not.
      read = run.setFiles.Holds(files.Backup(base)) &&
             CollectValueChanges(files.Current(base), files.Backup(base), branch, findings);
    } catch (const std::bad_alloc&) {
      run.host.Prompts().Ask("Not enough memory.", "Out of memory error.");
    }
    if (!read)
      findings.notes.push_back("***Values were not recorded at backup for: " + std::string(branch.progressText) +
                               " Registry Branch.");
  }
  // What was left out as the system's own changes is named, after the notes.
  if (findings.leftOut.total() > 0) findings.notes.push_back("***" + findings.leftOut.Text("value", "values"));
  run.noiseLeftOut.Add(findings.leftOut.counts());
  WriteValueSection(out, findings);
  if (run.summarize)
    run.findings.insert(run.findings.end(), std::make_move_iterator(findings.summary.begin()),
                        std::make_move_iterator(findings.summary.end()));
  run.OpenSection(SectionKind::RegistryValues, "Registry values");
  for (const std::string& note : findings.notes) run.Note(note);
  for (const auto* typed : {&findings.addedFound, &findings.changedFound, &findings.deletedFound})
    for (const ReportFinding& finding : *typed) run.Found(finding);
  // A value added, changed or deleted is a change like a key (the notes are not).
  if (!findings.added.empty() || !findings.changed.empty() || !findings.deleted.empty()) run.noChangesFound = false;
}

}  // namespace

SectionResult CompareRegistrySnapshots(CompareRun& run, const UnwritableKeys* unwritable) {
  const AppState& state = run.State();
  Settings settings = run.AppSettings();
  run.showRegistryKeys = settings.IsYes(settings::kShowProgress);
  const bool values = RecordsValues(settings, run.values);
  const SnapshotFiles files{state.BackupDirectory, state.RunMode == RunMode::Sentinox ? ".SNB" : ".TSB"};

  const BranchPlans planned = PlanBranches(run, settings, values, files);
  if (planned.missing) {
    run.host.Prompts().Ask(kBranchTexts[*planned.missing].missingText, kBranchTexts[*planned.missing].missingCaption);
    return SectionResult::Done;
  }
  {
    SectionOutput out(run);
    WriteAddedKeys(run, out, planned, files, unwritable);
    if (values) WriteValuesPart(run, out, planned, settings, files);
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
