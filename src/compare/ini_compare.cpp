#include "compare/ini_compare.h"

#include <new>
#include <vector>

#include "compare/logic/compare_text.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

constexpr const char* kNotFound = "Not Found";

bool ReadWhole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool IsSystemPath(const std::string& path) {
  return path.find("system") != std::string::npos || path.find("SYSTEM") != std::string::npos;
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
  std::string bytes;
  if (!ReadWhole(path, bytes)) {
    prompts.Ask("Error opening system file to find Device= line.", "File Error", mb::kOk | mb::kIconExclamation);
    return false;
  }
  bool inSection = false;
  for (const std::string& line : SplitLinePieces(bytes, kDevicePiece)) {
    if (!inSection) {
      inSection = line.size() >= 8 && EqualsNoCase(std::string_view(line).substr(0, 8), "[386enh]");
      continue;
    }
    if (!line.empty() && line.front() == '[') return false;
    if (EqualsNoCase(line, deviceLine)) return true;
  }
  return false;
}

int IniPass(CompareRun& run, const std::string& scanPath, const std::string& otherPath, const std::string& target,
            IniPassKind kind) {
  Prompter& prompts = run.host.Prompts();
  try {
    std::string bytes;
    if (!ReadWhole(scanPath, bytes)) {
      prompts.Ask("Error opening file.", scanPath, mb::kOk | mb::kIconExclamation);
      return kIniPassFound;
    }
    const std::vector<std::string> lines = SplitLinePieces(bytes);
    bytes.clear();
    SectionOutput out(run);
    if (!out.ok()) {
      prompts.Ask("Error opening compare file", "File error", mb::kOk | mb::kIconExclamation);
      return kIniPassFound;
    }
    const bool systemFile = IsSystemPath(scanPath);
    int result = kIniPassNothing;
    bool inSection = false;
    bool sectionReported = false;
    std::string section;
    for (const std::string& line : lines) {
      if (!line.empty() && line.front() == '[') {
        run.progress.SetDetailText(line);
        if (run.CheckCancelled()) return kIniPassCancelled;
        IniLine parsed = ClassifyIniLine(line);
        inSection = parsed.kind == IniLine::Kind::Section;
        section = parsed.name;
        sectionReported = false;
        continue;
      }
      if (!inSection) continue;
      IniLine parsed = ClassifyIniLine(line);
      if (parsed.kind != IniLine::Kind::Key) continue;

      const bool deviceLine = systemFile && IsDeviceLine(line);
      std::string found;
      if (deviceLine) {
        found = FindDeviceLine(prompts, line, otherPath) ? "" : kNotFound;
      } else {
        found = ProfileRead(otherPath, section, parsed.key, kNotFound, 249);
      }

      enum { None, Added, Deleted, Changed } finding = None;
      if (EqualsNoCase(found, kNotFound)) {
        finding = kind == IniPassKind::AddedAndChanged ? Added : Deleted;
      } else if (kind == IniPassKind::AddedAndChanged && !EqualsNoCase(parsed.value, found) &&
                 (parsed.value.empty() || parsed.value.front() != '"') && !deviceLine) {
        finding = Changed;
      }
      if (finding == None) continue;

      result = kIniPassFound;
      if (!sectionReported) {
        out.Report("[" + section + "]\n");
        sectionReported = true;
      }
      const std::string keyValue = parsed.key + "=" + parsed.value;
      switch (finding) {
        case Added:
          out.Report("ADDED: " + keyValue + "\n");
          out.Action(FormatRemoveAction(parsed.key, parsed.value, target, section));
          break;
        case Deleted:
          out.Report("DELETED: " + keyValue + "\n");
          out.Action(FormatAddAction(parsed.key, parsed.value, target, section));
          break;
        case Changed:
          out.Report("FROM:  " + parsed.key + "=" + found + "\nTO:    " + keyValue + "\n");
          out.Action(FormatChangeAction(parsed.key, parsed.value, found, target, section));
          break;
        case None:
          break;
      }
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
        if (!run.brief)
          out.Report(std::string("====================\n") + file.target +
                     " - No changes made (File has same date/time)\n");
        continue;
      }
      out.Report(std::string("====================\n") + file.target + "\n");
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
