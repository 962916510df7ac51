#include "snapshot/backup_run.h"

#include <memory>

#include "platform/files.h"
#include "platform/folders.h"
#include "snapshot/backup_set.h"
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

int RunBackup(Host& host, RunMode mode, WindowHandle owner, const RegistryExport& exportRegistry) {
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

  for (const CopyStep& copy : kCopySteps) {
    step(copy.detail);
    std::string source = copy.inWindows ? windows + copy.source : copy.source;
    CopyIntoBackup(host, source, BackupFilePath(state, copy.base, ext), owner);
  }

  step("Registry...This may take a minute.");
  bool registryOk = exportRegistry ? exportRegistry(host, mode) : ExportRegistryForBackup(host, mode);
  progress->Pump();
  if (!registryOk) host.Prompts().Ask(kRegistryError, "File error", mb::kOk, owner);

  // Listings, name files and free-space records: a file that cannot be written is
  // reported once at the end, after every other file has been tried.
  bool written = true;
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
    written &= WriteListing(listing.directory, BackupFilePath(state, listing.base, ext));
  }
  step("Start Directory");
  written &= WriteListing(StartMenuProgramsFolder(windows), BackupFilePath(state, "startdir", ext));
  step("Desktop");
  std::string desktop = DesktopFolder(windows);
  progress->Pump();
  written &= WriteListing(desktop, BackupFilePath(state, "desktop", ext));

  step("Optional Directories");
  written &= WriteOptionalDirectories(host, ext);

  step("Root Directories");
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    written &= WriteFreeSpaceRecord(state, letter, freeExt);
    written &= WriteListing(std::string{letter, ':', '\\'}, BackupFilePath(state, "rootdir" + std::string(1, letter), ext));
  }

  if (!written) host.Prompts().Ask(kWriteError, state.BackupDirectory, mb::kOk, owner);
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
