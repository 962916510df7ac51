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

namespace tessary {

namespace {

bool BeginsWithLetter(const std::string& text, char letter) {
  return !text.empty() && AsciiUpper(text[0]) == AsciiUpper(letter);
}

std::uint64_t SizeOf(const std::string& path) {
  DirSearch search(path);
  FindEntry entry;
  return search.Next(entry) ? entry.size : 0;
}

// The size of the Windows swap file when it lies on this drive, else 0. The backup
// adds the same size to the free space it records.
std::uint64_t SwapFileSize(const std::string& systemIni, const std::string& windows, char letter) {
  std::string pagingDrive = ProfileRead(systemIni, "386enh", "PagingDrive", "C:", 256);
  if (!BeginsWithLetter(pagingDrive, letter)) return 0;
  std::string pagingFile = ProfileReadFull(systemIni, "386enh", "PagingFile", "none");
  if (!EqualsNoCase(pagingFile, "none")) return SizeOf(pagingFile);
  std::string candidate;
  if (FileExists(pagingDrive + "\\win386.swp")) candidate = pagingDrive + "\\win386.swp";
  if (!windows.empty() && AsciiUpper(windows[0]) == AsciiUpper(pagingDrive[0]) &&
      FileExists(windows + "\\win386.swp"))
    candidate = windows + "\\win386.swp";
  return candidate.empty() ? 0 : SizeOf(candidate);
}

}  // namespace

SectionResult CompareFreeSpace(CompareRun& run) {
  AppState& state = run.State();
  const std::string systemIni = state.WindowsDirectory + "\\system.ini";
  std::string text = "- - - - -\n";
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
    std::uint64_t now = *free + SwapFileSize(systemIni, state.WindowsDirectory, letter);
    std::string line = FreeSpaceChangeLine(letter, *before, now);
    if (line.empty()) continue;
    text += line;
    std::string pagingDrive = now > *before ? ProfileRead(systemIni, "386enh", "PagingDrive", "not present", 256)
                                             : ProfileRead(systemIni, "386enh", "PagingDrive", "", 256);
    if (now > *before && pagingDrive == "not present") pagingDrive = state.WindowsDirectory;
    if (BeginsWithLetter(pagingDrive, letter)) text += PagingNote(letter);
  }
  text += "- - - - -\n";
  SectionOutput out(run);
  out.Report(text);
  return SectionResult::Done;
}

}  // namespace tessary
