#include "cli/cli_commands.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <istream>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/console_host.h"
#include "cli/logic/cli_args.h"
#include "cli/logic/cli_json.h"
#include "cli/logic/report_summary.h"
#include "cli/logic/undo_logic.h"
#include "cli/logic/verdict.h"
#include "cli/tracked_program.h"
#include "compare/compare_run.h"
#include "compare/noise_file.h"
#include "core/gui_seams.h"
#include "core/startup.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "snapshot/backup_run.h"
#include "snapshot/logic/backup_names.h"
#include "snapshot/logic/branch_choice.h"
#include "uninstall/action_file_read.h"
#include "uninstall/dll_scan.h"
#include "uninstall/evidence_live.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/sensitive_places.h"
#include "uninstall/uninstall_run.h"

namespace tessary::cli {

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr const char* kLeftSuffix = "_LEFT";

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

bool Readable(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

// The action file as the Uninstall Actions dialog lists it: upper-cased entries in the
// list box's sorted order, each with its line as written.
struct ListedActions {
  std::vector<std::string> entries, originals;
  bool dllLinesPresent = false;
};
ListedActions ListActions(const ActionEntries& loaded) {
  std::vector<std::size_t> order(loaded.entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return lstrcmpiA(loaded.entries[a].c_str(), loaded.entries[b].c_str()) < 0;
  });
  ListedActions listed;
  listed.dllLinesPresent = loaded.dllLinesPresent;
  for (std::size_t i : order) {
    listed.entries.push_back(loaded.entries[i]);
    listed.originals.push_back(i < loaded.originals.size() ? loaded.originals[i] : loaded.entries[i]);
  }
  return listed;
}

class Session {
 public:
  Session(const CliOptions& options, CliIo io)
      : o_(options),
        io_(io),
        prompter_(io.in, io.err, options.yes ? AnswerMode::Yes : io.inputIsConsole ? AnswerMode::Ask : AnswerMode::No,
                  StopFlag::Raised),
        progress_(io.err, io.errorIsConsole, options.quiet, StopFlag::Raised, [] { return GetTickCount64(); }),
        host_(prompter_, progress_, clock_) {
    doc_ = {{"schema", kJsonSchema}, {"command", CommandName(o_.command)}};
  }

  int Run() {
    host_.LoadState(o_.dir);
    // Track is complete unless --standard: deep tracking, values and the branches a
    // program installs into, whatever tessary.ini says; --branches chooses others.
    // Nothing is written back.
    if (o_.deep || Complete()) host_.State().DeepTrackingForced = true;
    if (o_.branches) host_.State().RegistryBranchesForced = ParseBranchList(*o_.branches);
    else if (Complete()) host_.State().RegistryBranchesForced = kTrackBranches;
    doc_["backupDirectory"] = host_.State().BackupDirectory;
    switch (o_.command) {
      case CliCommand::Backup: return Finish(Backup());
      case CliCommand::Compare: return Finish(Compare());
      case CliCommand::Actions: return Finish(Actions());
      case CliCommand::Undo: return Finish(Undo());
      case CliCommand::Track: return Finish(Track());
      default: return kExitUsage;
    }
  }

 private:
  // --- output --------------------------------------------------------------------

  void Say(const std::string& line) { text_.push_back(line); }

  int Error(int code, const std::string& message) {
    io_.err << "tessaryc: " << message << "\n" << std::flush;
    doc_["error"] = message;
    return code;
  }

  int Finish(int code) {
    doc_["exitCode"] = code;
    Json messages = Json::array();
    for (const auto& shown : prompter_.shown())
      messages.push_back(MessageJson(shown.caption, shown.text, shown.question ? AnswerName(shown.answer) : ""));
    doc_["messages"] = messages;
    doc_["timings"] = timings_;
    if (o_.json) {
      io_.out << doc_.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    } else {
      for (const std::string& line : text_) io_.out << line << "\n";
    }
    io_.out << std::flush;
    return code;
  }

  // --- shared steps ----------------------------------------------------------------

  std::optional<int> CheckBackupDirectory() {
    const std::string& dir = host_.State().BackupDirectory;
    if (!DirectoryExists(dir))
      return Error(kExitBadInput, "the backup directory " + dir + " does not exist (give --dir or set it in Options)");
    return std::nullopt;
  }

  std::optional<int> CheckBackupSet() {
    if (auto failed = CheckBackupDirectory()) return failed;
    const std::string& dir = host_.State().BackupDirectory;
    // Every fixed file of an interactive backup set: every compare reads them.
    for (const BackupSetFile& file : kBackupSetFiles) {
      const std::string path = dir + "\\" + file.base + ".tsb";
      if (!FileExists(path))
        return Error(kExitBadInput, "no complete backup set in " + dir + ": " + file.base +
                                        ".tsb is missing (take one with: tessaryc backup)");
      if (!Readable(path)) return Error(kExitBadInput, "the backup set in " + dir + " cannot be read: " + path);
    }
    return std::nullopt;
  }

  // The report named on the command line: a path, or a name in the backup directory.
  std::optional<int> ResolveReport(std::string& report, std::string& actionFile) {
    const std::string& dir = host_.State().BackupDirectory;
    const std::string arg = o_.report;
    std::vector<std::string> candidates = {arg, dir + "\\" + arg, dir + "\\" + arg + ".TSC", dir + "\\" + arg + ".SNC"};
    for (const std::string& c : candidates) {
      if (!FileExists(c)) continue;
      report = FullPathName(c);
      actionFile = EndsWithNoCase(report, ".TSU") ? report : ActionFilePathFor(report);
      if (!FileExists(actionFile))
        return Error(kExitBadInput, "the report " + report + " has no action file (" + actionFile + ")");
      return std::nullopt;
    }
    return Error(kExitBadInput, "no report " + arg + " (looked for it as given and in " + dir + ")");
  }

  std::optional<int> LoadListed(const std::string& actionFile, ListedActions& listed) {
    const std::optional<ActionEntries> loaded = ReadActionFile(actionFile);
    if (!loaded) return Error(kExitBadInput, "cannot read the action file " + actionFile);
    listed = ListActions(*loaded);
    return std::nullopt;
  }

  Json ActionsJson(const ListedActions& listed) {
    Json actions = Json::array();
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
      if (listed.entries[i].empty()) continue;
      Json a = ActionJson(i + 1, listed.originals[i]);
      a["entry"] = listed.entries[i];
      actions.push_back(std::move(a));
    }
    return actions;
  }

  // Whether the run compared any registry branch.
  static bool AnyBranchCompared(const CompareCoverage& coverage) {
    for (const std::string& what : coverage.compared)
      for (const char* branch : kBranchNames)
        if (what == branch) return true;
    return false;
  }

  void SayReport(const ReportSummary& summary, const CompareCoverage& coverage, const std::vector<NoiseCount>& noise,
                 const std::string& report, const std::string& actionFile, std::size_t actionCount) {
    if (summary.installSummary)
      for (const std::string& line : SummaryLines(*summary.installSummary)) Say(line);
    Say("report:  " + report);
    Say("actions: " + actionFile + " (" + std::to_string(actionCount) + ")");
    for (const ReportSection& s : summary.sections) {
      std::string name = s.name;
      if (name.size() < 24) name.resize(24, ' ');
      const bool unlooked = s.kind == SectionKind::Registry && s.findings.empty() && !AnyBranchCompared(coverage);
      Say("  " + name + " " + (unlooked ? std::string("not compared (no branch chosen)") : CountsText(s)));
    }
    if (const std::string left = NoiseText(noise); !left.empty()) Say(left);
    for (const std::string& line : CompareVerdictLines(coverage, summary.Changes(), summary.cancelled)) Say(line);
  }

  struct CompareOutcome {
    int code = kExitOk;  // kExitOk / kExitChanges, or the failure
    std::string report, actionFile;
    ReportSummary summary;
    CompareCoverage coverage;
    ListedActions actions;
    std::vector<NoiseCount> noise;  // what the run left out as the system's own changes
  };

  // One compare run as the Compare command makes it, then read back.
  CompareOutcome CompareInto(const std::string& name, const char* timing) {
    CompareOutcome outcome;
    const auto start = Clock::now();
    progress_.Reset();
    const std::size_t before = prompter_.shown().size();
    // The name was cleared to be overwritten before anything ran (MayOverwrite).
    const std::string expected = host_.State().BackupDirectory + "\\" + name.substr(0, kCompareNameLimit) + ".TSC";
    CompareRunResult result = RunCompare(host_, expected, {}, "C:", Values());
    timings_[timing] = Seconds(start);
    outcome.coverage = std::move(result.coverage);
    // What the run found, from the run itself (the report says the same in its words).
    outcome.summary.path = expected;
    outcome.summary.sections = std::move(result.sections);
    outcome.summary.notScanned = std::move(result.notScanned);
    outcome.summary.cancelled = result.cancelled;
    outcome.summary.installSummary = std::move(result.installSummary);
    outcome.noise = std::move(result.noise);
    for (const std::string& line : result.noiseRefused)
      io_.err << "tessaryc: " << NoiseFilePathFor(host_.State().SettingsFilePath) << ", " << line
              << ": no rule, not used\n" << std::flush;
    if (!result.finished) {
      if (progress_.cancelSeen()) {
        outcome.code = Error(kExitInterrupted, "compare interrupted; the report " + expected +
                                                   " ends with the cancellation line");
        outcome.report = expected;
        outcome.actionFile = ActionFileWrittenFor(expected);
        return outcome;
      }
      const auto messages = prompter_.MessagesSince(before);
      outcome.code = Error(kExitFailed, "compare failed" + (messages.empty() ? std::string() : ": " + messages.back()));
      return outcome;
    }
    outcome.report = expected;
    outcome.actionFile = ActionFileWrittenFor(expected);
    if (auto failed = LoadListed(outcome.actionFile, outcome.actions)) {
      outcome.code = *failed;
      return outcome;
    }
    const Verdict verdict = JudgeCompare(outcome.coverage, outcome.summary.Changes());
    outcome.code = verdict == Verdict::NothingCompared ? kExitNothingCompared
                   : verdict == Verdict::Found         ? kExitChanges
                                                       : kExitOk;
    return outcome;
  }

  // A compare that ran to its end, whatever it found.
  static bool Finished(int code) { return code == kExitOk || code == kExitChanges || code == kExitNothingCompared; }

  static std::size_t Count(const ListedActions& listed) {
    return static_cast<std::size_t>(
        std::count_if(listed.entries.begin(), listed.entries.end(), [](const std::string& e) { return !e.empty(); }));
  }

  // A report name that a run is about to overwrite: asked once, before anything is done.
  bool MayOverwrite(const std::string& name) {
    const std::string base = host_.State().BackupDirectory + "\\" + name.substr(0, kCompareNameLimit);
    for (const std::string& path : {base + ".TSC", base + ".TSU"}) {
      if (!FileExists(path)) continue;
      return prompter_.Question("Overwrite " + path + "?", false) == id::kYes;
    }
    return true;
  }

  struct UndoOutcome {
    int code = kExitOk;
    Json actions = Json::array();
    std::size_t done = 0, notDone = 0;
    std::string log;
  };

  // The chosen actions through the executor of the Uninstall Actions dialog, verify off.
  UndoOutcome UndoChosen(const std::string& actionFile, const ListedActions& listed, const std::vector<bool>& chosen) {
    UndoOutcome outcome;

    UninstallSelection selection;
    selection.actionFile = actionFile;
    selection.entries = listed.entries;
    selection.originals = listed.originals;
    selection.selected = chosen;
    selection.verifyBox = false;
    selection.dllCheckBox = o_.dllCheck;
    selection.dllLinesPresent = listed.dllLinesPresent;
    const AnswerMode mode = o_.yes ? AnswerMode::Yes : io_.inputIsConsole ? AnswerMode::Ask : AnswerMode::No;
    UninstallEnvironment env = DefaultUninstallEnvironment(host_, [&](const std::string& dllPath) {
      const auto refs = ReferencesOfDll(host_, host_.State().BackupDirectory, dllPath);
      if (refs.empty()) return id::kYes;
      for (const std::string& r : refs) io_.err << "tessaryc: " << dllPath << " is imported by " << r << "\n";
      // A DLL that a program still imports is kept unless the user at the console says so.
      if (mode != AnswerMode::Ask) return id::kNo;
      return prompter_.Question("Delete " + dllPath + " all the same?", true);
    });
    env.stopRequested = StopFlag::Raised;
    // Settled before the run: carrying out every action unverified was confirmed, the
    // outcomes are printed rather than the log shown, and the dialog's check boxes stay
    // as the user left them.
    UninstallPolicy policy;
    policy.unverifiedConfirmed = true;
    policy.offerLog = false;
    policy.rememberBoxes = false;
    const auto start = Clock::now();
    const UninstallResult result = RunUninstall(host_, selection, env, policy);
    timings_["undo"] = Seconds(start);
    outcome.log = result.logPath.empty() ? WithLastThree(actionFile, "log") : result.logPath;

    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
      if (listed.entries[i].empty()) continue;
      Json a = ListedActionJson(listed, i, chosen[i]);
      if (chosen[i]) {
        const ActionResult r = i < result.actions.size() ? result.actions[i] : ActionResult{i, ActionKind::None, ActionStatus::NotReached, ""};
        const UndoneAction undone = DescribeOutcome(r);
        a["outcome"] = undone.outcome;
        a["status"] = ActionStatusName(r.status);
        if (!undone.reason.empty()) a["reason"] = undone.reason;
        if (r.status == ActionStatus::Done) ++outcome.done;
        else ++outcome.notDone;
        Say(undone.text + "  " + listed.entries[i]);
      }
      outcome.actions.push_back(std::move(a));
    }
    if (StopFlag::Raised()) {
      outcome.code = Error(kExitInterrupted, "undo interrupted; the log " + outcome.log + " says what was done");
    } else {
      outcome.code = outcome.notDone == 0 ? kExitOk : kExitChanges;
    }
    return outcome;
  }

  // --- commands --------------------------------------------------------------------

  int Backup() {
    if (auto failed = CheckBackupDirectory()) return *failed;
    const auto start = Clock::now();
    const BackupOutcome result = RunBackup(host_, RunMode::Interactive, nullptr, {}, Values());
    timings_["backup"] = Seconds(start);
    host_.RefreshLastBackup();
    doc_["backup"] = BackupJson();
    if (result == BackupOutcome::NoBackupDirectory)
      return Error(kExitBadInput, "the backup directory is invalid; nothing was written");
    const auto messages = prompter_.MessagesSince(0);
    if (!messages.empty()) return Error(kExitFailed, "the backup set is incomplete: " + messages.front());
    Say("backup set written to " + host_.State().BackupDirectory + " (" + host_.State().LastBackupText + ")");
    return kExitOk;
  }

  // Where the backup set went, when (ISO 8601, from the clock as the backup ended) and the
  // last-backup text the main window shows.
  Json BackupJson() {
    const LocalTime t = clock_.Now();
    return {{"directory", host_.State().BackupDirectory},
            {"time", IsoTime(t.year, t.month, t.day, t.hour, t.minute, t.second)},
            {"text", host_.State().LastBackupText}};
  }

  // Whether this is a complete track (not --standard).
  bool Complete() const { return o_.command == CliCommand::Track && !o_.standard; }

  // --values (and a complete track) records registry values whatever the settings say.
  ValuesSwitch Values() const { return o_.values || Complete() ? ValuesSwitch::On : ValuesSwitch::FromSettings; }

  int Compare() {
    if (auto failed = CheckBackupSet()) return *failed;
    const std::string name = o_.name ? *o_.name : ProposeCompareName(host_);
    if (!MayOverwrite(name))
      return Error(kExitDeclined, "the report " + host_.State().BackupDirectory + "\\" + name.substr(0, kCompareNameLimit) +
                                      ".TSC is there already; not overwritten (--yes overwrites)");
    return CompareAndSay(name).code;
  }

  // The compare run of `compare` and `track`: its report and actions go into the JSON
  // document, and a finished run is summed up on the console.
  CompareOutcome CompareAndSay(const std::string& name) {
    CompareOutcome c = CompareInto(name, "compare");
    if (!c.report.empty()) {
      doc_["report"] = ReportJson(c.summary, c.report, c.actionFile);
      doc_["report"].update(CoverageJson(c.coverage));
      doc_["report"].update(NoiseJson(c.noise));
      doc_["actions"] = ActionsJson(c.actions);
      if (c.summary.installSummary) doc_["summary"] = SummaryJson(*c.summary.installSummary);
    }
    if (Finished(c.code)) SayReport(c.summary, c.coverage, c.noise, c.report, c.actionFile, Count(c.actions));
    return c;
  }

  // The report the command line names, its action file and the lines the file lists; the
  // two paths go into the JSON document.
  std::optional<int> OpenReportActions(std::string& report, std::string& actionFile, ListedActions& listed) {
    if (auto failed = ResolveReport(report, actionFile)) return failed;
    if (auto failed = LoadListed(actionFile, listed)) return failed;
    doc_["report"] = {{"path", report}, {"actionFile", actionFile}};
    return std::nullopt;
  }

  // One listed action in the JSON document: the line, as listed, and whether it was chosen.
  static Json ListedActionJson(const ListedActions& listed, std::size_t i, bool chosen) {
    Json a = ActionJson(i + 1, listed.originals[i]);
    a["entry"] = listed.entries[i];
    a["chosen"] = chosen;
    return a;
  }

  // Whether the action file is as Compare sealed it (in the JSON as "sealed"). Undo
  // refuses an unsealed one unless --unsealed is given, and then only at a console,
  // never with --yes: the executor asks about each of its lines.
  std::optional<int> CheckSeal(const std::string& actionFile) {
    const bool sealed = LoadSealedEvidence(actionFile).sealed;
    doc_["sealed"] = sealed;
    if (sealed) return std::nullopt;
    if (o_.command != CliCommand::Undo || o_.dryRun) return Say("warning: " + std::string(kUnsealedText)), std::nullopt;
    if (!o_.unsealed)
      return Error(kExitBadInput, actionFile + ": " + kUnsealedText +
                                      " Nothing was changed; --unsealed removes what it names, line by line at a "
                                      "console.");
    if (o_.yes || !io_.inputIsConsole)
      return Error(kExitBadInput, "--unsealed asks about each line at a console; it never runs with --yes or without "
                                  "a console. Nothing was changed.");
    return std::nullopt;
  }

  int Actions() {
    std::string report, actionFile;
    ListedActions listed;
    if (auto failed = OpenReportActions(report, actionFile, listed)) return *failed;
    CheckSeal(actionFile);
    doc_["actions"] = ActionsJson(listed);
    std::size_t unreadable = 0;
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
      if (listed.entries[i].empty()) continue;
      const bool readable = ActionReadable(listed.entries[i], listed.originals[i]);
      unreadable += readable ? 0 : 1;
      char number[16];
      std::snprintf(number, sizeof number, "%4zu%s ", i + 1, readable ? " " : "!");
      Say(number + listed.entries[i]);
    }
    doc_["integrityErrors"] = unreadable;
    if (unreadable > 0)
      return Error(kExitBadInput, actionFile + ": " + std::to_string(unreadable) +
                                      " line(s) with integrity errors (marked !); undo refuses this file");
    return kExitOk;
  }

  // --only-summary: of the actions chosen so far, those behind the named summary items.
  std::optional<int> ChooseBySummary(const std::string& report, const ListedActions& listed, std::vector<bool>& chosen) {
    const std::optional<std::string> text = ReadWholeFile(report);
    const auto items = text ? ReadSummaryBlock(*text) : std::nullopt;
    if (!items) return Error(kExitBadInput, "the report " + report + " has no summary (compare with --deep or --values)");
    std::string why;
    const auto bySummary = ChooseSummaryActions(listed.entries, *items, o_.onlySummary, why);
    if (!bySummary) return Error(kExitBadInput, why + "; nothing was changed");
    for (std::size_t i = 0; i < chosen.size(); ++i) chosen[i] = chosen[i] && (*bySummary)[i];
    return std::nullopt;
  }

  int Undo() {
    std::string report, actionFile;
    ListedActions listed;
    if (auto failed = OpenReportActions(report, actionFile, listed)) return *failed;
    doc_["dryRun"] = o_.dryRun;
    std::vector<bool> chosen = ChooseActions(listed.entries, o_.only);
    if (!o_.onlySummary.empty()) {
      if (auto failed = ChooseBySummary(report, listed, chosen)) return *failed;
    }
    const std::size_t count = static_cast<std::size_t>(std::count(chosen.begin(), chosen.end(), true));
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
      if (!chosen[i] || ActionReadable(listed.entries[i], listed.originals[i])) continue;
      return Error(kExitBadInput, "integrity error in " + actionFile + ": " + listed.entries[i] +
                                      "; nothing was changed");
    }
    if (count == 0) {
      doc_["actions"] = ActionsJson(listed);
      if (!o_.only.empty() || !o_.onlySummary.empty())
        return Error(kExitBadInput, "--only or --only-summary matched none of the actions of " + actionFile);
      Say("nothing to undo: " + actionFile + " holds no action");
      return kExitOk;
    }
    if (auto refused = CheckSeal(actionFile)) return *refused;
    if (o_.dryRun) {
      Json actions = Json::array();
      for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        if (listed.entries[i].empty()) continue;
        Json a = ListedActionJson(listed, i, chosen[i]);
        if (chosen[i]) {
          a["outcome"] = "wouldDo";
          Say("WOULD DO  " + listed.entries[i] + (IsSensitiveWrite(listed.originals[i]) ? "  (writes a start-up place)" : ""));
        }
        actions.push_back(std::move(a));
      }
      doc_["actions"] = actions;
      Say(std::to_string(count) + " action(s) would be carried out; nothing was changed (--dry-run)");
      return kExitOk;
    }
    const bool sealed = doc_.value("sealed", false);
    if (prompter_.Question(sealed ? "Carry out " + std::to_string(count) + " action(s) of " + actionFile +
                                        " without further questions?"
                                  : "Go through " + std::to_string(count) + " action(s) of the unsealed " + actionFile +
                                        " one by one (removals only)?",
                           false) != id::kYes)
      return Error(kExitDeclined, io_.inputIsConsole || o_.yes
                                      ? "not confirmed; nothing was changed"
                                      : "undo changes the machine: confirm with --yes (standard input is no console); "
                                        "nothing was changed");
    UndoOutcome u = UndoChosen(actionFile, listed, chosen);
    doc_["actions"] = u.actions;
    doc_["log"] = u.log;
    doc_["done"] = u.done;
    doc_["notDone"] = u.notDone;
    Say(std::to_string(u.done) + " done, " + std::to_string(u.notDone) + " not done; log: " + u.log);
    return u.code;
  }

  int Track() {
    const std::string program = FindProgram(o_.program[0]);
    if (program.empty()) return Error(kExitBadInput, "cannot find the program " + o_.program[0]);
    std::vector<std::string> args = o_.program;
    const std::string commandLine = QuoteCommandLine(args);
    doc_["program"] = {{"path", program}, {"commandLine", commandLine}};
    if (auto failed = CheckBackupDirectory()) return *failed;
    const std::string name = (o_.name ? *o_.name : std::string("TRACK")).substr(0, kCompareNameLimit - 5);
    const std::string leftName = name + kLeftSuffix;
    if (!MayOverwrite(name) || (o_.undo && !MayOverwrite(leftName)))
      return Error(kExitDeclined, "a report of that name is there already; not overwritten (--yes overwrites)");
    if (o_.undo && prompter_.Question("Track " + program + " and then undo every change it made?", false) != id::kYes)
      return Error(kExitDeclined, io_.inputIsConsole || o_.yes
                                      ? "not confirmed; nothing was changed"
                                      : "track --undo changes the machine: confirm with --yes (standard input is no "
                                        "console); nothing was changed");
    const auto total = Clock::now();
    // The desktop the program will open its windows on is made ready first: what the
    // system does when the first window of a session opens (Wine writes its video keys
    // then) is not the program's doing.
    GetDesktopWindow();

    // Backup.
    auto start = Clock::now();
    const BackupOutcome backup = RunBackup(host_, RunMode::Interactive, nullptr, {}, Values());
    timings_["backup"] = Seconds(start);
    host_.RefreshLastBackup();
    doc_["backup"] = BackupJson();
    if (backup == BackupOutcome::NoBackupDirectory)
      return Error(kExitBadInput, "the backup directory is invalid; nothing was written");
    if (const auto messages = prompter_.MessagesSince(0); !messages.empty())
      return Error(kExitFailed, "the backup set is incomplete: " + messages.front());
    if (!o_.quiet) io_.err << "tessaryc: running " << commandLine << "\n" << std::flush;

    // The program and everything it starts.
    start = Clock::now();
    const TrackedRun run = RunTracked(args, StopFlag::Raised);
    timings_["program"] = Seconds(start);
    doc_["program"]["processes"] = run.processes;
    if (!run.started) return Error(kExitFailed, run.error);
    doc_["program"]["exitCode"] = run.exitCode;
    if (run.interrupted) return Error(kExitInterrupted, "interrupted while waiting for the program; no compare made");
    if (!o_.quiet)
      io_.err << "tessaryc: the program ended (exit code " << run.exitCode << ", " << run.processes
              << " process(es))\n" << std::flush;
    Say("program: " + commandLine + " ended with exit code " + std::to_string(run.exitCode) +
        (run.exitCode == 0 ? "" : " (failed)"));
    // A program that failed gives its own exit code, whatever the compare found.
    auto verdict = [&](int code) {
      if (run.exitCode == 0 || !(code == kExitOk || code == kExitChanges)) return code;
      return Error(kExitProgramFailed, "the program failed (exit code " + std::to_string(run.exitCode) + ")");
    };

    // Compare.
    CompareOutcome first = CompareAndSay(name);
    if (first.code != kExitOk && first.code != kExitChanges) return first.code;
    if (!o_.undo) {
      timings_["total"] = Seconds(total);
      return verdict(first.code);
    }

    // Undo every action, then compare once more against the same backup.
    std::vector<bool> chosen = ChooseActions(first.actions.entries, {});
    for (std::size_t i = 0; i < chosen.size(); ++i) chosen[i] = chosen[i] && ActionReadable(first.actions.entries[i]);
    Json undo = {{"actions", Json::array()}, {"done", 0}, {"notDone", 0}};
    if (std::count(chosen.begin(), chosen.end(), true) > 0) {
      Say("undo:");
      UndoOutcome u = UndoChosen(first.actionFile, first.actions, chosen);
      undo = {{"actions", u.actions}, {"done", u.done}, {"notDone", u.notDone}, {"log", u.log}};
      doc_["undo"] = undo;
      if (u.code == kExitInterrupted) return u.code;
    }
    doc_["undo"] = undo;
    CompareOutcome after = CompareInto(leftName, "after");
    if (!after.report.empty()) {
      doc_["after"] = ReportJson(after.summary, after.report, after.actionFile);
      doc_["after"].update(CoverageJson(after.coverage));
      doc_["after"].update(NoiseJson(after.noise));
    }
    if (after.code != kExitOk && after.code != kExitChanges && after.code != kExitNothingCompared) return after.code;
    const std::vector<Leftover> left =
        FindLeftovers(after.summary, host_.State().WindowsDirectory, host_.State().BackupDirectory);
    Json leftovers = Json::array();
    for (const Leftover& l : left) leftovers.push_back(LeftoverJson(l));
    doc_["leftovers"] = leftovers;
    // "Nothing left over" is said only of what the compare after the undo looked at.
    const Verdict judged = JudgeCompare(after.coverage, left.size());
    doc_["nothingLeftOver"] = judged == Verdict::NoneFound;
    timings_["total"] = Seconds(total);
    Say("after the undo: " + after.report);
    if (const std::string noise = NoiseText(after.noise); !noise.empty()) Say("  " + noise);
    if (judged == Verdict::Found) {
      Say(std::to_string(left.size()) + " left over:");
      for (const Leftover& l : left)
        Say("  " + l.section + ": " + l.text + (l.undoable ? "  (has an undo action)" : "  (no undo action)"));
    }
    for (const std::string& line : LeftoverVerdictLines(after.coverage, left.size())) Say(line);
    return verdict(judged == Verdict::NothingCompared ? kExitNothingCompared
                   : judged == Verdict::Found         ? kExitChanges
                                                      : kExitOk);
  }

  CliOptions o_;
  CliIo io_;
  SystemClock clock_;
  ConsolePrompter prompter_;
  ConsoleProgressFactory progress_;
  ConsoleHost host_;
  Json doc_;
  Json timings_ = Json::object();
  std::vector<std::string> text_;
};

}  // namespace

int RunTessaryc(const std::vector<std::string>& args, CliIo io) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    io.err << "tessaryc: " << parsed.error << "\n" << std::flush;
    return kExitUsage;
  }
  if (parsed.options.command == CliCommand::Help) {
    io.out << UsageText() << std::flush;
    return kExitOk;
  }
  if (parsed.options.command == CliCommand::Version) {
    io.out << kVersionText << "\n" << std::flush;
    return kExitOk;
  }
  return Session(parsed.options, io).Run();
}

}  // namespace tessary::cli
