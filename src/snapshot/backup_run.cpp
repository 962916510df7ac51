#include "snapshot/backup_run.h"

#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/folders.h"
#include "snapshot/backup_set.h"
#include "snapshot/deep_places.h"
#include "snapshot/registry_export.h"

namespace tessary {

namespace {

constexpr char kInvalidDirectory[] =
    "The backup directory specified in the tessary.ini file is invalid.\nPlease use Setup/Options to select a valid "
    "directory for the backup files to be placed.";
constexpr char kRegistryError[] = "Error backing up Registry file.";
constexpr char kWriteError[] =
    "Error writing backup files.\nMake sure there is enough disk space, and that the backup directory can be "
    "written to.";
// The end of a backup that did not complete, after the write error or the step's own
// message: whether the older backup is still whole.
constexpr char kKeptText[] =
    "The backup did not complete. The files of the previous backup are kept, and Compare still uses them.";
constexpr char kBrokenText[] =
    "The backup did not complete, and the backup files are now incomplete.\nPlease run Backup again before you "
    "compare.";
constexpr char kUnreadableText[] = "This directory could not be read, so it cannot be listed.";

struct CopyStep {
  const char* detail;
  const char* base;
  const char* source;  // absolute, or relative to the Windows directory
  bool inWindows;
};

constexpr CopyStep kCopySteps[] = {
    {"Autoexec.bat", "autoexec", "c:\\autoexec.bat", false}, {"Config.sys", "config", "c:\\config.sys", false},
    {"WIN.INI", "win", "\\win.ini", true},                   {"SYSTEM.INI", "system", "\\system.ini", true},
    {"PROTOCOL.INI", "protocol", "\\protocol.ini", true},    {"MSDOS.SYS", "msdos", "c:\\msdos.sys", false},
};

}  // namespace

ProgressCancel BackupProgressCancel(RunMode mode) {
  return mode == RunMode::Interactive ? ProgressCancel::Hidden : ProgressCancel::Shown;
}

int RunBackup(Host& host, RunMode mode, WindowHandle owner, const RegistryExport& exportRegistry,
              ValuesSwitch values) {
  AppState& state = host.State();
  std::unique_ptr<Progress> progress = host.Progresses().Open("Please wait...", BackupProgressCancel(mode));
  progress->SetMainText("Backing up files.");
  const std::string ext = BackupExtension(mode);
  const std::string freeExt = FreeSpaceExtension(mode);

  if (!PathExists(state.BackupDirectory)) {
    host.Prompts().Beep(mb::kIconInformation);
    host.Prompts().Ask(kInvalidDirectory, "Invalid Backup Directory", mb::kOk, owner);
    return 1;
  }

  auto step = [&](const char* detail) {
    progress->SetDetailText(detail);
    progress->Pump();
  };
  const std::string& windows = state.WindowsDirectory;
  BackupStage stage(state.BackupDirectory);
  auto staged = [&](const std::string& base, const std::string& extension) {
    return stage.PathOf(base + "." + extension);
  };

  bool complete = true;
  for (const CopyStep& copy : kCopySteps) {
    step(copy.detail);
    std::string source = copy.inWindows ? windows + copy.source : copy.source;
    complete &= CopyIntoBackup(host, source, staged(copy.base, ext), owner);
  }

  step("Registry...This may take a minute.");
  bool registryOk = exportRegistry ? exportRegistry(host, mode, stage.directory())
                                   : ExportRegistryForBackup(host, mode, stage.directory(), values);
  progress->Pump();
  if (!registryOk) host.Prompts().Ask(kRegistryError, "File error", mb::kOk, owner);
  complete &= registryOk;

  // Listings, name files and free-space records: a file that cannot be written is
  // reported once at the end, after every other file has been tried; a folder that
  // cannot be read is reported at once.
  bool written = true;
  auto list = [&](const std::string& directory, const std::string& base) {
    bool unreadable = false;
    written &= WriteListing(directory, staged(base, ext), &unreadable) || unreadable;
    if (unreadable) {
      host.Prompts().Ask(kUnreadableText, directory, mb::kOk, owner);
      complete = false;
    }
  };
  struct ListingStep {
    const char* detail;
    const char* base;
    std::string directory;
  };
  const ListingStep listings[] = {
      {"Windows Directory", "windir", windows},
      {"System directory", "sysdir", windows + "\\system"},
      {"Fonts", "fontdir", windows + "\\fonts"},
      {"Inf", "infdir", windows + "\\inf"},
      {"Help", "helpdir", windows + "\\help"},
      {"Program Files", "prgsdir", windows.substr(0, 2) + "\\Program Files"},
  };
  for (const ListingStep& listing : listings) {
    step(listing.detail);
    list(listing.directory, listing.base);
  }
  step("Start Directory");
  list(StartMenuProgramsFolder(windows), "startdir");
  step("Desktop");
  std::string desktop = DesktopFolder(windows);
  progress->Pump();
  list(desktop, "desktop");

  step("Optional Directories");
  std::vector<std::string> unreadable;
  const bool optionalOk = WriteOptionalDirectories(host, ext, stage.directory(), &unreadable);
  for (const std::string& directory : unreadable) host.Prompts().Ask(kUnreadableText, directory, mb::kOk, owner);
  written &= optionalOk || !unreadable.empty();
  complete &= optionalOk;

  step("Root Directories");
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    written &= WriteFreeSpaceRecord(state, letter, freeExt, stage.directory());
    list(std::string{letter, ':', '\\'}, "rootdir" + std::string(1, letter));
  }

  // Deep tracking: every listed place with all its subfolders, one listing each.
  std::vector<std::string> deepIds;
  if (DeepTrackingOn(state, host.AppSettings())) {
    const DeepScope scope = CurrentDeepScope(state, host.AppSettings());
    for (const DeepPlace& place : scope.places)
      if (place.within.empty()) deepIds.push_back(place.id);
    written &= WriteDeepListings(
        scope, stage.directory(), ext, [&](const std::string& title) { step(("Deep: " + title).c_str()); },
        [&] { progress->Pump(); });
  }

  if (!written) host.Prompts().Ask(kWriteError, state.BackupDirectory, mb::kOk, owner);
  complete &= written;
  if (!complete) {
    host.Prompts().Ask(kKeptText, state.BackupDirectory, mb::kOk, owner);
  } else if (!stage.Commit(ext)) {
    host.Prompts().Ask(kWriteError, state.BackupDirectory, mb::kOk, owner);
    host.Prompts().Ask(CheckBackupSet(state.BackupDirectory, ext) == BackupSetState::Incomplete ? kBrokenText : kKeptText,
                       state.BackupDirectory, mb::kOk, owner);
  } else {
    // No deep listing of an older backup stays beside this set to be taken for its own.
    RemoveOtherDeepListings(state.BackupDirectory, ext, deepIds);
    // The new set has no values: none that an earlier backup recorded may stay beside it.
    if (!RecordsValues(host.AppSettings(), values)) DeleteValueSnapshots(state.BackupDirectory, RegistryBackupExtension(mode));
  }
  return 0;
}

void RunBackupCommand(Host& host, const BackupDialogRunner& runDialog) {
  AppState& state = host.State();
  if (state.RunMode == RunMode::Interactive) {
    const BackupChoice choice = runDialog(host, false);
    if (choice == BackupChoice::Cancel) return;  // Cancel writes nothing
    runDialog(host, true);
    host.RefreshLastBackup();
    if (choice == BackupChoice::Express) host.ContinueExpress();
    return;
  }
  const bool sentinox = state.RunMode == RunMode::Sentinox;
  {
    std::unique_ptr<Progress> progress = host.Progresses().Open("Please wait...");
    progress->SetMainText(sentinox ? "Sentinox is Backing up files." : "Tessary is Backing up files.");
    runDialog(host, true);
  }
  if (!sentinox) host.RefreshLastBackup();
}

}  // namespace tessary
