// The command line of tessaryc: commands, flags and the help text. No <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessary::cli {

// Exit codes, the same for every command.
enum ExitCode : int {
  kExitOk = 0,           // success: no changes, every action done, nothing left over
  kExitChanges = 1,      // compare/track: changes found; undo: some action not done; track --undo: left over
  kExitUsage = 2,        // unknown command or flag, missing or extra argument
  kExitBadInput = 3,     // no backup set, no report or action file, integrity errors, program not found
  kExitFailed = 4,       // the run failed: a file could not be written, the program could not be started
  kExitDeclined = 5,     // a question was answered No (or could not be asked): nothing was changed
  kExitInterrupted = 130 // Ctrl+C: stopped at the next check, as Cancel stops the dialogs
};

enum class CliCommand { None, Help, Backup, Compare, Actions, Undo, Track };

struct CliOptions {
  CliCommand command = CliCommand::None;
  std::optional<std::string> dir;    // --dir: the backup directory instead of the settings' one
  std::optional<std::string> name;   // --name: the report's name (compare, track)
  std::string report;                // actions, undo: the report (path or name in the backup directory)
  std::vector<std::string> only;     // undo --only TEXT: the actions holding TEXT (any case)
  std::vector<std::string> program;  // track: the program and its arguments
  bool json = false;
  bool yes = false;
  bool quiet = false;
  bool dryRun = false;
  bool dllCheck = false;
  bool undo = false;
};

struct ParsedCommandLine {
  CliOptions options;
  std::string error;  // not empty: a usage error, one line
};

// Parses the arguments after the program name. "--flag=value" and "--flag value" both
// work; after "--" (and, for track, from the first argument that is not a flag) every
// argument belongs to the program.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The command's name as typed ("compare"), "" for None and Help.
const char* CommandName(CliCommand command);

// The text of --help.
extern const char* const kUsageText;

}  // namespace tessary::cli
