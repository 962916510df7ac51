// One compare run: what every section shares. The run (compare_run.cpp) creates the
// report and the action file, writes the header, runs the sections in their fixed
// order and handles cancellation; each section appends its lines through a
// SectionOutput and reports how it ended.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "compare/logic/install_summary.h"
#include "compare/logic/noise_list.h"
#include "compare/logic/compare_coverage.h"
#include "compare/logic/compare_findings.h"
#include "core/host.h"
#include "platform/files.h"
#include "snapshot/backup_set.h"
#include "snapshot/registry_export.h"

namespace tessary {

struct CompareRun {
  EngineHost& host;
  Progress& progress;        // the run's progress dialog (caption: the report path)
  std::string reportPath;    // BackupDirectory\name.TSC (.SNC in a Sentinox pass)
  std::string actionPath;    // BackupDirectory\name.TSU
  std::string backupExt;     // copies and listings: "tsb", or "snb" in a Sentinox pass
  std::string freeSpaceExt;  // free-space records: "tsb" only in Interactive mode
  bool brief = false;        // [compare] BriefDescription
  bool sentinox = false;     // SentinoxPass
  bool noChangesFound = true;
  bool showRegistryKeys = true;  // [registry] ShowProgress
  // Where the live files are: the boot files in bootDirectory ("C:"), the INI files in
  // windowsDirectory (the state's WindowsDirectory). Tests point them at folders of their own.
  std::string bootDirectory = "C:";
  std::string windowsDirectory = {};
  // The files the sections append to. RunCompare writes the report and the action file
  // beside their names (SideFileFor) and keeps them open for the run; they replace the
  // old files when the run ends. Without them (a section run on its own) each section
  // opens reportPath and actionPath for appending.
  OutputFile* reportFile = nullptr;
  OutputFile* actionFile = nullptr;
  // The action lines written so far, upper-cased as the uninstall reader takes them: an
  // entry both a standard and a deep section find gets one action.
  std::set<std::string> actionsWritten = {};
  // The evidence of every action line written (logic/evidence.h), from its header on;
  // sealed with the action file when the run ends. Null: none is gathered.
  std::string* evidence = nullptr;
  bool evidenceKeyValues = false;  // the evidence of a key holds its values (values are recorded)
  // The same-date check of the six copied files, made before the sections run.
  struct SameDates {
    bool autoexec = true, config = true, msdos = true, win = true, system = true, protocol = true;
  } sameDate = {};
  // Whether the registry section records and compares values: [registry] RecordValues
  // unless the caller decides (tessaryc's --values).
  ValuesSwitch values = ValuesSwitch::FromSettings;
  // The files of the backup set that Compare may take: those its completion record
  // names (RunCompare reads it); without a record, every file that is there. The deep
  // listings, the value snapshots and the root and user directories' listings are
  // looked for through it, so that one an older backup left is never taken for the set's.
  BackupSetFiles setFiles = {};
  // The install summary, written before the raw sections when deep tracking or registry
  // values are on (RunCompare decides); while it is, the sections hand their findings
  // over here.
  bool summarize = false;
  std::vector<InstallFinding> findings = {};
  // What the system changes by itself (logic/noise_list.h): the values part and the deep
  // places leave out what it matches and name it; `noiseLeftOut` sums up the whole run.
  // RunCompare loads it; a section run on its own has none.
  NoiseList noise = {};
  NoiseTally noiseLeftOut = {};

  // What the sections compared and what they did not, as they go.
  CompareCoverage coverage = {};
  void Compared(std::string what) { coverage.compared.push_back(std::move(what)); }
  void NotComparedAt(std::string what, NotComparedWhy why) { coverage.notCompared.push_back({std::move(what), why}); }
  // What the sections found, one section per heading of the report, as the report shows
  // it (the same text, in UTF-8); the "not scanned" and "not compared" lines; whether the
  // report ends with the cancellation line.
  std::vector<ReportSection> sections = {};
  std::vector<std::string> notScanned = {};
  bool cancelledLine = false;
  ReportSection& OpenSection(SectionKind kind, const std::string& name);
  void Found(ReportFinding finding);
  void Note(const std::string& line);

  AppState& State() { return host.State(); }
  Settings AppSettings() { return host.AppSettings(); }
  std::string BackupPath(const std::string& base) const {
    return host.State().BackupDirectory + "\\" + base + "." + backupExt;
  }
  // A check point: lets waiting messages through and tells whether the user cancelled.
  bool CheckCancelled() {
    progress.Pump();
    return progress.Cancelled();
  }
};

enum class SectionResult {
  Done,       // finished (or skipped); the run goes on
  Cancelled,  // a check point found the progress dialog gone
  Failed,     // the run must stop (out of memory in a boot file)
  // The check at the very start of the AUTOEXEC.BAT section found the dialog gone:
  // the run fails without appending the cancellation line.
  CancelledQuietly,
};

// Appends to the report and the action file for the length of one section: to the
// run's open files, or to reportPath and actionPath opened for appending when the
// section starts and closed when it ends. Lines end in CR LF. A write that fails is
// remembered by the file; the run looks at that after every section.
class SectionOutput {
 public:
  explicit SectionOutput(CompareRun& run);
  // Report text as given ("\n" becomes CR LF).
  void Report(const std::string& text);
  // One report line (CR LF appended).
  void ReportLine(const std::string& line) { Report(line + "\n"); }
  // One action line (CR LF appended).
  void Action(const std::string& line);
  // Whether an action line the same as `line` (in any ASCII letter case) was written.
  bool ActionWritten(const std::string& line) const;
  // Both files are open and no write to them has failed.
  bool ok() const { return report_->ok() && actions_->ok(); }

 private:
  CompareRun& run_;
  OutputFile ownReport_, ownActions_;
  OutputFile* report_;
  OutputFile* actions_;
};

// The sections, in report order. Each sets run.noChangesFound = false when it
// reports a change (the boot and INI sections leave that to the same-date check).
SectionResult CompareBootFiles(CompareRun& run);      // AUTOEXEC.BAT, CONFIG.SYS, MSDOS.SYS
SectionResult CompareIniFiles(CompareRun& run);       // WIN.INI, SYSTEM.INI, PROTOCOL.INI
SectionResult CompareRegistry(CompareRun& run);       // the enabled branches
SectionResult CompareDirectories(CompareRun& run);    // standard, root and user directories
SectionResult CompareFreeSpace(CompareRun& run);      // every fixed drive

// The end of a finished run: "---No Changes found---" when nothing was found, unless
// [compare] KeepBlank is "no".
void AppendVerdict(CompareRun& run);

// The action file a run writes beside `reportPath`: the report's extension made ".TSU".
std::string ActionFileWrittenFor(const std::string& reportPath);

// The longest report name: a longer one is cut to it.
constexpr std::size_t kCompareNameLimit = 48;

// The name the Compare dialog proposes: "COMPARE", or the date name ("%02d%02d%02d%02d"
// of month, day, hour, minute) when [compare] DefaultName is not "Compare" or in a
// Sentinox pass.
std::string ProposeCompareName(EngineHost& host);

// What a compare run did: whether it finished (its report and action file in place,
// the verdict written), and what it compared and what not.
struct CompareRunResult {
  bool finished = false;
  CompareCoverage coverage;
  // What it found, section by section, as its report says it (CompareRun::sections).
  std::vector<ReportSection> sections;
  std::vector<std::string> notScanned;
  bool cancelled = false;  // the report ends with the cancellation line
  // The install summary the report begins with (when the run wrote one).
  std::optional<std::vector<SummaryItem>> installSummary;
  // What the values part and the deep places left out as the system's own changes, by
  // rule; the lines of the user's noise file that are no rule ("line N: text").
  std::vector<NoiseCount> noise;
  std::vector<std::string> noiseRefused;
};

// The whole comparison into `reportPath` (the backup directory, the name cut to 48
// characters, ".TSC" or ".SNC" in a Sentinox pass) and the action file beside it.
// `beforeProgress` runs just before the progress dialog opens (the Compare dialog moves
// itself out of sight there). The boot files are read from `bootDirectory`. `values`
// decides whether the registry's values are compared.
[[nodiscard]] CompareRunResult RunCompare(EngineHost& host, const std::string& reportPath, const std::function<void()>& beforeProgress = {},
                const std::string& bootDirectory = "C:", ValuesSwitch values = ValuesSwitch::FromSettings);

}  // namespace tessary
