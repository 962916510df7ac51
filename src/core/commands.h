// The commands of the main window that hand over to the subsystems. Each subsystem
// implements its own; the frame only dispatches.
#pragma once

#include "core/host.h"

namespace tessary {

// How the Uninstall command ended: Restart when the user went back from the Uninstall
// Actions dialog; the shell then runs the command again at its next idle moment.
enum class UninstallEnd { Done, Restart };

void BackupCommand(Host& host);              // 204, snapshot
void ExpressCommand(Host& host);             // 205, reports
void CompareCommand(Host& host);             // 304, compare
UninstallEnd UninstallCommand(Host& host);   // 303, uninstall
void ViewCompareFilesCommand(Host& host);    // 302, reports
void OptionsCommand(Host& host);             // 301, options
// The Express sequence after a backup started with EXPRESS (reports).
void ExpressSequence(Host& host);
// Retention of Sentinox reports at the end of a pass (reports).
void PruneSentinoxReports(Host& host);

}  // namespace tessary
