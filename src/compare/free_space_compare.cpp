// The free-space section of a compare run: the change of free space on every fixed
// drive since the backup, with a note where the Windows swap file may blur it.
#include <windows.h>

#include <optional>
#include <string>

#include "compare/compare_run.h"
#include "compare/dir_compare.h"
#include "compare/logic/dir_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text_lines.h"
#include "snapshot/backup_set.h"

namespace tessary {

namespace {

bool BeginsWithLetter(const std::string& text, char letter) {
  return !text.empty() && AsciiUpper(text[0]) == AsciiUpper(letter);
}

}  // namespace

SectionResult CompareFreeSpace(CompareRun& run) {
  AppState& state = run.State();
  const std::string systemIni = state.WindowsDirectory + "\\system.ini";
  std::string text = "- - - - -\n";
  std::vector<ReportFinding> found;
  std::vector<std::string> notes;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    std::string record = state.BackupDirectory + "\\" + letter + "_free." + run.freeSpaceExt;
    if (!FileExists(record)) continue;
    std::optional<std::string> content = ReadWholeFile(record);
    std::optional<std::uint64_t> before = content ? ParseFreeSpaceRecord(*content) : std::nullopt;
    // A record without a number says nothing about the drive; it is passed over
    // rather than read as zero free bytes.
    if (!before) continue;
    std::optional<std::uint64_t> free = FreeBytes(std::string(1, letter) + ":\\");
    if (!free) continue;
    // The swap file counts as the backup counted it, by the one rule both use.
    std::uint64_t now = *free + SwapFileSize(systemIni, state.WindowsDirectory, letter);
    std::string line = FreeSpaceChangeLine(letter, *before, now);
    if (line.empty()) continue;
    text += line;
    ReportFinding finding;
    finding.change = now > *before ? "increase" : "decrease";
    finding.line = line.back() == '\n' ? line.substr(0, line.size() - 1) : line;
    finding.drive = letter;
    finding.bytes = now > *before ? now - *before : *before - now;
    finding.noAction = true;
    found.push_back(std::move(finding));
    std::string pagingDrive = now > *before ? ProfileRead(systemIni, "386enh", "PagingDrive", "not present", 256)
                                             : ProfileRead(systemIni, "386enh", "PagingDrive", "", 256);
    if (now > *before && pagingDrive == "not present") pagingDrive = state.WindowsDirectory;
    if (BeginsWithLetter(pagingDrive, letter)) {
      text += PagingNote(letter);
      ForEachLine(PagingNote(letter), [&](std::string_view note) { notes.emplace_back(note); });
    }
  }
  text += "- - - - -\n";
  SectionOutput out(run);
  out.Report(text);
  run.OpenSection(SectionKind::FreeSpace, "Free disk space");
  for (ReportFinding& finding : found) run.Found(std::move(finding));
  for (const std::string& note : notes) run.Note(note);
  return SectionResult::Done;
}

}  // namespace tessary
