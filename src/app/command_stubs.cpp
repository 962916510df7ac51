// Commands whose subsystem is not built yet do nothing. Remove a line here when its
// subsystem provides the command.
#include "app/commands.h"

namespace tessary {

void BackupCommand(Host&) {}
void CompareCommand(Host&) {}
void UninstallCommand(Host&) {}

}  // namespace tessary
