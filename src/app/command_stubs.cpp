// Commands whose subsystem is not built yet do nothing. Remove a line here when its
// subsystem provides the command.
#include "app/commands.h"

namespace tessary {

void ExpressCommand(Host&) {}
void ViewCompareFilesCommand(Host&) {}
void OptionsCommand(Host&) {}
void ExpressSequence(Host&) {}
void PruneSentinoxReports(Host&) {}

}  // namespace tessary
