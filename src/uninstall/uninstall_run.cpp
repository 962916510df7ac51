#include "uninstall/uninstall_run.h"

#include <windows.h>

#include <map>
#include <optional>

#include "core/settings_table.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/ini_document.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "uninstall/dll_scan.h"
#include "uninstall/evidence_check.h"
#include "uninstall/evidence_live.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/protected_keys.h"
#include "uninstall/logic/sensitive_places.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {

namespace {

constexpr const char* kVerifyCaption = "Verify this action:";
constexpr const char* kCopyErrorText =
    "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.";
constexpr const char* kInUseText = "This file could not be deleted. This file is probably in use by Windows";
constexpr const char* kInUseLogLine = "Above file possibly in use by Windows: unable to delete during uninstall\r\n";
// The log is appended to, never rewritten: a line that cannot be written (a full disk) is
// cut back, so the log ends in whole lines, and the run stops before its next action.
constexpr const char* kLogWriteErrorText =
    "Unable to write uninstall log file. Make sure the disk is not full.\nNo further actions were carried out.";
// Refusals of lines that are well formed but name what no uninstall may take. Each is
// shown (caption: the path or key) and logged "NOT DONE(reason):" with the line.
constexpr const char* kProtectedFolderText = "Windows or Tessary needs this directory. It will not be removed.";
constexpr const char* kProtectedKeyText = "Windows needs this Registry key. It will not be removed.";
constexpr const char* kNotAFileText = "This is a directory, not a file as the uninstall file says. It will not be removed.";
constexpr const char* kNotADirectoryText =
    "This is a file, not a directory as the uninstall file says. It will not be removed.";
constexpr const char* kAmbiguousText =
    "A file of this very name, ending in \"(DIR)\", is beside this directory, so the line could mean either. Neither "
    "will be removed.";

// A registry key that is gone when its line comes to remove it: done, and the log says why.
constexpr const char* kAlreadyRemovedLog = "DONE(Already removed):";

// What the evidence adds: a line acts only while the machine holds what Compare saw
// (logged "NOT DONE(Changed since the report):"); a folder or key goes only with what
// the evidence lists, and each entry kept is logged on its own line.
constexpr const char* kChangedLog = "NOT DONE(Changed since the report):";
constexpr const char* kKeptLog = "KEPT(changed since the report):";
constexpr const char* kNoEvidenceLog = "NOT DONE(No evidence):";
constexpr const char* kUnsealedLog = "NOT DONE(Unsealed file):";
constexpr const char* kLinkLog = "NOT DONE(Reached through a link):";

enum class StepResult { Done, Failed, Stopped };

constexpr std::size_t kNoAction = static_cast<std::size_t>(-1);

// How Execute ends, for the dialog.
struct Ending {
  RunOutcome outcome;
  std::optional<std::string> logToShow;
};

class Run {
 public:
  Run(EngineHost& host, const UninstallSelection& sel, const UninstallEnvironment& env, const UninstallPolicy& policy)
      : host_(host), sel_(sel), env_(env), policy_(policy), prompts_(host.Prompts()) {
    for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
      const bool chosen = i < sel_.selected.size() && sel_.selected[i];
      actions_.push_back({i, ClassifyAction(sel_.entries[i]), chosen ? ActionStatus::NotReached : ActionStatus::NotChosen, ""});
    }
  }

  Ending Execute();
  std::vector<ActionResult> TakeActions() { return std::move(actions_); }
  const std::string& logPath() const { return logPath_; }

 private:
  std::string IniPath(const std::string& file) const { return env_.windowsDirectory + "\\" + file; }
  // One whole line appended to the log; a line that cannot be written leaves no part
  // of itself, and the run stops after the action (LogFailed).
  void LogText(const std::string& text) { log_.Write(text); }
  // The log line of the current action's outcome, which the action's result records too.
  void Log(const std::string& prefix, const std::string& line) {
    LogText(prefix + line + "\r\n");
    Record(prefix);
  }
  void Record(const std::string& prefix) {
    const std::optional<LoggedStatus> logged = StatusOfLogPrefix(prefix);
    if (!logged || current_ >= actions_.size()) return;
    actions_[current_].status = logged->status;
    actions_[current_].reason = logged->reason;
  }
  // The log could not be written: said once, true.
  bool LogFailed() {
    if (log_.ok()) return false;
    prompts_.Ask(kLogWriteErrorText, "File error");
    return true;
  }
  // The verification question, or Yes when verify is off. A line of an unsealed file is
  // always asked about.
  int Verify(const std::string& question) {
    return verify_ || !sealed() ? prompts_.Ask(question, kVerifyCaption, mb::kYesNoCancel) : id::kYes;
  }
  // --- evidence (evidence_check.h) ---
  bool sealed() const { return seal_.sealed; }
  // A sealed line goes on only while its evidence is as the machine holds it now; else
  // it is logged (as `logged`) and false. An unsealed line goes on (its own rules apply).
  bool StillAsCompareSaw(const std::string& original, const std::string& logged);
  // The evidence of a sealed line, or nullptr after logging that there is none.
  const EvidenceRecord* EvidenceOf(const std::string& original, const std::string& logged);
  // A write into a sensitive place: its own question, even with verify off.
  int AskSensitiveWrite(const std::string& write);
  void LogKept(const std::string& path) {
    Log(kKeptLog, path);
    ++kept_;
  }
  // The facts of the INI files that REMOVEFILE lines name, before the run's own edits.
  void RememberIniFilesBefore();
  // Whether the run goes on to the next action after one line, or ends (Cancel).
  enum class After { Next, EndRun };
  // An INI entry `key=value` written into a sensitive place: its own question. Nothing
  // when the write may go on; else how the line ends (logged "NOT DONE:" on No).
  std::optional<After> ConfirmSensitiveIniWrite(const IniAction& a, const IniAction& write, const std::string& value,
                                                const std::string& line);
  // How the selected actions ended: all carried out, the run ended by a Cancel or a
  // stop request, or the log could not be written.
  enum class ActionsEnd { Finished, Ended, LogFailed };

  // The steps of a run, in order.
  bool AnySelected() const;
  void RememberBoxes();
  [[nodiscard]] bool WriteSafetyCopies();
  bool EditsIniFile(const char* target) const;
  [[nodiscard]] bool OpenLog(const std::string& logPath);
  void CheckDllDependencies();
  [[nodiscard]] ActionsEnd CarryOutSelected();
  void LogUnselected();
  RunOutcome EndedOutcome() const { return closeWithCancel_ ? RunOutcome::CloseCancel : RunOutcome::Stay; }

  // One action line.
  [[nodiscard]] After CarryOut(const std::string& line, const std::string& original);
  [[nodiscard]] After DoChange(const std::string& line, const std::string& original);
  [[nodiscard]] After DoAdd(const std::string& line, const std::string& original);
  [[nodiscard]] After DoRemove(const std::string& line, const std::string& original);
  [[nodiscard]] After DoRegistry(const std::string& line, const std::string& original);
  [[nodiscard]] After DoValue(const std::string& original);
  // A value line as the list shows it and the log records it.
  static std::string ValueText(const std::string& line, const std::string& original);
  [[nodiscard]] After DoRemoveFile(const std::string& line, const std::string& original);
  [[nodiscard]] StepResult RewriteSystemIni(bool insert, const std::string& value);
  [[nodiscard]] bool RemoveTree(const std::string& dir);
  void IntegrityError() {
    prompts_.Ask(kTsuIntegrityErrorText, kTsuIntegrityErrorCaption);
    if (current_ < actions_.size()) actions_[current_] = {current_, actions_[current_].kind, ActionStatus::Refused, "integrity error"};
  }
  void LogIniEdit(bool ok, const std::string& line) { Log(ok ? "DONE:" : "NOT DONE(ERROR):", line); }
  // A line that will not be carried out: the reason shown, then logged.
  void Refuse(const char* text, const std::string& caption, const char* logPrefix, const std::string& line) {
    prompts_.Ask(text, caption);
    Log(logPrefix, line);
  }
  // The line's target is exactly the entry it names, as the platform will take it, in a
  // folder on a local fixed drive.
  static bool InScope(const FileAction& a);
  bool IsProtectedFolder(const std::string& path);
  // The finished dependency scan found no program that imports the DLL.
  bool NothingImports(const std::string& dllPath);
  static bool IsSystemIniDeviceLine(const IniAction& a) {
    return EqualsNoCase(a.file, "SYSTEM.INI") && EqualsNoCase(a.section, "386enh") && EqualsNoCase(a.key, "device");
  }

  EngineHost& host_;
  const UninstallSelection& sel_;
  const UninstallEnvironment& env_;
  const UninstallPolicy& policy_;
  Prompter& prompts_;
  std::vector<ActionResult> actions_;
  std::size_t current_ = kNoAction;  // the action being carried out
  std::string logPath_;
  OutputFile log_;
  bool verify_ = true;
  bool dllCheck_ = true;
  bool closeWithCancel_ = false;
  bool dllScanComplete_ = false;  // the reference list names every program found to import a DLL
  bool protectedKnown_ = false;
  std::vector<std::string> protected_;  // the protected folders, found once per run
  SealedEvidence seal_;                 // the action file's evidence, and whether it is sealed
  // The facts of the INI files that REMOVEFILE lines name, found before the run's own
  // INI edits change them: those edits are the undo's, not changes since the report.
  std::map<std::string, std::vector<std::string>> iniFilesBefore_;
  int kept_ = 0;                        // lines and entries kept as changed since the report
};

Ending Run::Execute() {
  if (!AnySelected()) {
    prompts_.Ask("No uninstall actions selected.  You must select at least one action to be performed.",
                 "No actions selected");
    return {RunOutcome::Stay, std::nullopt};
  }
  seal_ = LoadSealedEvidence(sel_.actionFile);
  if (policy_.rememberBoxes) RememberBoxes();
  dllCheck_ = sel_.dllCheckBox;
  if (!WriteSafetyCopies()) return {RunOutcome::Stay, std::nullopt};

  const std::string logPath = WithLastThree(sel_.actionFile, "log");
  if (!OpenLog(logPath)) {
    prompts_.Ask("Unable to open uninstall log file", "File error");
    return {RunOutcome::CloseOk, std::nullopt};
  }
  // The box as the user left it decides, not what the settings file kept of it.
  verify_ = sel_.verifyBox;
  if (!verify_ && sealed() && !policy_.unverifiedConfirmed &&
      prompts_.Ask("Are you sure you want to carry out ALL selected uninstall actions without further interaction?",
                   "No verify uninstall", mb::kYesNo) == id::kNo)
    return {RunOutcome::CloseCancel, std::nullopt};

  if (dllCheck_ && sel_.dllLinesPresent) CheckDllDependencies();

  if (sealed()) RememberIniFilesBefore();
  switch (CarryOutSelected()) {
    case ActionsEnd::LogFailed: return {RunOutcome::Stay, std::nullopt};
    case ActionsEnd::Ended: return {EndedOutcome(), std::nullopt};
    case ActionsEnd::Finished: break;
  }
  std::string complete = "Would you like to view the uninstall log file, which shows all actions done/not done?";
  if (kept_ > 0) {
    const std::string count = std::to_string(kept_) + (kept_ == 1 ? " item was" : " items were");
    LogText(count + " kept as changed since the report.\r\n");
    complete = count + " kept: they changed since the report.\n" + complete;
  }
  const bool view = policy_.offerLog && prompts_.Ask(complete, "Uninstall Complete", mb::kYesNo) == id::kYes;
  LogUnselected();
  if (!log_.Close()) prompts_.Ask(kLogWriteErrorText, "File error");
  return {closeWithCancel_ ? RunOutcome::CloseCancel : RunOutcome::CloseOk,
          view ? std::optional<std::string>(logPath) : std::nullopt};
}

bool Run::AnySelected() const {
  for (std::size_t i = 0; i < sel_.entries.size(); ++i)
    if (i < sel_.selected.size() && sel_.selected[i]) return true;
  return false;
}

void Run::RememberBoxes() {
  Settings settings = host_.AppSettings();
  settings.WriteYesNo(settings::kVerifyAllUninstall, sel_.verifyBox);
  settings.WriteYesNo(settings::kDLLDepend, sel_.dllCheckBox);
}

// A safety copy of each INI file that a selected line edits, and of no other; only those
// of win.ini and system.ini are required.
bool Run::WriteSafetyCopies() {
  struct Copy {
    const char *target, *file, *copy;
    bool required;
  };
  const Copy copies[] = {{"WIN.INI", "win.ini", "win.uib", true},
                         {"SYSTEM.INI", "system.ini", "system.uib", true},
                         {"PROTOCOL.INI", "protocol.ini", "protocol.uib", false}};
  for (const Copy& c : copies) {
    if (!EditsIniFile(c.target)) continue;
    const std::string from = IniPath(c.file);
    if (!CopyFileChecked(from, IniPath(c.copy)) && c.required) {
      prompts_.Ask(kCopyErrorText, from);
      return false;
    }
  }
  return true;
}

bool Run::EditsIniFile(const char* target) const {
  for (std::size_t i = 0; i < sel_.entries.size() && i < sel_.selected.size(); ++i) {
    if (!sel_.selected[i]) continue;
    const std::string& e = sel_.entries[i];
    std::optional<IniAction> a;
    switch (ClassifyAction(e)) {
      case ActionKind::Change: a = ParseChangeAction(e); break;
      case ActionKind::Add: a = ParseAddAction(e); break;
      case ActionKind::Remove: a = ParseRemoveAction(e); break;
      default: break;
    }
    if (a && EqualsNoCase(a->file, target)) return true;
  }
  return false;
}

void Run::RememberIniFilesBefore() {
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
    const std::string& original = i < sel_.originals.size() ? sel_.originals[i] : sel_.entries[i];
    const auto a = sel_.selected[i] ? ParseRemoveFileAction(original) : std::nullopt;
    if (a && !a->isDirectory && EqualsNoCase(a->directory, env_.windowsDirectory) && IsActionIniFile(a->name))
      iniFilesBefore_[original] = GatherEvidence(original, env_.windowsDirectory).facts;
  }
}

bool Run::OpenLog(const std::string& logPath) {
  log_.Open(logPath, OutputFile::Mode::Append);
  if (log_.is_open()) logPath_ = logPath;
  return log_.is_open();
}

// The DLL names of the selected REMOVEFILE lines go to a list that the dependency scan
// looks for; the scan then writes which programs import them.
void Run::CheckDllDependencies() {
  const AppState& state = host_.State();
  const std::string namePath = state.BackupDirectory + "\\" + kDllNameListFile;
  OutputFile names(namePath, OutputFile::Mode::Create);
  int written = 0;
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
    const std::string& e = sel_.entries[i];
    if (!sel_.selected[i] || !StartsWithNoCase(e, "REMOVEFILE") || !ContainsNoCase(e, ".DLL")) continue;
    names.Write(DllNameOf(e) + "\r\n");
    ++written;
  }
  // A list that could not be written whole is no list to scan by: the check is then
  // left out, and every DLL is asked about as if nothing used it.
  if (!names.Close()) {
    written = 0;
    closeWithCancel_ = true;
  }
  if (written > 0) {
    const auto roots = env_.scanRoots ? env_.scanRoots() : LocalScanRoots();
    if (ScanDllReferences(host_, state.BackupDirectory, roots, env_.moveAway))
      dllScanComplete_ = true;
    else
      closeWithCancel_ = true;
  }
}

Run::ActionsEnd Run::CarryOutSelected() {
  LogText(UninstallLogHeader(host_.Time().Now()));
  if (LogFailed()) return ActionsEnd::LogFailed;
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
    if (!sel_.selected[i]) continue;
    if (env_.stopRequested && env_.stopRequested()) return ActionsEnd::Ended;
    current_ = i;
    const After after = CarryOut(sel_.entries[i], i < sel_.originals.size() ? sel_.originals[i] : sel_.entries[i]);
    if (LogFailed()) return ActionsEnd::LogFailed;
    if (after == After::EndRun) return ActionsEnd::Ended;
  }
  current_ = kNoAction;
  return ActionsEnd::Finished;
}

Run::After Run::CarryOut(const std::string& line, const std::string& original) {
  switch (ClassifyAction(line)) {
    case ActionKind::Change: return DoChange(line, original);
    case ActionKind::Add: return DoAdd(line, original);
    case ActionKind::RegDatRemove: return DoRegistry(line, original);
    case ActionKind::Remove: return DoRemove(line, original);
    case ActionKind::RemoveFile: return DoRemoveFile(line, original);
    case ActionKind::RegValueRemove:
    case ActionKind::RegValueRestore: return DoValue(original);
    case ActionKind::None: break;
  }
  return After::Next;
}

// The lines left unselected are logged "NOT DONE:" after the run.
void Run::LogUnselected() {
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
    const std::string& e = sel_.entries[i];
    if (sel_.selected[i]) continue;
    const ActionKind kind = ClassifyAction(e);
    if (kind == ActionKind::RegValueRemove || kind == ActionKind::RegValueRestore) {
      Log("NOT DONE:", ValueText(e, i < sel_.originals.size() ? sel_.originals[i] : e));
    } else if (StartsWithNoCase(e, "CHANGE") || StartsWithNoCase(e, "ADD") || StartsWithNoCase(e, "REG_DAT_REMOVE") ||
               StartsWithNoCase(e, "REMOVE")) {
      Log("NOT DONE:", e);
    }
  }
}

Run::After Run::DoChange(const std::string& line, const std::string& original) {
  auto a = ParseChangeAction(line);
  if (!a) return IntegrityError(), After::Next;
  auto asWritten = ParseChangeAction(original);
  if (!sealed()) return Log(kUnsealedLog, line), After::Next;
  if (!StillAsCompareSaw(original, line)) return After::Next;
  const int answer = Verify("Do you want to CHANGE the '" + a->key + "' entry from '" + a->value + "' to '" +
                            a->previous + "' in the '" + a->section + "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", line), After::Next;
  const IniAction& write = asWritten && EqualsNoCase(original, line) ? *asWritten : *a;
  if (const std::optional<After> end = ConfirmSensitiveIniWrite(*a, write, write.previous, line)) return *end;
  const bool ok = ProfileWrite(IniPath(a->file), write.section, write.key, write.previous);
  LogIniEdit(ok, line);
  return After::Next;
}

Run::After Run::DoAdd(const std::string& line, const std::string& original) {
  auto a = ParseAddAction(line);
  if (!a) return IntegrityError(), After::Next;
  auto asWritten = ParseAddAction(original);
  if (!sealed()) return Log(kUnsealedLog, line), After::Next;
  if (!StillAsCompareSaw(original, line)) return After::Next;
  const int answer = Verify("Do you want to ADD the '" + a->key + "=" + a->value + "' entry to the '" + a->section +
                            "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", line), After::Next;
  const std::string ini = IniPath(a->file);
  const IniAction& write = asWritten && EqualsNoCase(original, line) ? *asWritten : *a;
  if (const std::optional<After> end = ConfirmSensitiveIniWrite(*a, write, write.value, line)) return *end;
  const std::string twin = ";" + a->key;
  bool ok = true;
  if (!EqualsNoCase(ProfileRead(ini, a->section, twin, "Notfound", 300), "NotFound"))
    ok = ProfileDeleteKey(ini, a->section, twin);
  if (IsSystemIniDeviceLine(*a)) {
    ProfileFlush(ini);
    ok = RewriteSystemIni(true, write.value) == StepResult::Done && ok;
  } else {
    ok = ProfileWrite(ini, write.section, write.key, write.value) && ok;
  }
  LogIniEdit(ok, line);
  return After::Next;
}

Run::After Run::DoRemove(const std::string& line, const std::string& original) {
  auto a = ParseRemoveAction(line);
  if (!a) return IntegrityError(), After::Next;
  if (!StillAsCompareSaw(original, line)) return After::Next;
  const int answer = Verify("Do you want to REMOVE the '" + a->key + "=" + a->value + "' entry from the '" +
                            a->section + "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", line), After::Next;
  const std::string ini = IniPath(a->file);
  if (IsSystemIniDeviceLine(*a)) {
    ProfileFlush(ini);
    const StepResult r = RewriteSystemIni(false, a->value);
    LogIniEdit(r == StepResult::Done, line);
    return r == StepResult::Stopped ? After::EndRun : After::Next;
  }
  // Of a name repeated in the section, the entry whose value the line names goes.
  bool ok = ProfileDeleteEntry(ini, a->section, a->key, a->value);
  if (ok && ProfileKeys(ini, a->section).empty()) ok = ProfileDeleteSection(ini, a->section);
  LogIniEdit(ok, line);
  return After::Next;
}

// The device= lines of system.ini's [386Enh] sections. The new content is written
// beside system.ini and replaces it only when complete, so a failure leaves the file
// as it was; system.tsd holds the old content while the rewrite runs.
StepResult Run::RewriteSystemIni(bool insert, const std::string& value) {
  const std::string ini = IniPath("system.ini");
  const std::string safety = IniPath("system.tsd");
  if (!CopyFileChecked(ini, safety)) {
    prompts_.Ask(kCopyErrorText, ini);
    return insert ? StepResult::Failed : StepResult::Stopped;
  }
  const std::optional<std::string> content = ReadWholeFile(safety);
  if (!content) {
    prompts_.Ask(insert ? "Error creating system.ini backup file." : "Error opening system.ini backup file.",
                 "File Error");
    return insert ? StepResult::Failed : StepResult::Stopped;
  }
  // Lines as the INI layer reads them: each keeps its own line end, new lines take the
  // file's, and the file keeps its encoding.
  IniDocument document(*content);
  if (insert) {
    InsertDeviceLine(document, value);
  } else {
    RemoveDeviceLine(document, value);
  }
  const std::optional<std::string> bytes = document.FileBytes();
  if (!bytes || !ReplaceFileKeepingAttributes(ini, *bytes)) {
    prompts_.Ask("Error opening system.ini. Backup file is system.tsd.", "File Error");
    return insert ? StepResult::Failed : StepResult::Stopped;
  }
  DeleteLeftover(safety);
  return StepResult::Done;
}

Run::After Run::DoRegistry(const std::string& line, const std::string& original) {
  auto a = ParseRegDatRemoveAction(line);
  if (!a) return IntegrityError(), After::Next;
  const HKEY root = RootKeyNamed(a->root);
  // Protected by the name in the line, or by the name the registry itself gives the key
  // (HKEY_CLASSES_ROOT\CLSID is HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID, a control set
  // may be reached through a link, a name may differ in letters the registry folds).
  bool isProtected = IsProtectedKey(a->keyPath);
  if (!isProtected && root) {
    const std::string canonical = RegKey::OpenForReading(root, a->subkey).FullName();
    isProtected = !canonical.empty() && IsProtectedKey(canonical);
  }
  // An unsealed line touches nothing below a protected key either.
  if (!isProtected && !sealed()) isProtected = IsAtOrBelowProtectedKey(a->keyPath);
  if (isProtected) return Refuse(kProtectedKeyText, a->keyPath, "NOT DONE(Protected):", line), After::Next;
  if (KeyReachedThroughLink(a->root, a->subkey)) return Log(kLinkLog, line), After::Next;
  const EvidenceRecord* evidence = sealed() ? EvidenceOf(original, line) : nullptr;
  if (sealed() && !evidence) return After::Next;
  const int answer = Verify("Do you want to REMOVE the '" + a->keyPath + "' key from your Registry file?");
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", line), After::Next;
  if (evidence) {
    // The key goes with the subkeys the evidence lists; one made since stays, with the
    // keys above it.
    const TreePlan plan = PlanFromLive(*evidence, env_.windowsDirectory);
    if (!plan.whole) {
      const auto written = ParseRegDatRemoveAction(original);
      const std::string& base = written ? written->keyPath : a->keyPath;
      for (const std::string& rel : plan.kept) {
        // A value is named after its key: "KEY\SUB value NAME".
        const std::size_t mark = rel.find(kValueMark);
        if (mark == std::string::npos) LogKept(rel.empty() ? base : base + "\\" + rel);
        else LogKept((mark == 0 ? base : base + "\\" + rel.substr(0, mark - 1)) + " value " + rel.substr(mark + 1));
      }
      RemoveKeys(a->root, a->subkey, plan.removable);
      Log(kChangedLog, line);
      return After::Next;
    }
  }
  const bool ok = root && !a->subkey.empty() && RegKey::Root(root).DeleteTree(a->subkey);
  // A key gone already (removed by an earlier line under another of its names, as a
  // 32-bit view and its twin are one key under Wine) is what the line asks for.
  if (!ok && root && RegKey::IsMissing(root, a->subkey)) return Log(kAlreadyRemovedLog, line), After::Next;
  if (!ok) prompts_.Ask("Error removing Registry entry. This entry may have already been removed.", a->keyPath);
  Log(ok ? "DONE:" : "NOT DONE(ERROR):", line);
  return After::Next;
}

std::string Run::ValueText(const std::string& line, const std::string& original) {
  const auto a = ParseValueAction(original);
  return a ? DescribeValueAction(*a, AnsiText) : line;
}

// A value line changes one value of one key: it deletes no key, so the protected keys do
// not hold it back (putting back a Run entry or the PATH of the environment is what it is
// for). It is read from the line as written, since its name and data keep their case.
Run::After Run::DoValue(const std::string& original) {
  const auto a = ParseValueAction(original);
  if (!a) return IntegrityError(), After::Next;
  const std::string text = DescribeValueAction(*a, AnsiText);
  const std::string name = DescribeValueName(a->name, AnsiText);
  const std::string data = DescribeValueData(a->data, AnsiText);
  const HKEY root = RootKeyNamed(a->root);
  // An unsealed file puts nothing back, and removes nothing below a protected key.
  if (!sealed() && a->restore) return Log(kUnsealedLog, text), After::Next;
  if (!sealed() && IsAtOrBelowProtectedKey(a->keyPath))
    return Refuse(kProtectedKeyText, a->keyPath, "NOT DONE(Protected):", text), After::Next;
  if (KeyReachedThroughLink(a->root, a->subkey)) return Log(kLinkLog, text), After::Next;
  if (!StillAsCompareSaw(original, text)) return After::Next;
  std::string question;
  if (!a->restore) {
    question = "Do you want to REMOVE the value " + name + " = " + data + " from the '" + a->keyPath +
               "' key of your Registry?";
  } else {
    RegValue now;
    const RegKey key = root ? RegKey::OpenForValues(root, a->subkey) : RegKey();
    if (key && key.QueryValue(a->name, now)) {
      ValueData shown;
      shown.type = now.type();
      shown.bytes = std::string(now.data());
      shown.size = shown.bytes.size();
      question = "Do you want to CHANGE the value " + name + " of the '" + a->keyPath + "' key of your Registry from " +
                 DescribeValueData(shown, AnsiText) + " to " + data + "?";
    } else {
      question = "Do you want to ADD the value " + name + " = " + data + " to the '" + a->keyPath +
                 "' key of your Registry?";
    }
  }
  const int answer = Verify(question);
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", text), After::Next;
  if (a->restore && IsSensitiveKeyValue(a->keyPath, a->name)) {
    const int sure = AskSensitiveWrite("Do you want to write the value " + name + " = " + data + " into the '" +
                                       a->keyPath + "' key of your Registry?");
    if (sure == id::kCancel) return After::EndRun;
    if (sure != id::kYes) return Log("NOT DONE:", text), After::Next;
  }
  bool ok = false;
  if (!a->restore) {
    const RegKey key = root ? RegKey::OpenForValues(root, a->subkey) : RegKey();
    ok = key && key.DeleteValue(a->name);
    if (!ok) prompts_.Ask("Error removing Registry value. This value may have already been removed.", a->keyPath);
  } else {
    // A key deleted since the backup is made again to hold its value.
    const RegKey key = root ? RegKey::CreateForWriting(root, a->subkey) : RegKey();
    ok = key && key.SetValue(a->name, a->data.type, a->data.bytes);
    if (!ok) prompts_.Ask("Error writing Registry value.", a->keyPath);
  }
  Log(ok ? "DONE:" : "NOT DONE(ERROR):", text);
  return After::Next;
}

bool Run::NothingImports(const std::string& dllPath) {
  return dllScanComplete_ && ReferencesOfDll(host_, host_.State().BackupDirectory, dllPath).empty();
}

bool Run::StillAsCompareSaw(const std::string& original, const std::string& logged) {
  if (!sealed()) return true;
  const EvidenceRecord* evidence = EvidenceOf(original, logged);
  if (!evidence) return false;
  if (StillAsRecorded(*evidence, env_.windowsDirectory)) return true;
  ++kept_;
  Log(kChangedLog, logged);
  return false;
}

const EvidenceRecord* Run::EvidenceOf(const std::string& original, const std::string& logged) {
  const EvidenceRecord* evidence = seal_.evidence.Find(original);
  if (!evidence) Log(kNoEvidenceLog, logged);
  return evidence;
}

int Run::AskSensitiveWrite(const std::string& write) {
  return prompts_.Ask(write + "\nThis place decides what Windows starts or loads.", kSensitiveCaption,
                      mb::kYesNoCancel);
}

std::optional<Run::After> Run::ConfirmSensitiveIniWrite(const IniAction& a, const IniAction& write,
                                                        const std::string& value, const std::string& line) {
  if (!IsSensitiveIniEntry(a.file, a.section, a.key)) return std::nullopt;
  const int sure = AskSensitiveWrite("Do you want to write '" + write.key + "=" + value + "' into the '" +
                                     write.section + "' section of your " + a.file + " file?");
  if (sure == id::kCancel) return After::EndRun;
  if (sure != id::kYes) return Log("NOT DONE:", line), After::Next;
  return std::nullopt;
}

bool Run::InScope(const FileAction& a) {
  return EqualsNoCase(FullPathName(a.path), a.path) && EqualsNoCase(FullPathName(a.directory), a.directory) &&
         IsOnLocalFixedDrive(a.path);
}

bool Run::IsProtectedFolder(const std::string& path) {
  if (!protectedKnown_) {
    // The backup directory under every name a run may know it by: the run's own (a
    // command line's --dir), the one tessary.ini names, and the folder of the action
    // file being run (its report, log and sets lie there).
    std::vector<std::string> own{host_.State().BackupDirectory};
    const std::string named = host_.AppSettings().Read(settings::kDirectory);
    if (!named.empty()) own.push_back(named);
    const std::string actionFile = FullPathName(sel_.actionFile);
    const auto slash = actionFile.rfind('\\');
    if (slash != std::string::npos) own.push_back(actionFile.substr(0, slash == 2 ? 3 : slash));
    protected_ = ProtectedFolders(own);
    protectedKnown_ = true;
  }
  return RemovesProtectedFolder(path, protected_);
}

Run::After Run::DoRemoveFile(const std::string& line, const std::string& original) {
  auto a = ParseRemoveFileAction(line);
  if (!a || !InScope(*a)) return IntegrityError(), After::Next;
  const std::string withMarker = a->isDirectory ? a->path + "  (DIR)" : a->path;
  const DWORD attributes = GetFileAttributesA(a->path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    prompts_.Ask("This file/directory could not be found. It may have already been removed.", a->path);
    Log("NOT DONE(File not found):", line);
    return After::Next;
  }
  // What is there must be what the line names: a folder for a "(DIR)" line, and no file
  // whose own name is the line's (a file "KEEP  (DIR)" is written like the folder KEEP);
  // a file for any other line.
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (a->isDirectory && !isFolder) return Refuse(kNotADirectoryText, withMarker, "NOT DONE(Not a directory):", line), After::Next;
  if (a->isDirectory && PathExists(withMarker))
    return Refuse(kAmbiguousText, withMarker, "NOT DONE(Ambiguous name):", line), After::Next;
  if (!a->isDirectory && isFolder) return Refuse(kNotAFileText, a->path, "NOT DONE(Not a file):", line), After::Next;
  if (IsProtectedFolder(a->path)) return Refuse(kProtectedFolderText, withMarker, "NOT DONE(Protected):", line), After::Next;
  // An unsealed line touches nothing inside a protected folder either; no line reaches
  // its target through a junction or symbolic link.
  if (!sealed() && TouchesProtectedFolder(a->path, protected_))
    return Refuse(kProtectedFolderText, withMarker, "NOT DONE(Protected):", line), After::Next;
  if (ReachedThroughLink(a->path)) return Log(kLinkLog, line), After::Next;
  const EvidenceRecord* evidence = sealed() ? EvidenceOf(original, line) : nullptr;
  if (sealed() && !evidence) return After::Next;
  // A file goes only while it is as the report found it.
  const auto before = iniFilesBefore_.find(original);
  if (evidence && !a->isDirectory &&
      !(before != iniFilesBefore_.end() ? before->second == evidence->facts
                                        : StillAsRecorded(*evidence, env_.windowsDirectory))) {
    const auto written = ParseRemoveFileAction(original);
    LogKept(written ? written->path : a->path);
    Log(kChangedLog, line);
    return After::Next;
  }

  int answer = id::kYes;
  const bool dllAsked = dllCheck_ && ContainsNoCase(withMarker, ".DLL") && (verify_ || !NothingImports(a->path));
  if (dllAsked) {
    // The DLL Dependencies dialog is the question for a DLL while the check is on: with
    // verify off, only when there is something to decide (a program imports it, or the
    // scan did not finish).
    answer = env_.askDll ? env_.askDll(a->path) : id::kNo;
    if (answer == id::kCancel) {
      if (env_.moveBack) env_.moveBack();
      closeWithCancel_ = true;
    }
  }
  // Verify on, or a line of an unsealed file: asked on its own (a DLL of an unsealed file
  // after its dependency dialog too).
  if (answer == id::kYes && (sealed() ? verify_ && !dllAsked : true)) {
    answer = prompts_.Ask("Do you want to DELETE the file/directory '" + withMarker + "'?", kVerifyCaption,
                          mb::kYesNoCancel);
  }
  if (answer == id::kCancel) return After::EndRun;
  if (answer == id::kNo) return Log("NOT DONE:", line), After::Next;
  // Each outcome is logged once it is known.
  if (a->isDirectory) {
    const int sure = prompts_.Ask(
        "This directory, all its files and all sub-directories and their files will be removed.\n Are you sure?",
        withMarker, mb::kYesNoCancel);
    if (sure == id::kCancel) return After::EndRun;
    if (sure == id::kNo) return Log("NOT DONE:", line), After::Next;
    if (evidence) {
      // The entries as the report found them go; one new or changed since stays, with
      // the folders that hold it.
      const TreePlan plan = PlanFromLive(*evidence, env_.windowsDirectory);
      if (!plan.whole) {
        // Kept entries are logged by their names as written.
        const auto written = ParseRemoveFileAction(original);
        const std::string& base = written ? written->path : a->path;
        for (const std::string& rel : plan.kept) LogKept(rel.empty() ? base : base + "\\" + rel);
        RemoveFolderEntries(a->path, plan.removable);
        Log(kChangedLog, line);
        return After::Next;
      }
    }
    Log(RemoveTree(a->path) ? "DONE:" : "NOT DONE(ERROR):", line);
    return After::Next;
  }
  // Whether it went is looked at next.
  if (CanWriteFile(a->path)) static_cast<void>(DeleteToRecycleBin(a->path));
  if (PathExists(a->path)) {
    prompts_.Ask(kInUseText, a->path);
    Log("NOT DONE(ERROR):", line);
    LogText(kInUseLogLine);
    return After::Next;
  }
  Log("DONE:", line);
  return After::Next;
}

// True when the folder is gone. Links inside the tree (junctions, symbolic links) are
// removed as links before anything else, so no deletion can reach what they point to;
// a folder that is itself a link goes as a link.
bool Run::RemoveTree(const std::string& dir) {
  const DWORD attributes = GetFileAttributesA(dir.c_str());
  if (IsLink(attributes)) {
    if (!RemoveLink(dir, true)) prompts_.Ask(kInUseText, dir);
    return !PathExists(dir);
  }
  if (!RemoveLinksBelow(dir)) {
    prompts_.Ask(kInUseText, dir);
    return false;
  }
  for (const auto& entry : ListFolder(dir)) {
    const std::string path = dir + "\\" + entry.name;
    // Whether each entry went is looked at next, and the folder's after the loop.
    if (entry.attributes != FILE_ATTRIBUTE_DIRECTORY) static_cast<void>(SetPathAttributes(path, FILE_ATTRIBUTE_NORMAL));
    static_cast<void>(DeleteToRecycleBin(path));
    if (PathExists(path)) prompts_.Ask(kInUseText, dir);
  }
  // An installer's folder may be hidden, system or read-only; it goes all the same.
  static_cast<void>(SetPathAttributes(dir, FILE_ATTRIBUTE_NORMAL));
  static_cast<void>(DeleteToRecycleBin(dir));
  if (PathExists(dir)) {
    // It stays, logged NOT DONE; with its attributes back as far as the system lets it.
    static_cast<void>(SetPathAttributes(dir, attributes));
    return false;
  }
  return true;
}

}  // namespace

UninstallEnvironment DefaultUninstallEnvironment(EngineHost& host, std::function<int(const std::string&)> askDll) {
  UninstallEnvironment env;
  env.windowsDirectory = host.State().WindowsDirectory;
  env.askDll = std::move(askDll);
  env.scanRoots = LocalScanRoots;
  return env;
}

UninstallResult RunUninstall(EngineHost& host, const UninstallSelection& selection, const UninstallEnvironment& env,
                             const UninstallPolicy& policy) {
  Run run(host, selection, env, policy);
  const Ending end = run.Execute();
  return {end.outcome, end.logToShow, run.TakeActions(), run.logPath()};
}

}  // namespace tessary
