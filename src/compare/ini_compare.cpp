#include "compare/ini_compare.h"

#include <new>
#include <optional>
#include <unordered_set>
#include <vector>

#include "compare/logic/compare_text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/ini_document.h"
#include "platform/profile.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

constexpr const char* kNotFound = "Not Found";

bool IsSystemPath(const std::string& path) {
  return path.find("system") != std::string::npos || path.find("SYSTEM") != std::string::npos;
}

// The value of `key` in `section` of `file` as the system's INI reader returns it, whole,
// or nothing when the reader does not find the key. A value that itself reads "Not
// Found" is told from a missing key by a second look-up with another default.
std::optional<std::string> LookUp(const std::string& file, const std::string& section, const std::string& key) {
  std::string value = ProfileReadFull(file, section, key, kNotFound);
  if (!EqualsNoCase(value, kNotFound)) return value;
  std::string again = ProfileReadFull(file, section, key, "");
  if (again.empty()) return std::nullopt;
  return again;
}

enum class Finding { None, Added, Deleted, Changed };

// Whether the uninstall file's reader takes `action` (as it loads it: upper-cased) for
// the entry `key` of `section` in `target`. A name that the line format cannot carry
// (a "]" in the section name, a ">" in the key, ...) would make it name another entry.
bool ActionNamesEntry(const std::string& action, Finding finding, const std::string& key, const std::string& target,
                      const std::string& section) {
  const std::string loaded = ToUpperAscii(action);
  std::optional<IniAction> parsed = finding == Finding::Changed   ? ParseChangeAction(loaded)
                                    : finding == Finding::Deleted ? ParseAddAction(loaded)
                                                                  : ParseRemoveAction(loaded);
  return parsed && EqualsNoCase(parsed->key, key) && EqualsNoCase(parsed->file, target) &&
         EqualsNoCase(parsed->section, section);
}

struct IniFile {
  const char* title;
  const char* target;
  const char* fileName;  // in the Windows directory
  const char* base;      // of the backup copy
};

const IniFile kIniFiles[] = {
    {"Comparing Win.ini", "WIN.INI", "win.ini", "win"},
    {"Comparing System.ini", "SYSTEM.INI", "system.ini", "system"},
    {"Comparing Protocol.ini", "PROTOCOL.INI", "protocol.ini", "protocol"},
};

}  // namespace

bool FindDeviceLine(Prompter& prompts, const std::string& deviceLine, const std::string& path) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    prompts.Ask("Error opening system file to find Device= line.", "File Error", mb::kOk | mb::kIconExclamation);
    return false;
  }
  // The entry is compared as the INI reader takes both lines (blanks around the key
  // and the value, and the line end, do not count), in every [386enh] section.
  const IniLine wanted = ClassifyIniLine(deviceLine);
  bool inSection = false;
  for (const std::string& line : SplitIniLines(DecodeIniFile(*bytes).text)) {
    IniLine parsed = ClassifyIniLine(line);
    if (parsed.kind == IniLine::Kind::Section) {
      inSection = EqualsNoCase(parsed.name, "386enh");
    } else if (inSection && parsed.kind == IniLine::Kind::Key && EqualsNoCase(parsed.key, wanted.key) &&
               EqualsNoCase(parsed.value, wanted.value)) {
      return true;
    }
  }
  return false;
}

namespace {

// The lines of `path` as the system's INI reader takes them, whole (so that the entry
// read here is the entry the look-up in the other file finds, and a long value is not cut
// into pieces that read as entries or sections of their own), in the file's encoding (a
// byte-order mark is no part of the first line); nothing, said, when the file cannot be
// read.
std::optional<std::vector<std::string>> ReadIniLines(Prompter& prompts, const std::string& path) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    prompts.Ask("Error opening file.", path, mb::kOk | mb::kIconExclamation);
    return std::nullopt;
  }
  return SplitIniLines(DecodeIniFile(*bytes).text);
}

// Every entry of the other file, as "section<US>key<US>value" (any case), in whichever
// section of a name it stands: an entry of a repeated section is looked for there, since
// the system's reader finds none of them. Read when the first repeated section is met.
class EntriesOfEveryBlock {
 public:
  explicit EntriesOfEveryBlock(const std::string& path) : path_(path) {}
  bool Holds(const std::string& section, const IniLine& entry) {
    if (!read_) Read();
    return entries_.count(Joined(section, entry.key, entry.value)) > 0;
  }

 private:
  static std::string Joined(const std::string& section, const std::string& key, const std::string& value) {
    return section + '\x1F' + key + '\x1F' + value;
  }
  void Read() {
    read_ = true;
    const std::optional<std::string> bytes = ReadWholeFile(path_);
    if (!bytes) return;
    std::string section;
    for (const std::string& line : SplitIniLines(DecodeIniFile(*bytes).text)) {
      const IniLine parsed = ClassifyIniLine(line);
      if (parsed.kind == IniLine::Kind::Section) section = parsed.name;
      if (parsed.kind == IniLine::Kind::Key) entries_.insert(Joined(section, parsed.key, parsed.value));
    }
  }
  const std::string& path_;
  bool read_ = false;
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> entries_;
};

// The section a pass is in, and the names it has seen.
struct PassSection {
  std::string name;
  bool compared = false;  // inside a named section
  bool repeated = false;  // a second section of a name: the reader never looks there
  bool reported = false;  // its header is in the report
  std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seen;

  void Enter(const std::string& section) {
    name = section;
    // Entries under "[]" belong to no section the reader can name.
    compared = !name.empty();
    repeated = !seen.insert(name).second;
    reported = false;
  }
};

// What one pass compares: the file it reads line by line, the file it looks each entry
// up in, and which findings it makes.
struct PassFiles {
  const std::string& scanPath;
  const std::string& otherPath;
  const std::string& target;
  IniPassKind kind;
  bool systemFile;
};

// Whether the entry of one line is a finding of the pass; `found` is the other file's
// value of it (empty for a device= line found there).
Finding FindingOf(Prompter& prompts, const PassFiles& files, const PassSection& section, const std::string& line,
                  const IniLine& parsed, bool deviceLine, std::optional<std::string>& found) {
  if (deviceLine) {
    if (FindDeviceLine(prompts, line, files.otherPath)) found = std::string();
  } else {
    found = LookUp(files.otherPath, section.name, parsed.key);
  }
  if (!found) return files.kind == IniPassKind::AddedAndChanged ? Finding::Added : Finding::Deleted;
  if (files.kind == IniPassKind::AddedAndChanged && !deviceLine && (parsed.value.empty() || parsed.value.front() != '"') &&
      !EqualsNoCase(WithoutIniQuotes(parsed.value), *found))
    return Finding::Changed;
  return Finding::None;
}

// Whether an uninstall action can reach the entry of a finding: not in a repeated section.
enum class Reach { Action, RepeatedSection };

// The finding in the report (under its section's header, written once) and its action,
// or the note that no action can name or reach the entry.
void WriteFinding(CompareRun& run, SectionOutput& out, PassSection& section, const std::string& target,
                  Finding finding, const IniLine& parsed, const std::optional<std::string>& found, Reach reach) {
  if (!section.reported) {
    out.Report("[" + section.name + "]\n");
    section.reported = true;
  }
  const std::string keyValue = parsed.key + "=" + parsed.value;
  ReportFinding typed;
  typed.context = section.name;
  typed.key = parsed.key;
  typed.value = parsed.value;
  std::string action;
  switch (finding) {
    case Finding::Added:
      typed.change = "added";
      typed.line = "ADDED: " + keyValue;
      out.Report("ADDED: " + keyValue + "\n");
      action = FormatRemoveAction(parsed.key, parsed.value, target, section.name);
      break;
    case Finding::Deleted:
      typed.change = "deleted";
      typed.line = "DELETED: " + keyValue;
      out.Report("DELETED: " + keyValue + "\n");
      action = FormatAddAction(parsed.key, parsed.value, target, section.name);
      break;
    case Finding::Changed:
      typed.change = "changed";
      typed.line = "TO:    " + keyValue;
      typed.from = found.value_or("");
      out.Report("FROM:  " + parsed.key + "=" + found.value_or("") + "\nTO:    " + keyValue + "\n");
      action = FormatChangeAction(parsed.key, parsed.value, found.value_or(""), target, section.name);
      break;
    case Finding::None:
      return;
  }
  typed.noAction = true;
  bool undone = false;
  if (reach == Reach::RepeatedSection) {
    out.ReportLine(kRepeatedSectionNote);
  } else if (ActionNamesEntry(action, finding, parsed.key, target, section.name)) {
    typed.noAction = false;
    out.Action(action);
    undone = true;
  } else {
    out.ReportLine(kNoActionNote);
  }
  if (run.summarize) {
    const FindingKind kind = finding == Finding::Added     ? FindingKind::IniAdded
                             : finding == Finding::Deleted ? FindingKind::IniDeleted
                                                           : FindingKind::IniChanged;
    run.findings.push_back({kind, target, section.name, parsed.key, parsed.value,
                        finding == Finding::Changed ? found.value_or("") : "", false, undone ? action : ""});
  }
  run.Found(std::move(typed));
}

}  // namespace

IniPassResult IniPass(CompareRun& run, const std::string& scanPath, const std::string& otherPath,
                      const std::string& target, IniPassKind kind) {
  Prompter& prompts = run.host.Prompts();
  try {
    const std::optional<std::vector<std::string>> lines = ReadIniLines(prompts, scanPath);
    if (!lines) return IniPassResult::Found;
    SectionOutput out(run);
    if (!out.ok()) {
      prompts.Ask("Error opening compare file", "File error", mb::kOk | mb::kIconExclamation);
      return IniPassResult::Found;
    }
    const PassFiles files{scanPath, otherPath, target, kind, IsSystemPath(scanPath)};
    IniPassResult result = IniPassResult::Nothing;
    PassSection section;
    EntriesOfEveryBlock otherEntries(otherPath);
    for (const std::string& line : *lines) {
      const IniLine parsed = ClassifyIniLine(line);
      if (parsed.kind == IniLine::Kind::Section) {
        run.progress.SetDetailText(line);
        if (run.CheckCancelled()) return IniPassResult::Cancelled;
        section.Enter(parsed.name);
        continue;
      }
      if (!section.compared || parsed.kind != IniLine::Kind::Key) continue;
      const bool deviceLine = files.systemFile && IsDeviceLine(line);
      if (section.repeated && !deviceLine) {
        // The reader never looks here: the entry counts as added (or deleted) when the
        // other file holds it in no section of that name, and no action can reach it.
        if (otherEntries.Holds(section.name, parsed)) continue;
        result = IniPassResult::Found;
        WriteFinding(run, out, section, target,
                     kind == IniPassKind::AddedAndChanged ? Finding::Added : Finding::Deleted, parsed, std::nullopt,
                     Reach::RepeatedSection);
        continue;
      }
      std::optional<std::string> found;
      const Finding finding = FindingOf(prompts, files, section, line, parsed, deviceLine, found);
      if (finding == Finding::None) continue;
      result = IniPassResult::Found;
      WriteFinding(run, out, section, target, finding, parsed, found, Reach::Action);
    }
    return result;
  } catch (const std::bad_alloc&) {
    prompts.Ask("Not enough memory.", "Out of memory error.", mb::kOk | mb::kIconStop);
    return IniPassResult::Found;
  }
}

SectionResult CompareIniFiles(CompareRun& run) {
  const bool same[] = {run.sameDate.win, run.sameDate.system, run.sameDate.protocol};
  for (int i = 0; i < 3; ++i) {
    const IniFile& file = kIniFiles[i];
    const std::string backupPath = run.BackupPath(file.base);
    if (!FileExists(backupPath)) continue;
    const std::string currentPath = run.windowsDirectory + "\\" + file.fileName;
    run.progress.SetMainText(file.title);
    run.progress.SetDetailText("");
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    {
      SectionOutput out(run);
      if (!out.ok()) {
        run.host.Prompts().Ask("Error opening compare file", "File error", mb::kOk | mb::kIconExclamation);
        continue;
      }
      if (same[i]) {
        if (!run.brief) {
          out.Report(std::string("====================\n") + file.target +
                     " - No changes made (File has same date/time)\n");
          run.OpenSection(SectionKind::Ini, file.target).sameDate = true;
        }
        continue;
      }
      out.Report(std::string("====================\n") + file.target + "\n");
      run.OpenSection(SectionKind::Ini, file.target);
      if (!run.brief) out.Report("------\nLines Added or Changed:\n- - -\n");
    }
    const IniPassResult added = IniPass(run, currentPath, backupPath, file.target, IniPassKind::AddedAndChanged);
    if (added == IniPassResult::Cancelled || run.CheckCancelled()) return SectionResult::Cancelled;
    {
      SectionOutput out(run);
      if (added == IniPassResult::Nothing) out.Report("No Added or Changed lines found.\n");
      if (!run.brief) out.Report("------\nLines Deleted (or ignored with ';'):\n- - -\n");
    }
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    const IniPassResult deleted = IniPass(run, backupPath, currentPath, file.target, IniPassKind::Deleted);
    if (deleted == IniPassResult::Cancelled || run.CheckCancelled()) return SectionResult::Cancelled;
    if (deleted == IniPassResult::Nothing) SectionOutput(run).Report("No Deleted lines found.\n");
  }
  return SectionResult::Done;
}

}  // namespace tessary
