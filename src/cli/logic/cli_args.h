// The command line of tessaryc: commands, flags and the help text, all from two tables
// (kCommands and kFlags in cli_args.cpp). No <windows.h>.
//
// Adding a flag is one row of kFlags (its name, value, commands, what it sets in
// CliOptions, its help line) plus a field in CliOptions and its effect where the command
// runs (cli_commands.cpp). The parser, the usage errors, the command synopses of --help
// and the option list of --help all come from the row.
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
  kExitProgramFailed = 6,  // track: the program ended with an exit code other than 0 (the compare was made)
  kExitNothingCompared = 7,  // compare/track: every section was left out, so no verdict can be given
  kExitInterrupted = 130 // Ctrl+C: stopped at the next check, as Cancel stops the dialogs
};

enum class CliCommand { None, Help, Version, Backup, Compare, Actions, Undo, Track };

// What --version prints (one line).
inline constexpr const char* kVersionText = "tessaryc 95.1.3 (Tessary 95 Release 1.3a)";

struct CliOptions {
  CliCommand command = CliCommand::None;
  std::optional<std::string> dir;    // --dir: the backup directory instead of the settings' one
  std::optional<std::string> name;   // --name: the report's name (compare, track)
  std::string report;                // actions, undo: the report (path or name in the backup directory)
  std::vector<std::string> only;     // undo --only TEXT: the actions holding TEXT (any case)
  std::vector<std::string> onlySummary;  // undo --only-summary ITEM: the actions of summary items
  std::vector<std::string> program;  // track: the program and its arguments
  bool json = false;
  bool yes = false;
  bool quiet = false;
  bool dryRun = false;
  bool dllCheck = false;
  bool undo = false;
  bool values = false;  // --values: record registry values and their data
  bool deep = false;  // backup, compare, track --deep: deep tracking whatever tessary.ini says
  // track --standard: what tessary.ini says of deep tracking, values and branches, as the
  // window's Backup and Compare take it. Without it track is complete: deep tracking,
  // values and kTrackBranches, whatever tessary.ini says (and nothing written there).
  bool standard = false;
  bool unsealed = false;  // undo --unsealed: an unsealed action file, line by line at a console
  // compare, track --branches: the registry branches compared, as given (read with
  // ParseBranchList of branch_choice.h); empty: compare and track --standard take
  // tessary.ini's, track its own (kTrackBranches).
  std::optional<std::string> branches;
};

// What a command takes besides flags.
enum class Operand { None, Report, Program };

struct CommandSpec {
  const char* word;  // as typed: "compare"
  CliCommand command;
  Operand operand;
  const char* help;  // what it does, for --help (lines of at most 60 characters)
};

// The commands a flag belongs to, as a set of bits.
constexpr unsigned CommandBit(CliCommand command) { return 1u << static_cast<unsigned>(command); }
inline constexpr unsigned kEveryCommand = CommandBit(CliCommand::Backup) | CommandBit(CliCommand::Compare) |
                                          CommandBit(CliCommand::Actions) | CommandBit(CliCommand::Undo) |
                                          CommandBit(CliCommand::Track);

struct FlagSpec {
  const char* name;       // "--name"
  const char* valueName;  // "NAME" for a flag that takes a value; nullptr for a switch
  unsigned commands;      // the commands that take it (CommandBit, kEveryCommand)
  bool repeatable;        // a flag with a value may be given more than once (else "given twice")
  void (*apply)(CliOptions& options, const std::string& value);  // what it sets
  const char* help;       // one line for --help
};

// The tables the parser and --help are made from.
const std::vector<CommandSpec>& Commands();
const std::vector<FlagSpec>& Flags();

struct ParsedCommandLine {
  CliOptions options;
  std::string error;  // not empty: a usage error, one line
};

// Parses the arguments after the program name. "--flag=value" and "--flag value" both
// work; the options every command takes may come before the command too; after "--"
// (and, for track, from the first argument that is not a flag) every argument belongs to
// the program.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The command's name as typed ("compare"), "" for None and Help.
const char* CommandName(CliCommand command);

// The text of --help.
std::string UsageText();

}  // namespace tessary::cli
