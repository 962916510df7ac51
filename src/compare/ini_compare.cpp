#include "compare/ini_compare.h"

#include <new>
#include <optional>
#include <unordered_set>
#include <vector>

#include "compare/logic/compare_text.h"
#include "platform/ascii.h"
#include "platform/files.h"
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
  for (const std::string& line : SplitIniLines(*bytes)) {
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

int IniPass(CompareRun& run, const std::string& scanPath, const std::string& otherPath, const std::string& target,
            IniPassKind kind) {
  Prompter& prompts = run.host.Prompts();
  try {
    std::optional<std::string> bytes = ReadWholeFile(scanPath);
    if (!bytes) {
      prompts.Ask("Error opening file.", scanPath, mb::kOk | mb::kIconExclamation);
      return kIniPassFound;
    }
    // Whole lines as the system's INI reader takes them, so that the entry read here is
    // the entry the look-up in the other file finds (and a long value is not cut into
    // pieces that read as entries or sections of their own).
    const std::vector<std::string> lines = SplitIniLines(*bytes);
    bytes.reset();
    SectionOutput out(run);
    if (!out.ok()) {
      prompts.Ask("Error opening compare file", "File error", mb::kOk | mb::kIconExclamation);
      return kIniPassFound;
    }
    const bool systemFile = IsSystemPath(scanPath);
    int result = kIniPassNothing;
    bool compared = false;  // inside a named section
    bool repeated = false;  // a second section of a name: the reader never looks there
    bool sectionReported = false;
    std::string section;
    std::unordered_set<std::string, NoCaseHash, NoCaseEqual> seenSections;
    for (const std::string& line : lines) {
      IniLine parsed = ClassifyIniLine(line);
      if (parsed.kind == IniLine::Kind::Section) {
        run.progress.SetDetailText(line);
        if (run.CheckCancelled()) return kIniPassCancelled;
        section = parsed.name;
        // Entries under "[]" belong to no section the reader can name.
        compared = !section.empty();
        repeated = !seenSections.insert(section).second;
        sectionReported = false;
        continue;
      }
      if (!compared || parsed.kind != IniLine::Kind::Key) continue;

      const bool deviceLine = systemFile && IsDeviceLine(line);
      if (repeated && !deviceLine) continue;
      std::optional<std::string> found;
      if (deviceLine) {
        if (FindDeviceLine(prompts, line, otherPath)) found = std::string();
      } else {
        found = LookUp(otherPath, section, parsed.key);
      }

      Finding finding = Finding::None;
      if (!found) {
        finding = kind == IniPassKind::AddedAndChanged ? Finding::Added : Finding::Deleted;
      } else if (kind == IniPassKind::AddedAndChanged && !deviceLine &&
                 (parsed.value.empty() || parsed.value.front() != '"') &&
                 !EqualsNoCase(WithoutIniQuotes(parsed.value), *found)) {
        finding = Finding::Changed;
      }
      if (finding == Finding::None) continue;

      result = kIniPassFound;
      if (!sectionReported) {
        out.Report("[" + section + "]\n");
        sectionReported = true;
      }
      const std::string keyValue = parsed.key + "=" + parsed.value;
      ReportFinding typed;
      typed.context = section;
      typed.key = parsed.key;
      typed.value = parsed.value;
      std::string action;
      switch (finding) {
        case Finding::Added:
          typed.change = "added";
          typed.line = "ADDED: " + keyValue;
          out.Report("ADDED: " + keyValue + "\n");
          action = FormatRemoveAction(parsed.key, parsed.value, target, section);
          break;
        case Finding::Deleted:
          typed.change = "deleted";
          typed.line = "DELETED: " + keyValue;
          out.Report("DELETED: " + keyValue + "\n");
          action = FormatAddAction(parsed.key, parsed.value, target, section);
          break;
        case Finding::Changed:
          typed.change = "changed";
          typed.line = "TO:    " + keyValue;
          typed.from = *found;
          out.Report("FROM:  " + parsed.key + "=" + *found + "\nTO:    " + keyValue + "\n");
          action = FormatChangeAction(parsed.key, parsed.value, *found, target, section);
          break;
        case Finding::None:
          break;
      }
      typed.noAction = !ActionNamesEntry(action, finding, parsed.key, target, section);
      if (!typed.noAction) {
        out.Action(action);
      } else {
        out.ReportLine(kNoActionNote);
      }
      run.Found(std::move(typed));
    }
    return result;
  } catch (const std::bad_alloc&) {
    prompts.Ask("Not enough memory.", "Out of memory error.", mb::kOk | mb::kIconStop);
    return kIniPassFound;
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
    int added = IniPass(run, currentPath, backupPath, file.target, IniPassKind::AddedAndChanged);
    if (added == kIniPassCancelled || run.CheckCancelled()) return SectionResult::Cancelled;
    {
      SectionOutput out(run);
      if (added == kIniPassNothing) out.Report("No Added or Changed lines found.\n");
      if (!run.brief) out.Report("------\nLines Deleted (or ignored with ';'):\n- - -\n");
    }
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    int deleted = IniPass(run, backupPath, currentPath, file.target, IniPassKind::Deleted);
    if (deleted == kIniPassCancelled || run.CheckCancelled()) return SectionResult::Cancelled;
    if (deleted == kIniPassNothing) SectionOutput(run).Report("No Deleted lines found.\n");
  }
  return SectionResult::Done;
}

}  // namespace tessary
