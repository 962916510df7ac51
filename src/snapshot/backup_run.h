// The Backup run and the Backup command. The run writes one backup set into the
// backup directory; TBackupDlg only hosts it, so the run works without any window.
#pragma once

#include <functional>

#include "core/host.h"

namespace tessary {

// The registry step of a backup (ExportRegistryForBackup unless a caller substitutes it).
using RegistryExport = std::function<bool(Host&, RunMode)>;

// Writes the backup set for `mode`, step by step with the progress texts. `owner` (the
// hosting dialog) owns the message boxes. Returns 1 when the backup directory does not
// exist (nothing is written), else 0.
int RunBackup(Host& host, RunMode mode, WindowHandle owner, const RegistryExport& exportRegistry = {});

// The set-up step of the Backup dialog: when AutoStartBackup is set, clears it, runs
// the backup in the current mode and returns true (the dialog then closes with Cancel).
bool BackupDialogAutoStart(Host& host, WindowHandle owner, const RegistryExport& exportRegistry = {});

// Runs one Backup dialog modally and returns its result (id::kOk, id::kCancel).
using BackupDialogRunner = std::function<int(Host&)>;

// The Backup command by run mode: Interactive confirms, then backs up in a hidden
// second dialog, refreshes the label and continues with Express when asked; Sentinox
// and Direct back up at once under their own progress dialog.
void RunBackupCommand(Host& host, const BackupDialogRunner& runDialog);

}  // namespace tessary
