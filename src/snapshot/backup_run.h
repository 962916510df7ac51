// The Backup run and the Backup command. The run writes one backup set into the
// backup directory; TBackupDlg only hosts it, so the run works without any window.
#pragma once

#include <functional>

#include "core/host.h"
#include "snapshot/values_switch.h"

namespace tessary {

// The registry step of a backup (ExportRegistryForBackup unless a caller substitutes
// it): writes the snapshot files into the given folder.
using RegistryExport = std::function<bool(EngineHost&, RunMode, const std::string& directory)>;

// A backup never looks for a Cancel: its progress dialogs have none in an interactive
// run and show it greyed in the runs the program starts by itself.
ProgressCancel BackupProgressCancel(RunMode mode);

// How a backup ended. Every message it showed on the way came through the host's
// prompter; this says what became of the set.
enum class BackupOutcome {
  Completed,          // the new set is in place, recorded complete
  NoBackupDirectory,  // the backup directory does not exist: nothing was written
  StageRefused,       // "backup.new" is a link or a file, or cannot be made: nothing was written
  NotCompleted,       // a step failed (a copy, the registry, a listing, an unreadable folder): the older set stays
  CommitFailed,       // putting the new set in place failed: the older set stays, or is recorded incomplete
};

// Writes the backup set for `mode`, step by step with the progress texts. `owner` (the
// hosting dialog) owns the message boxes. Every file is written into a BackupStage and
// the set is replaced only when all of them are complete; a step that fails is reported
// and the older set stays. `values` decides whether the registry's values are recorded
// ([registry] RecordValues unless the caller decides: tessaryc's --values).
[[nodiscard]] BackupOutcome RunBackup(EngineHost& host, RunMode mode, WindowHandle owner,
                                      const RegistryExport& exportRegistry = {},
                                      ValuesSwitch values = ValuesSwitch::FromSettings);

// What the user chose in the Backup dialog's confirmation.
enum class BackupChoice { Cancel, Backup, Express };

// Runs one Backup dialog modally: with runNow, the instance runs the backup in the
// current mode from its set-up step and closes unseen (its choice is then Cancel);
// otherwise it asks for confirmation.
using BackupDialogRunner = std::function<BackupChoice(Host&, bool runNow)>;

// The Backup command by run mode: Interactive confirms, then backs up in a hidden
// second dialog, refreshes the label and continues with the Express sequence when the
// user chose EXPRESS; Sentinox and Direct back up at once under their own progress
// dialog.
void RunBackupCommand(Host& host, const BackupDialogRunner& runDialog);

}  // namespace tessary
