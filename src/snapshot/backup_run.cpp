#include "snapshot/backup_run.h"

#include <memory>
#include <vector>

#include "core/own_writes.h"
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
// A "backup.new" that staging cannot use: nothing is written, and nothing behind a link
// is listed, emptied or removed.
constexpr char kStageLinkText[] =
    "The backup cannot be taken: \"backup.new\" in the backup directory is a link to another folder, where the "
    "backup would write its new files.\nNothing was written, and nothing behind the link was touched. Remove the "
    "link and run Backup again.";
constexpr char kStageFileText[] =
    "The backup cannot be taken: \"backup.new\" in the backup directory is a file, where the backup needs a folder "
    "for its new files.\nNothing was written. Remove or rename the file and run Backup again.";
constexpr char kStageCannotMakeText[] =
    "The backup cannot be taken: the folder \"backup.new\" for its new files cannot be made in the backup "
    "directory.\nNothing was written. Make sure the backup directory can be written to.";

// One backup, step by step. Each step writes into the stage and notes what failed: a
// file that could not be written (`written_`, reported once at the end) or anything
// that keeps the set from being complete (`complete_`).
class BackupRunner {
 public:
  BackupRunner(EngineHost& host, RunMode mode, WindowHandle owner, Progress& progress, BackupStage& stage)
      : host_(host), state_(host.State()), mode_(mode), owner_(owner), progress_(progress), stage_(stage),
        ext_(BackupExtension(mode)), windows_(state_.WindowsDirectory) {}

  void CopyFiles();
  void ExportRegistry(const RegistryExport& exportRegistry, ValuesSwitch values);
  void ListStandardDirectories();
  void ListOptionalDirectories();
  void ListRoots();
  void ListDeepPlaces();
  [[nodiscard]] BackupOutcome Finish(ValuesSwitch values);

 private:
  void Step(const char* detail) {
    progress_.SetDetailText(detail);
    progress_.Pump();
  }
  std::string Staged(const std::string& base) const { return stage_.PathOf(base + "." + ext_); }
  void Tell(const char* text, const std::string& caption) { host_.Prompts().Ask(text, caption, mb::kOk, owner_); }
  // A listing into the stage; a folder that cannot be read is reported at once.
  void List(const std::string& directory, const std::string& base) {
    bool unreadable = false;
    written_ &= WriteListing(directory, Staged(base), &unreadable) || unreadable;
    if (unreadable) {
      Tell(kUnreadableText, directory);
      complete_ = false;
    }
  }

  EngineHost& host_;
  AppState& state_;
  const RunMode mode_;
  const WindowHandle owner_;
  Progress& progress_;
  BackupStage& stage_;
  const std::string ext_;
  const std::string windows_;
  bool complete_ = true;
  bool written_ = true;
  std::vector<std::string> deepIds_;  // the places whose deep listings this set holds
};

void BackupRunner::CopyFiles() {
  for (const BackupSetFile& file : kBackupSetFiles) {
    if (!IsCopy(file)) continue;
    Step(file.title);
    const std::string source = file.source == SetFileSource::WindowsFolder ? windows_ + file.path : file.path;
    complete_ &= CopyIntoBackup(host_, source, Staged(file.base), owner_);
  }
}

void BackupRunner::ExportRegistry(const RegistryExport& exportRegistry, ValuesSwitch values) {
  Step("Registry...This may take a minute.");
  const bool ok = exportRegistry ? exportRegistry(host_, mode_, stage_.directory())
                                 : ExportRegistryForBackup(host_, mode_, stage_.directory(), values);
  progress_.Pump();
  if (!ok) host_.Prompts().Ask(kRegistryError, "File error", mb::kOk, owner_);
  complete_ &= ok;
}

// Listings, name files and free-space records: a file that cannot be written is
// reported once at the end, after every other file has been tried.
void BackupRunner::ListStandardDirectories() {
  for (const BackupSetFile& file : kBackupSetFiles) {
    if (IsCopy(file)) continue;
    Step(file.title);
    switch (file.source) {
      case SetFileSource::WindowsTree: List(windows_ + file.path, file.base); break;
      case SetFileSource::ProgramFiles: List(windows_.substr(0, 2) + file.path, file.base); break;
      case SetFileSource::StartMenu: List(StartMenuProgramsFolder(windows_), file.base); break;
      case SetFileSource::Desktop: {
        const std::string desktop = DesktopFolder(windows_);
        progress_.Pump();
        List(desktop, file.base);
        break;
      }
      case SetFileSource::BootDrive:
      case SetFileSource::WindowsFolder: break;
    }
  }
}

void BackupRunner::ListOptionalDirectories() {
  Step("Optional Directories");
  std::vector<std::string> unreadable;
  const bool ok = WriteOptionalDirectories(host_, ext_, stage_.directory(), &unreadable);
  for (const std::string& directory : unreadable) Tell(kUnreadableText, directory);
  written_ &= ok || !unreadable.empty();
  complete_ &= ok;
}

void BackupRunner::ListRoots() {
  Step("Root Directories");
  const std::string freeExt = FreeSpaceExtension(mode_);
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    written_ &= WriteFreeSpaceRecord(state_, letter, freeExt, stage_.directory());
    List(std::string{letter, ':', '\\'}, "rootdir" + std::string(1, letter));
  }
}

// Deep tracking: every listed place with all its subfolders, one listing each.
void BackupRunner::ListDeepPlaces() {
  if (!DeepTrackingOn(state_, host_.AppSettings())) return;
  const DeepScope scope = CurrentDeepScope(state_, host_.AppSettings());
  for (const DeepPlace& place : scope.places)
    if (place.within.empty()) deepIds_.push_back(place.id);
  written_ &= WriteDeepListings(
      scope, stage_.directory(), ext_, [&](const std::string& title) { Step(("Deep: " + title).c_str()); },
      [&] { progress_.Pump(); });
}

// The set goes in place only when every file is complete; otherwise the older one stays.
BackupOutcome BackupRunner::Finish(ValuesSwitch values) {
  const std::string& directory = state_.BackupDirectory;
  if (!written_) Tell(kWriteError, directory);
  if (!written_ || !complete_) {
    Tell(kKeptText, directory);
    return BackupOutcome::NotCompleted;
  }
  if (!stage_.Commit(ext_)) {
    Tell(kWriteError, directory);
    Tell(CheckBackupSet(directory, ext_) == BackupSetState::Incomplete ? kBrokenText : kKeptText, directory);
    return BackupOutcome::CommitFailed;
  }
  // No deep listing of an older backup stays beside this set to be taken for its own.
  RemoveOtherDeepListings(directory, ext_, deepIds_);
  // The new set has no values: none that an earlier backup recorded may stay beside it.
  if (!RecordsValues(host_.AppSettings(), values)) DeleteValueSnapshots(directory, RegistryBackupExtension(mode_));
  return BackupOutcome::Completed;
}

const char* StageProblemText(StageProblem problem) {
  switch (problem) {
    case StageProblem::Link: return kStageLinkText;
    case StageProblem::File: return kStageFileText;
    default: return kStageCannotMakeText;
  }
}

}  // namespace

ProgressCancel BackupProgressCancel(RunMode mode) {
  return mode == RunMode::Interactive ? ProgressCancel::Hidden : ProgressCancel::Shown;
}

BackupOutcome RunBackup(EngineHost& host, RunMode mode, WindowHandle owner, const RegistryExport& exportRegistry,
                        ValuesSwitch values) {
  AppState& state = host.State();
  std::unique_ptr<Progress> progress = host.Progresses().Open("Please wait...", BackupProgressCancel(mode));
  progress->SetMainText("Backing up files.");
  if (!PathExists(state.BackupDirectory)) {
    host.Prompts().Beep(mb::kIconInformation);
    host.Prompts().Ask(kInvalidDirectory, "Invalid Backup Directory", mb::kOk, owner);
    return BackupOutcome::NoBackupDirectory;
  }
  BackupStage stage(state.BackupDirectory);
  if (const StageProblem problem = stage.Prepare(); problem != StageProblem::None) {
    host.Prompts().Ask(StageProblemText(problem), stage.directory(), mb::kOk, owner);
    return BackupOutcome::StageRefused;
  }
  SettleOwnWrites();
  BackupRunner run(host, mode, owner, *progress, stage);
  run.CopyFiles();
  run.ExportRegistry(exportRegistry, values);
  run.ListStandardDirectories();
  run.ListOptionalDirectories();
  run.ListRoots();
  run.ListDeepPlaces();
  return run.Finish(values);
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
