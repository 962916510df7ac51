// The directory sections of a compare run.
#include "compare/dir_compare.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>

#include "compare/logic/compare_text.h"
#include "compare/logic/dir_logic.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/text_lines.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

// "2026-12-08T12:40:06".
std::string IsoDate(DosDateTime when) {
  const CivilTime t = UnpackDos(when);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

bool CanAppend(CompareRun& run, bool report) {
  if (OutputFile* open = report ? run.reportFile : run.actionFile) return open->is_open();
  return OutputFile(report ? run.reportPath : run.actionPath, OutputFile::Mode::Append).is_open();
}

struct StandardDirectory {
  const char* title;
  const SettingKey* setting;
  const char* relative;  // below the Windows directory; nullptr for Program Files
  const char* listingBase;
  const char* notScanned;
};

const StandardDirectory kStandardDirectories[] = {
    {"Comparing Windows Directory", &settings::kDirWin, "", "windir",
     "--Windows Directory not scanned. User has disabled scanning of this Directory.\n"},
    {"Comparing System Directory", &settings::kDirSys, "\\SYSTEM", "sysdir",
     "--System Directory not scanned. User has disabled scanning of this Directory.\n"},
    {"Comparing Fonts Directory", &settings::kDirFonts, "\\FONTS", "fontdir",
     "--Fonts Directory not scanned. User has disabled scanning of this Directory.\n"},
    {"Comparing Inf Directory", &settings::kDirInf, "\\inf", "infdir",
     "--Inf Directory not scanned. User has disabled scanning of this Directory.\n"},
    {"Comparing Help Directory", &settings::kDirHelp, "\\HELP", "helpdir",
     "--Help Directory not scanned. User has disabled scanning of this Directory.\n"},
    {"Comparing Program Files Directory", &settings::kDirProg, nullptr, "prgsdir",
     "--Program Files Directory not scanned. User has disabled scanning of this Directory.\n"},
};

constexpr const char* kRootsNotScanned =
    "--Root Directories not scanned. User has disabled scanning of these Directories.\n";

// Shows a section's title and tests for cancellation, as every section starts.
bool StartSection(CompareRun& run, const std::string& title) {
  run.progress.SetMainText(title);
  run.progress.SetDetailText("");
  return !run.CheckCancelled();
}

void ReportOnly(CompareRun& run, const std::string& text) {
  SectionOutput out(run);
  out.Report(text);
}

// A "--... not scanned." line: in the report and among the run's not-scanned lines.
void NotScanned(CompareRun& run, const std::string& line) {
  ReportOnly(run, line);
  run.notScanned.push_back(line.substr(0, line.size() - 1));
}

}  // namespace

bool ActionNamesEntry(const std::string& action, const std::string& directory, const std::string& name,
                      bool isDirectory) {
  std::optional<FileAction> parsed = ParseRemoveFileAction(ToUpperAscii(action));
  if (!parsed || parsed->isDirectory != isDirectory) return false;
  std::string expected = directory;
  if (expected.empty() || expected.back() != '\\') expected += '\\';
  return EqualsNoCase(parsed->path, expected + name);
}

SectionResult CompareOneDirectory(CompareRun& run, const std::string& directory, const std::string& listingPath) {
  Prompter& prompts = run.host.Prompts();
  Settings settings = run.AppSettings();
  bool excludeIni = settings.IsYes(settings::kExcludeIni);
  bool excludeGrp = settings.IsYes(settings::kExcludeGrp);

  std::unique_ptr<BackupListing> listing;
  try {
    std::optional<std::string> content = ReadWholeFile(listingPath);
    if (!content) {
      prompts.Ask("Error opening backup file.", listingPath);
      return SectionResult::Done;
    }
    // A listing from before names were written in UTF-8 holds them in the machine's
    // ANSI code page.
    listing = std::make_unique<BackupListing>(FromOlderLines(*content));
  } catch (const std::bad_alloc&) {
    prompts.Ask("Not enough memory.", "Out of memory error.");
    return SectionResult::Done;
  }
  if (!CanAppend(run, true)) {
    prompts.Ask("Error opening compare file.", "File error");
    return SectionResult::Done;
  }
  if (!CanAppend(run, false)) {
    prompts.Ask("Error opening uninstall file.", "File error");
    return SectionResult::Done;
  }

  // A recorded set was written since every folder is marked in its listings; only an
  // older one may stand a folder under its bare name.
  const ListingForm form = run.setFiles.recorded() ? ListingForm::EveryFolderMarked : ListingForm::Older;
  const std::string reportDir = ReportDirectory(directory);
  const std::string searchPath =
      (!directory.empty() && directory.back() == '\\' ? directory : directory + "\\") + "*.*";
  SectionOutput out(run);
  bool headed = false;
  DirSearch search(searchPath);
  FindEntry entry;
  while (search.Next(entry)) {
    // A folder is a folder whatever its other attributes (hidden, read-only, system).
    bool isDirectory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!isDirectory && (entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
    // "." and ".." are the folder itself and its parent, never entries of their own. A
    // folder made since the backup has an empty listing: reporting them as added would
    // offer the folder's parent (the Windows folder, for System) for removal.
    if (entry.name == "." || entry.name == "..") continue;
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    const std::string key = ListingKey(entry.name, isDirectory);
    run.progress.SetDetailText(PrintableName(key));
    const EntryNameUse use = ClassifyEntryName(entry.name, isDirectory);
    EntryCheck check;
    DosDateTime now = ToDosDateTime(entry.lastWrite);
    // A name that no line can carry is in no listing: it is named, never compared.
    if (use != EntryNameUse::Unwritable) {
      check = CheckEntry(*listing, entry.name, isDirectory, now, excludeIni, excludeGrp, form);
      if (check.finding == EntryFinding::Unchanged) continue;
    }
    const std::string fullPath = reportDir + (reportDir.back() == '\\' ? "" : "\\") + entry.name;
    if (!headed) {
      out.Report("===============\n" + reportDir + " Directory\n");
      run.OpenSection(SectionKind::Directory, reportDir);
      run.noChangesFound = false;
      headed = true;
    }
    ReportFinding finding;
    finding.name = entry.name;
    if (use == EntryNameUse::Unwritable) {
      finding.change = "leftOut";
      finding.name = PrintableName(key);
      finding.line = kLeftOutPrefix + finding.name;
      finding.noAction = true;
      out.ReportLine(finding.line);
    } else if (check.finding == EntryFinding::Updated) {
      const DosDateTime old = ParseListingDateTime(check.oldDateTime);
      finding.change = "updated";
      finding.line = UpdatedLine(entry.name, now, old);
      finding.newTime = FormatReportDate(now);
      finding.oldTime = FormatReportDate(old);
      finding.newAt = IsoDate(now);
      finding.oldAt = IsoDate(old);
      finding.noAction = true;  // updated files are reported only
      out.ReportLine(finding.line);
      if (run.summarize) run.findings.push_back({FindingKind::EntryUpdated, fullPath, "", "", "", "", isDirectory, ""});
    } else {
      finding.change = "added";
      finding.isDirectory = isDirectory;
      finding.line = AddedLine(entry.name, isDirectory);
      out.ReportLine(finding.line);
      const std::string action = FormatRemoveFileAction(entry.name, isDirectory, reportDir);
      if (use != EntryNameUse::Action || !ActionNamesEntry(action, directory, entry.name, isDirectory)) {
        out.ReportLine(kNoActionNote);
        finding.noAction = true;
      } else if (!UninstallCanReach(reportDir + (reportDir.back() == '\\' ? "" : "\\") + entry.name)) {
        out.ReportLine(kLongPathNote);
        finding.noAction = true;
      } else {
        out.Action(action);
      }
      if (run.summarize)
        run.findings.push_back({FindingKind::EntryAdded, fullPath, "", "", "", "", isDirectory,
                                out.ActionWritten(action) ? action : ""});
    }
    run.Found(std::move(finding));
  }
  return SectionResult::Done;
}

SectionResult CompareDirectories(CompareRun& run) {
  AppState& state = run.State();
  Settings settings = run.AppSettings();
  const std::string& windows = state.WindowsDirectory;

  for (const StandardDirectory& d : kStandardDirectories) {
    std::string listing = run.BackupPath(d.listingBase);
    std::string directory = d.relative ? windows + d.relative : windows.substr(0, 2) + "\\Program Files";
    if (!settings.IsYes(*d.setting)) {
      NotScanned(run, d.notScanned);
      run.NotComparedAt(directory, NotComparedWhy::SwitchedOff);
      continue;
    }
    if (!FileExists(listing)) {
      run.NotComparedAt(directory, NotComparedWhy::NoBaseline);
      continue;
    }
    run.Compared(directory);
    if (!StartSection(run, d.title)) return SectionResult::Cancelled;
    if (CompareOneDirectory(run, directory, listing) == SectionResult::Cancelled) return SectionResult::Cancelled;
  }

  // The Start Menu is always compared; a missing listing gives its open error.
  if (!StartSection(run, "Comparing Start Menu")) return SectionResult::Cancelled;
  run.Compared(StartMenuProgramsFolder(windows));
  if (CompareOneDirectory(run, StartMenuProgramsFolder(windows), run.BackupPath("startdir")) ==
      SectionResult::Cancelled)
    return SectionResult::Cancelled;

  if (FileExists(run.BackupPath("msdos"))) {
    if (!StartSection(run, "Comparing Desktop")) return SectionResult::Cancelled;
    run.Compared(DesktopFolder(windows));
    if (CompareOneDirectory(run, DesktopFolder(windows), run.BackupPath("desktop")) == SectionResult::Cancelled)
      return SectionResult::Cancelled;
  }

  if (!settings.IsYes(settings::kDirRoots)) {
    NotScanned(run, kRootsNotScanned);
    run.NotComparedAt("the root directories", NotComparedWhy::SwitchedOff);
  } else {
    bool titled = false;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
      if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
      std::string listing = run.BackupPath(std::string("rootdir") + letter);
      if (!run.setFiles.Holds(listing)) continue;
      if (!titled) {
        if (!StartSection(run, "Comparing Root Directories")) return SectionResult::Cancelled;
        titled = true;
      } else if (run.CheckCancelled()) {
        return SectionResult::Cancelled;
      }
      run.Compared(std::string(1, letter) + ":\\");
      if (CompareOneDirectory(run, std::string(1, letter) + ":", listing) == SectionResult::Cancelled)
        return SectionResult::Cancelled;
    }
  }

  for (int n = 1; n <= 5; ++n) {
    std::string directory = settings.Read(settings::kOptDir[n - 1]);
    if (directory.empty() || !DirectoryExists(directory)) continue;
    std::string nameFile = state.BackupDirectory + "\\optdir" + std::to_string(n) + ".nam";
    std::optional<std::string> named = ReadWholeFile(nameFile);
    if (named) named = FromOlderText(*named);
    // The name file holds the path as the backup found it. Its first word is what older
    // backups were matched by; the whole text also matches, so that a directory whose
    // path holds a blank ("C:\Program Files") can be compared at all.
    std::string firstWord = named ? named->substr(0, named->find(' ')) : std::string();
    // A listing the set's record does not name was left by an older backup: this one
    // did not list the directory.
    std::string listing = run.BackupPath("optdir" + std::to_string(n));
    if (!named || !(EqualsNoCase(firstWord, directory) || EqualsNoCase(*named, directory)) ||
        (run.setFiles.recorded() && !run.setFiles.Holds(listing))) {
      run.host.Prompts().Ask(kUserDirMismatchText, directory);
      continue;
    }
    if (!StartSection(run, "Comparing " + directory + " Directory")) return SectionResult::Cancelled;
    run.Compared(directory);
    if (CompareOneDirectory(run, directory, listing) == SectionResult::Cancelled) return SectionResult::Cancelled;
  }
  return SectionResult::Done;
}

}  // namespace tessary
