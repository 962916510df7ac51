#include "uninstall/uninstall_run.h"

#include <windows.h>

#include <optional>

#include "core/settings_table.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "uninstall/dll_scan.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/protected_keys.h"
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

enum class StepResult { Done, Failed, Stopped };

// How Execute ends, for the dialog.
struct Ending {
  RunOutcome outcome;
  std::optional<std::string> logToShow;
};

class Run {
 public:
  Run(Host& host, const UninstallSelection& sel, const UninstallEnvironment& env, const UninstallPolicy& policy)
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
  // The verification question, or Yes when verify is off.
  int Verify(const std::string& question) {
    return verify_ ? prompts_.Ask(question, kVerifyCaption, mb::kYesNoCancel) : id::kYes;
  }
  // False when the run ends (Cancel).
  bool DoChange(const std::string& line, const std::string& original);
  bool DoAdd(const std::string& line, const std::string& original);
  bool DoRemove(const std::string& line);
  bool DoRegistry(const std::string& line);
  bool DoValue(const std::string& original);
  // A value line as the list shows it and the log records it.
  static std::string ValueText(const std::string& line, const std::string& original);
  bool DoRemoveFile(const std::string& line);
  StepResult RewriteSystemIni(bool insert, const std::string& value);
  bool RemoveTree(const std::string& dir);
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
  static bool IsSystemIniDeviceLine(const IniAction& a) {
    return EqualsNoCase(a.file, "SYSTEM.INI") && EqualsNoCase(a.section, "386enh") && EqualsNoCase(a.key, "device");
  }

  Host& host_;
  const UninstallSelection& sel_;
  const UninstallEnvironment& env_;
  const UninstallPolicy& policy_;
  Prompter& prompts_;
  std::vector<ActionResult> actions_;
  std::size_t current_ = static_cast<std::size_t>(-1);  // the action being carried out
  std::string logPath_;
  OutputFile log_;
  bool verify_ = true;
  bool dllCheck_ = true;
  bool closeWithCancel_ = false;
  bool protectedKnown_ = false;
  std::vector<std::string> protected_;  // the protected folders, found once per run
};

Ending Run::Execute() {
  const AppState& state = host_.State();
  bool any = false;
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) any = any || (i < sel_.selected.size() && sel_.selected[i]);
  if (!any) {
    prompts_.Ask("No uninstall actions selected.  You must select at least one action to be performed.",
                 "No actions selected");
    return {RunOutcome::Stay, std::nullopt};
  }
  if (policy_.rememberBoxes) {
    Settings settings = host_.AppSettings();
    settings.WriteYesNo(settings::kVerifyAllUninstall, sel_.verifyBox);
    settings.WriteYesNo(settings::kDLLDepend, sel_.dllCheckBox);
  }

  dllCheck_ = sel_.dllCheckBox;

  // Safety copies; only win.ini and system.ini are required.
  const char* copies[][2] = {{"win.ini", "win.uib"}, {"system.ini", "system.uib"}, {"protocol.ini", "protocol.uib"}};
  for (int i = 0; i < 3; ++i) {
    const std::string from = IniPath(copies[i][0]);
    if (!CopyFileChecked(from, IniPath(copies[i][1])) && i < 2) {
      prompts_.Ask(kCopyErrorText, from);
      return {RunOutcome::Stay, std::nullopt};
    }
  }
  CopyFileChecked("c:\\msdos.sys", "c:\\msdos.uib");

  const std::string logPath = WithLastThree(sel_.actionFile, "log");
  log_.Open(logPath, OutputFile::Mode::Append);
  if (log_.is_open()) logPath_ = logPath;
  if (!log_.is_open()) {
    prompts_.Ask("Unable to open uninstall log file", "File error");
    return {RunOutcome::CloseOk, std::nullopt};
  }
  // The box as the user left it decides, not what the settings file kept of it.
  verify_ = sel_.verifyBox;
  if (!verify_ && !policy_.unverifiedConfirmed &&
      prompts_.Ask("Are you sure you want to carry out ALL selected uninstall actions without further interaction?",
                   "No verify uninstall", mb::kYesNo) == id::kNo)
    return {RunOutcome::CloseCancel, std::nullopt};

  if (dllCheck_ && sel_.dllLinesPresent) {
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
      if (!ScanDllReferences(host_, state.BackupDirectory, roots, env_.moveAway)) closeWithCancel_ = true;
    }
  }

  LogText(UninstallLogHeader(host_.Time().Now()));
  if (LogFailed()) return {RunOutcome::Stay, std::nullopt};
  for (std::size_t i = 0; i < sel_.entries.size(); ++i) {
    if (!sel_.selected[i]) continue;
    if (env_.stopRequested && env_.stopRequested())
      return {closeWithCancel_ ? RunOutcome::CloseCancel : RunOutcome::Stay, std::nullopt};
    const std::string& line = sel_.entries[i];
    const std::string& original = i < sel_.originals.size() ? sel_.originals[i] : line;
    current_ = i;
    bool goOn = true;
    switch (ClassifyAction(line)) {
      case ActionKind::Change: goOn = DoChange(line, original); break;
      case ActionKind::Add: goOn = DoAdd(line, original); break;
      case ActionKind::RegDatRemove: goOn = DoRegistry(line); break;
      case ActionKind::Remove: goOn = DoRemove(line); break;
      case ActionKind::RemoveFile: goOn = DoRemoveFile(line); break;
      case ActionKind::RegValueRemove:
      case ActionKind::RegValueRestore: goOn = DoValue(original); break;
      case ActionKind::None: break;
    }
    if (LogFailed()) return {RunOutcome::Stay, std::nullopt};
    if (!goOn) return {closeWithCancel_ ? RunOutcome::CloseCancel : RunOutcome::Stay, std::nullopt};
  }
  current_ = static_cast<std::size_t>(-1);
  const bool view =
      policy_.offerLog &&
      prompts_.Ask("Would you like to view the uninstall log file, which shows all actions done/not done?",
                   "Uninstall Complete", mb::kYesNo) == id::kYes;
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
  if (!log_.Close()) prompts_.Ask(kLogWriteErrorText, "File error");
  return {closeWithCancel_ ? RunOutcome::CloseCancel : RunOutcome::CloseOk,
          view ? std::optional<std::string>(logPath) : std::nullopt};
}

bool Run::DoChange(const std::string& line, const std::string& original) {
  auto a = ParseChangeAction(line);
  if (!a) return IntegrityError(), true;
  auto asWritten = ParseChangeAction(original);
  const int answer = Verify("Do you want to CHANGE the '" + a->key + "' entry from '" + a->value + "' to '" +
                            a->previous + "' in the '" + a->section + "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", line), true;
  const IniAction& write = asWritten && EqualsNoCase(original, line) ? *asWritten : *a;
  const bool ok = ProfileWrite(IniPath(a->file), write.section, write.key, write.previous);
  LogIniEdit(ok, line);
  return true;
}

bool Run::DoAdd(const std::string& line, const std::string& original) {
  auto a = ParseAddAction(line);
  if (!a) return IntegrityError(), true;
  auto asWritten = ParseAddAction(original);
  const int answer = Verify("Do you want to ADD the '" + a->key + "=" + a->value + "' entry to the '" + a->section +
                            "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", line), true;
  const std::string ini = IniPath(a->file);
  const IniAction& write = asWritten && EqualsNoCase(original, line) ? *asWritten : *a;
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
  return true;
}

bool Run::DoRemove(const std::string& line) {
  auto a = ParseRemoveAction(line);
  if (!a) return IntegrityError(), true;
  const int answer = Verify("Do you want to REMOVE the '" + a->key + "=" + a->value + "' entry from the '" +
                            a->section + "' section of your " + a->file + " file?");
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", line), true;
  const std::string ini = IniPath(a->file);
  if (IsSystemIniDeviceLine(*a)) {
    ProfileFlush(ini);
    const StepResult r = RewriteSystemIni(false, a->value);
    LogIniEdit(r == StepResult::Done, line);
    return r != StepResult::Stopped;
  }
  bool ok = ProfileDeleteKey(ini, a->section, a->key);
  if (ok && ProfileKeys(ini, a->section).empty()) ok = ProfileDeleteSection(ini, a->section);
  LogIniEdit(ok, line);
  return true;
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
  const auto lines = SplitTextLines(*content);
  const auto rewritten = insert ? InsertDeviceLine(lines, value) : RemoveDeviceLine(lines, value);
  if (!ReplaceFileKeepingAttributes(ini, JoinTextLines(rewritten))) {
    prompts_.Ask("Error opening system.ini. Backup file is system.tsd.", "File Error");
    return insert ? StepResult::Failed : StepResult::Stopped;
  }
  DeleteFileChecked(safety);
  return StepResult::Done;
}

bool Run::DoRegistry(const std::string& line) {
  auto a = ParseRegDatRemoveAction(line);
  if (!a) return IntegrityError(), true;
  const HKEY root = RootKeyNamed(a->root);
  // Protected by the name in the line, or by the name the registry itself gives the key
  // (HKEY_CLASSES_ROOT\CLSID is HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID, a control set
  // may be reached through a link, a name may differ in letters the registry folds).
  bool isProtected = IsProtectedKey(a->keyPath);
  if (!isProtected && root) {
    const std::string canonical = RegKey::OpenForReading(root, a->subkey).FullName();
    isProtected = !canonical.empty() && IsProtectedKey(canonical);
  }
  if (isProtected) return Refuse(kProtectedKeyText, a->keyPath, "NOT DONE(Protected):", line), true;
  const int answer = Verify("Do you want to REMOVE the '" + a->keyPath + "' key from your Registry file?");
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", line), true;
  const bool ok = root && !a->subkey.empty() && RegKey::Root(root).DeleteTree(a->subkey);
  if (!ok) prompts_.Ask("Error removing Registry entry. This entry may have already been removed.", a->keyPath);
  Log(ok ? "DONE:" : "NOT DONE(ERROR):", line);
  return true;
}

std::string Run::ValueText(const std::string& line, const std::string& original) {
  const auto a = ParseValueAction(original);
  return a ? DescribeValueAction(*a, AnsiText) : line;
}

// A value line changes one value of one key: it deletes no key, so the protected keys do
// not hold it back (putting back a Run entry or the PATH of the environment is what it is
// for). It is read from the line as written, since its name and data keep their case.
bool Run::DoValue(const std::string& original) {
  const auto a = ParseValueAction(original);
  if (!a) return IntegrityError(), true;
  const std::string text = DescribeValueAction(*a, AnsiText);
  const std::string name = DescribeValueName(a->name, AnsiText);
  const std::string data = DescribeValueData(a->data, AnsiText);
  const HKEY root = RootKeyNamed(a->root);
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
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", text), true;
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
  return true;
}

bool Run::InScope(const FileAction& a) {
  return EqualsNoCase(FullPathName(a.path), a.path) && EqualsNoCase(FullPathName(a.directory), a.directory) &&
         IsOnLocalFixedDrive(a.path);
}

bool Run::IsProtectedFolder(const std::string& path) {
  if (!protectedKnown_) {
    protected_ = ProtectedFolders({host_.State().BackupDirectory});
    protectedKnown_ = true;
  }
  return RemovesProtectedFolder(path, protected_);
}

bool Run::DoRemoveFile(const std::string& line) {
  auto a = ParseRemoveFileAction(line);
  if (!a || !InScope(*a)) return IntegrityError(), true;
  const std::string withMarker = a->isDirectory ? a->path + "  (DIR)" : a->path;
  const DWORD attributes = GetFileAttributesA(a->path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    prompts_.Ask("This file/directory could not be found. It may have already been removed.", a->path);
    Log("NOT DONE(File not found):", line);
    return true;
  }
  // What is there must be what the line names: a folder for a "(DIR)" line, and no file
  // whose own name is the line's (a file "KEEP  (DIR)" is written like the folder KEEP);
  // a file for any other line.
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (a->isDirectory && !isFolder) return Refuse(kNotADirectoryText, withMarker, "NOT DONE(Not a directory):", line), true;
  if (a->isDirectory && PathExists(withMarker))
    return Refuse(kAmbiguousText, withMarker, "NOT DONE(Ambiguous name):", line), true;
  if (!a->isDirectory && isFolder) return Refuse(kNotAFileText, a->path, "NOT DONE(Not a file):", line), true;
  if (IsProtectedFolder(a->path)) return Refuse(kProtectedFolderText, withMarker, "NOT DONE(Protected):", line), true;

  int answer = id::kYes;
  if (dllCheck_ && ContainsNoCase(withMarker, ".DLL")) {
    // The DLL Dependencies dialog is the question for a DLL whenever the check is on.
    answer = env_.askDll ? env_.askDll(a->path) : id::kNo;
    if (answer == id::kCancel) {
      if (env_.moveBack) env_.moveBack();
      closeWithCancel_ = true;
    }
  } else if (verify_) {
    answer = prompts_.Ask("Do you want to DELETE the file/directory '" + withMarker + "'?", kVerifyCaption,
                          mb::kYesNoCancel);
  }
  if (answer == id::kCancel) return false;
  if (answer == id::kNo) return Log("NOT DONE:", line), true;
  // Each outcome is logged once it is known.
  if (a->isDirectory) {
    const int sure = prompts_.Ask(
        "This directory, all its files and all sub-directories and their files will be removed.\n Are you sure?",
        withMarker, mb::kYesNoCancel);
    if (sure == id::kCancel) return false;
    if (sure == id::kNo) return Log("NOT DONE:", line), true;
    Log(RemoveTree(a->path) ? "DONE:" : "NOT DONE(ERROR):", line);
    return true;
  }
  if (CanWriteFile(a->path)) DeleteToRecycleBin(a->path);
  if (PathExists(a->path)) {
    prompts_.Ask(kInUseText, a->path);
    Log("NOT DONE(ERROR):", line);
    LogText(kInUseLogLine);
    return true;
  }
  Log("DONE:", line);
  return true;
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
    if (entry.attributes != FILE_ATTRIBUTE_DIRECTORY) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteToRecycleBin(path);
    if (PathExists(path)) prompts_.Ask(kInUseText, dir);
  }
  // An installer's folder may be hidden, system or read-only; it goes all the same.
  SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteToRecycleBin(dir);
  if (PathExists(dir)) {
    SetFileAttributesA(dir.c_str(), attributes);
    return false;
  }
  return true;
}

}  // namespace

UninstallEnvironment DefaultUninstallEnvironment(Host& host, std::function<int(const std::string&)> askDll) {
  UninstallEnvironment env;
  env.windowsDirectory = host.State().WindowsDirectory;
  env.askDll = std::move(askDll);
  env.scanRoots = LocalScanRoots;
  return env;
}

UninstallResult RunUninstall(Host& host, const UninstallSelection& selection, const UninstallEnvironment& env,
                             const UninstallPolicy& policy) {
  Run run(host, selection, env, policy);
  const Ending end = run.Execute();
  return {end.outcome, end.logToShow, run.TakeActions(), run.logPath()};
}

}  // namespace tessary
