// An action file read from the disk as the Uninstall Actions dialog and tessaryc's
// `actions` and `undo` load it: one reading for both, so that a line the dialog runs is a
// line the command line runs.
#pragma once

#include <optional>
#include <string>

#include "uninstall/logic/action_file.h"

namespace tessary {

// The file's entries and lines as written (LoadActionEntries), a REMOVEFILE line of an
// older file, written in the machine's ANSI code page, taken to the program's text
// (FromOlderText). Nothing when the file cannot be read.
[[nodiscard]] std::optional<ActionEntries> ReadActionFile(const std::string& path);

}  // namespace tessary
