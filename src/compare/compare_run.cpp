#include "compare/compare_run.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>

#include "compare/boot_compare.h"
#include "compare/deep_compare.h"
#include "compare/logic/compare_text.h"
#include "compare/noise_file.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "snapshot/backup_set.h"
#include "snapshot/deep_places.h"
#include "snapshot/registry_export.h"
#include "uninstall/evidence_live.h"

namespace tessary {
namespace {

constexpr const char* kCancelledLine = "---COMPARE CANCELLED BY USER---";
constexpr const char* kNoChangesLine = "---No Changes found---";

// "\n" becomes CR LF; a CR LF already present stays as it is.
std::string ToCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

constexpr const char* kIncompleteBackup =
    "The backup files are incomplete: the last backup did not finish, or a backup file has been removed or changed "
    "since.\nPlease run Backup again before you compare.";
constexpr const char* kReportError = "Unable to create compare file. Make sure the disk is not full.";
constexpr const char* kActionError = "Unable to create uninstall file. Make sure the disk is not full.";

void AppendToReport(CompareRun& run, const std::string& text) { SectionOutput(run).Report(text); }

void ShowFileError(CompareRun& run, const char* text) {
  run.host.Prompts().Ask(text, "Tessary", mb::kOk | mb::kIconExclamation);
}

// A write to the report or the action file failed: the message of the file, true.
bool WriteFailed(CompareRun& run) {
  if (run.reportFile && !run.reportFile->ok()) return ShowFileError(run, kReportError), true;
  if (run.actionFile && !run.actionFile->ok()) return ShowFileError(run, kActionError), true;
  return false;
}

// The folders the summary's place table names, as this machine has them.
KnownFolders KnownFoldersNow(const std::string& windows) {
  KnownFolders f;
  f.windows = windows;
  f.system = SystemDirectory();
  f.sysWow64 = SystemWow64Directory();
  f.startMenu = KnownFolder(CSIDL_STARTMENU);
  f.commonStartMenu = KnownFolder(CSIDL_COMMON_STARTMENU);
  f.startup = KnownFolder(CSIDL_STARTUP);
  f.commonStartup = KnownFolder(CSIDL_COMMON_STARTUP);
  f.desktop = DesktopFolder(windows);
  f.commonDesktop = KnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  return f;
}

// The summary block goes between the header (its first `headerBytes`) and the raw
// sections: the report written so far is read back and written again with it.
void InsertSummary(OutputFile& report, std::size_t headerBytes, const std::vector<SummaryItem>& items) {
  const std::string block = ToCrLf(FromOlderLines(FormatSummaryBlock(items)));
  if (!report.Flush() || !report.Close()) return;  // the run's end reports the failed write
  std::optional<std::string> written = ReadWholeFile(report.path());
  if (!written || written->size() < headerBytes) {
    report.Open(report.path(), OutputFile::Mode::Append);
    return;
  }
  written->insert(headerBytes, block);
  if (report.Open(report.path(), OutputFile::Mode::Create)) report.Write(*written);
}

}  // namespace

SectionOutput::SectionOutput(CompareRun& run) : run_(run), report_(run.reportFile), actions_(run.actionFile) {
  if (!report_) {
    ownReport_.Open(run.reportPath, OutputFile::Mode::Append);
    report_ = &ownReport_;
  }
  if (!actions_) {
    ownActions_.Open(run.actionPath, OutputFile::Mode::Append);
    actions_ = &ownActions_;
  }
}

// The report is UTF-8 throughout: a line of a boot or INI file in the machine's ANSI code
// page is shown in UTF-8 (the action file keeps such an entry's own bytes).
void SectionOutput::Report(const std::string& text) { report_->Write(ToCrLf(FromOlderLines(text))); }

void SectionOutput::Action(const std::string& line) {
  actions_->Write(line + "\r\n");
  run_.actionsWritten.insert(ToUpperAscii(line));
  if (run_.evidence)
    *run_.evidence += FormatEvidenceRecord(GatherEvidence(line, run_.windowsDirectory, run_.evidenceKeyValues));
}

bool SectionOutput::ActionWritten(const std::string& line) const {
  return run_.actionsWritten.count(ToUpperAscii(line)) != 0;
}

ReportSection& CompareRun::OpenSection(SectionKind kind, const std::string& name) {
  sections.push_back({kind, FromOlderLines(name), false, {}, {}});
  return sections.back();
}

void CompareRun::Found(ReportFinding finding) {
  if (sections.empty()) return;
  for (std::string* text : {&finding.line, &finding.context, &finding.key, &finding.value, &finding.from, &finding.name})
    *text = FromOlderLines(*text);
  sections.back().findings.push_back(std::move(finding));
}

void CompareRun::Note(const std::string& line) {
  if (!sections.empty()) sections.back().notes.push_back(FromOlderLines(line));
}

void AppendVerdict(CompareRun& run) {
  if (run.noChangesFound && !EqualsNoCase(run.AppSettings().Read(settings::kKeepBlank), "no"))
    AppendToReport(run, kNoChangesLine);
}

enum class RunEnd { Finished, Stopped, WriteFailed };

// The sections in their fixed order, then the verdict. A write that failed ends the
// run after the section it happened in.
RunEnd RunSections(CompareRun& run) {
  auto stop = [&](SectionResult result) {
    if (WriteFailed(run)) return RunEnd::WriteFailed;
    if (result == SectionResult::Cancelled) {
      AppendToReport(run, kCancelledLine);
      run.cancelledLine = true;
    }
    return WriteFailed(run) ? RunEnd::WriteFailed : RunEnd::Stopped;
  };
  // The sections still to come when the run stops: not reached.
  const char* const kSections[] = {"boot files", "INI files", "registry", "directories", "free disk space",
                                   "deep tracking"};
  std::size_t reached = 0;
  auto next = [&](SectionResult result) {
    ++reached;
    if (result == SectionResult::Done && !WriteFailed(run)) return false;
    for (std::size_t i = reached; i < std::size(kSections); ++i) run.NotComparedAt(kSections[i], NotComparedWhy::NotReached);
    return true;
  };
  SectionResult result = CompareBootFiles(run);
  if (next(result)) return stop(result);
  run.Compared("AUTOEXEC.BAT, CONFIG.SYS, MSDOS.SYS");
  result = CompareIniFiles(run);
  if (next(result)) return stop(result);
  run.Compared("WIN.INI, SYSTEM.INI, PROTOCOL.INI");

  Settings settings = run.AppSettings();
  if (EqualsNoCase(settings.Read(settings::kCompSentinox), "no") || run.State().RunMode == RunMode::Interactive) {
    run.progress.SetMainText("Comparing Registry");
    run.progress.SetDetailText("");
    result = CompareRegistry(run);
    run.noChangesFound = false;
    if (next(result)) return stop(result);
  } else {
    run.NotComparedAt("the registry", NotComparedWhy::LeftOutByMode);
    ++reached;
  }
  result = CompareDirectories(run);
  if (next(result)) return stop(result);
  result = CompareFreeSpace(run);
  if (next(result)) return stop(result);
  run.Compared("free disk space");
  // Deep tracking adds its sections after all the standard ones; without it, the places
  // it would look at are named as not compared.
  if (DeepTrackingOn(run.State(), settings)) {
    result = CompareDeepPlaces(run);
    if (next(result)) return stop(result);
  } else {
    for (const DeepPlace& place : CurrentDeepScope(run.State(), settings).places)
      if (place.within.empty() && !place.path.empty())
        run.NotComparedAt(place.title + " (" + place.path + ")", NotComparedWhy::OutsideMode);
  }

  AppendVerdict(run);
  return WriteFailed(run) ? RunEnd::WriteFailed : RunEnd::Finished;
}

// The end of a run that wrote its files beside their names. A run that finished or
// stopped (cancelled, out of memory) puts its report and action file in place of the
// old ones, as far as they were written; a run whose writing failed leaves the old
// ones as they were. The report goes first; should the action file then fail to follow
// it, the old action file goes too, so that no report is left with another run's
// actions (the Uninstall dialog says so when a report has none).
bool Finish(CompareRun& run, RunEnd end, OutputFile& report, OutputFile& actions) {
  bool ok = end != RunEnd::WriteFailed;
  bool reportWritten = report.Flush();
  reportWritten = report.Close() && reportWritten;
  bool actionsWritten = actions.Flush();
  actionsWritten = actions.Close() && actionsWritten;
  if (ok && (!reportWritten || !actionsWritten)) {
    ShowFileError(run, !reportWritten ? kReportError : kActionError);
    ok = false;
  }
  if (ok && !ReplaceWithSideFile(report.path(), run.reportPath)) {
    ShowFileError(run, kReportError);
    ok = false;
  } else if (ok && !ReplaceWithSideFile(actions.path(), run.actionPath)) {
    DeleteLeftover(run.actionPath);
    DeleteLeftover(EvidencePathFor(run.reportPath));
    ShowFileError(run, kActionError);
    ok = false;
  } else if (ok && run.evidence) {
    // The action file in place is sealed with its evidence; one that cannot be is left
    // unsealed (the Uninstall Actions dialog then says so).
    WriteSealedEvidence(run.reportPath, run.actionPath, *run.evidence);
  }
  DeleteLeftover(report.path());
  DeleteLeftover(actions.path());
  return ok && end == RunEnd::Finished;
}

std::string ProposeCompareName(EngineHost& host) {
  const std::string defaultName = host.AppSettings().Read(settings::kDefaultName);
  if (EqualsNoCase(defaultName, "Compare") && !host.State().SentinoxPass) return "COMPARE";
  const LocalTime now = host.Time().Now();
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d", now.month, now.day, now.hour, now.minute);
  return text;
}

std::string ActionFileWrittenFor(const std::string& reportPath) {
  return reportPath.substr(0, reportPath.size() - 4) + ".TSU";
}

namespace {

bool RunCompareInto(EngineHost& host, const std::string& reportPath, const std::function<void()>& beforeProgress,
                    const std::string& bootDirectory, ValuesSwitch values, CompareRunResult& result) {
  AppState& state = host.State();
  Prompter& prompts = host.Prompts();
  Settings settings = host.AppSettings();
  const bool sentinox = state.SentinoxPass;
  const std::string backupExt = sentinox ? "snb" : "tsb";

  if (sentinox) {
    for (const BackupSetFile& file : kBackupSetFiles)
      if (file.sentinoxNeeds && !FileExists(state.BackupDirectory + "\\" + file.base + ".snb")) return false;
  }
  // A backup that did not finish is no baseline: compared with it, every file and key
  // past the point where it stopped would look new.
  if (CheckBackupSet(state.BackupDirectory, backupExt) == BackupSetState::Incomplete) {
    prompts.Ask(kIncompleteBackup, "Incomplete Backup", mb::kOk | mb::kIconExclamation);
    return false;
  }
  const bool brief = EqualsNoCase(settings.Read(settings::kBriefDescription), "yes");

  for (const char* name : {"\\win.ini", "\\system.ini"}) {
    const std::string path = state.WindowsDirectory + name;
    if (!FileExists(path))
      prompts.Ask("Unable to open file.\nMake sure this file has not been deleted.", path,
                  mb::kOk | mb::kIconExclamation);
  }

  const std::string actionPath = ActionFileWrittenFor(reportPath);
  // Both files are written beside their names and replace them when the run ends.
  OutputFile report(SideFileFor(reportPath), OutputFile::Mode::Create);
  const std::string header = ToCrLf(CompareHeaderText(sentinox, reportPath, brief));
  if (!report.Write(header)) {
    report.Close();
    DeleteLeftover(report.path());
    prompts.Ask(kReportError, "Tessary", mb::kOk | mb::kIconExclamation);
    return false;
  }
  OutputFile actions(SideFileFor(actionPath), OutputFile::Mode::Create);
  if (!actions.ok()) {
    report.Close();
    DeleteLeftover(report.path());
    prompts.Ask(kActionError, "Tessary", mb::kOk | mb::kIconExclamation);
    return false;
  }
  auto discard = [&] {
    report.Close();
    actions.Close();
    DeleteLeftover(report.path());
    DeleteLeftover(actions.path());
    return false;
  };

  CompareRun::SameDates same;
  auto bootSame = [&](const char* file, const char* base) {
    return SameDateCheck(bootDirectory + "\\" + file, state.BackupDirectory + "\\" + base + "." + backupExt);
  };
  auto iniSame = [&](const char* file, const char* base) {
    return SameDateCheck(state.WindowsDirectory + "\\" + file, state.BackupDirectory + "\\" + base + "." + backupExt);
  };
  same.autoexec = bootSame("autoexec.bat", "autoexec");
  same.msdos = bootSame("msdos.sys", "msdos");
  same.config = bootSame("config.sys", "config");
  same.win = iniSame("win.ini", "win");
  same.system = iniSame("system.ini", "system");
  same.protocol = iniSame("protocol.ini", "protocol");

  if (beforeProgress) beforeProgress();
  std::unique_ptr<Progress> progress = host.Progresses().Open(reportPath);
  if (!progress) return discard();

  CompareRun run{host, *progress, reportPath, actionPath, backupExt, state.RunMode == RunMode::Interactive ? "tsb" : "snb"};
  run.brief = brief;
  run.sentinox = sentinox;
  run.windowsDirectory = state.WindowsDirectory;
  run.bootDirectory = bootDirectory;
  run.sameDate = same;
  run.values = values;
  run.setFiles = BackupSetFiles::Read(state.BackupDirectory, backupExt);
  run.noChangesFound = same.autoexec && same.msdos && same.config && same.win && same.system && same.protocol;
  run.reportFile = &report;
  run.actionFile = &actions;
  std::string evidence = std::string(kEvidenceHeader) + "\r\n";
  run.evidence = &evidence;
  run.evidenceKeyValues = RecordsValues(settings, values);
  // The summary is written with deep tracking or registry values: the standard report
  // stays as it was.
  run.summarize = DeepTrackingOn(state, settings) || RecordsValues(settings, values);
  LoadedNoise noise = LoadNoiseList(state.SettingsFilePath);
  run.noise = std::move(noise.list);
  result.noiseRefused = std::move(noise.refused);
  const RunEnd end = RunSections(run);
  if (end == RunEnd::Finished && run.summarize) {
    result.installSummary = BuildInstallSummary(run.findings, KnownFoldersNow(run.windowsDirectory));
    InsertSummary(report, header.size(), *result.installSummary);
  }
  result.coverage = std::move(run.coverage);
  result.sections = std::move(run.sections);
  result.notScanned = std::move(run.notScanned);
  result.cancelled = run.cancelledLine;
  result.noise = run.noiseLeftOut.counts();
  return Finish(run, end, report, actions);
}

}  // namespace

CompareRunResult RunCompare(EngineHost& host, const std::string& reportPath, const std::function<void()>& beforeProgress,
                            const std::string& bootDirectory, ValuesSwitch values) {
  CompareRunResult result;
  result.finished = RunCompareInto(host, reportPath, beforeProgress, bootDirectory, values, result);
  return result;
}

}  // namespace tessary
