#include "cli/logic/cli_args.h"

#include <initializer_list>
#include <string_view>

namespace tessary::cli {

const char* const kUsageText =
    "Usage: tessaryc COMMAND [OPTIONS]\n"
    "\n"
    "Records what a program installation changes and undoes it, on the same backup set,\n"
    "reports and action files as tessary.exe, with the settings of tessary.ini.\n"
    "\n"
    "Commands:\n"
    "  backup                        take a backup set (as the Backup command does)\n"
    "  compare [--name NAME]         compare the machine with the backup set into NAME.TSC and\n"
    "                                NAME.TSU; prints the report path and counts per section\n"
    "  actions REPORT                list the report's undo actions as the Uninstall Actions\n"
    "                                dialog lists them\n"
    "  undo REPORT [--only TEXT]... [--dll-check] [--dry-run]\n"
    "                                carry out the report's actions (all, or those holding\n"
    "                                TEXT in any case), verify off, after one confirmation\n"
    "  track [--name NAME] [--undo] [--dll-check] [--] PROGRAM [ARGS...]\n"
    "                                backup, run PROGRAM and wait until it and every process\n"
    "                                it started have ended, compare; with --undo carry out\n"
    "                                every action, compare again and report what is left over\n"
    "\n"
    "Options:\n"
    "  --dir DIR     the backup directory (default: [tessary] Directory of tessary.ini)\n"
    "  --json        print one JSON document on standard output (docs/cli-json.md)\n"
    "  --yes         answer Yes to every question (confirmation, overwrite, folders)\n"
    "  --quiet       no progress lines on standard error\n"
    "  --help        this text\n"
    "\n"
    "REPORT is a report's path, or its name in the backup directory (COMPARE, COMPARE.TSC).\n"
    "Questions are asked on the console when standard input is one; otherwise a question\n"
    "that --yes does not answer is answered No and the command changes nothing.\n"
    "Ctrl+C stops compare and undo at the next check, as Cancel does.\n"
    "\n"
    "Exit codes: 0 no changes / every action done / nothing left over; 1 changes found /\n"
    "some action not done / something left over; 2 usage error; 3 bad input (no backup set,\n"
    "no report or action file, integrity errors, program not found); 4 the run failed;\n"
    "5 declined (nothing changed); 130 interrupted by Ctrl+C.\n";

namespace {

struct CommandWord {
  const char* word;
  CliCommand command;
};
constexpr CommandWord kCommands[] = {{"backup", CliCommand::Backup}, {"compare", CliCommand::Compare},
                                     {"actions", CliCommand::Actions}, {"undo", CliCommand::Undo},
                                     {"track", CliCommand::Track},     {"help", CliCommand::Help}};

// Which flags each command takes beyond the common ones.
bool Takes(CliCommand command, std::string_view flag) {
  auto in = [&](std::initializer_list<CliCommand> commands) {
    for (CliCommand c : commands)
      if (c == command) return true;
    return false;
  };
  if (flag == "--dir" || flag == "--json" || flag == "--yes" || flag == "--quiet" || flag == "--help") return true;
  if (flag == "--name") return in({CliCommand::Compare, CliCommand::Track});
  if (flag == "--only" || flag == "--dry-run") return in({CliCommand::Undo});
  if (flag == "--dll-check") return in({CliCommand::Undo, CliCommand::Track});
  if (flag == "--undo") return in({CliCommand::Track});
  return false;
}

bool TakesValue(std::string_view flag) { return flag == "--dir" || flag == "--name" || flag == "--only"; }

}  // namespace

const char* CommandName(CliCommand command) {
  for (const CommandWord& c : kCommands)
    if (c.command == command && command != CliCommand::Help) return c.word;
  return "";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  CliOptions& o = parsed.options;
  auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  if (args.empty()) return fail("no command given (try tessaryc --help)");

  std::size_t i = 0;
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "/?") {
    o.command = CliCommand::Help;
    return parsed;
  }
  for (const CommandWord& c : kCommands)
    if (first == c.word) o.command = c.command;
  if (o.command == CliCommand::None) return fail("unknown command '" + first + "' (try tessaryc --help)");
  if (o.command == CliCommand::Help) return parsed;
  const std::string command = CommandName(o.command);
  ++i;

  bool sawName = false, sawDir = false;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      if (o.command != CliCommand::Track) return fail("'--' belongs to track only");
      o.program.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (arg == "-h") {
      o.command = CliCommand::Help;
      return parsed;
    }
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      const std::string flag = arg.substr(0, equals);
      if (!Takes(o.command, flag)) return fail("unknown option '" + flag + "' for " + command);
      if (flag == "--help") {
        o.command = CliCommand::Help;
        return parsed;
      }
      std::optional<std::string> value;
      if (equals != std::string::npos) {
        if (!TakesValue(flag)) return fail("option " + flag + " takes no value");
        value = arg.substr(equals + 1);
      } else if (TakesValue(flag)) {
        if (i + 1 >= args.size()) return fail("option " + flag + " needs a value");
        value = args[++i];
      }
      if (TakesValue(flag) && value->empty()) return fail("option " + flag + " needs a value");
      if (flag == "--dir") {
        if (sawDir) return fail("--dir given twice");
        sawDir = true;
        o.dir = *value;
      } else if (flag == "--name") {
        if (sawName) return fail("--name given twice");
        sawName = true;
        o.name = *value;
      } else if (flag == "--only") {
        o.only.push_back(*value);
      } else if (flag == "--json") {
        o.json = true;
      } else if (flag == "--yes") {
        o.yes = true;
      } else if (flag == "--quiet") {
        o.quiet = true;
      } else if (flag == "--dry-run") {
        o.dryRun = true;
      } else if (flag == "--dll-check") {
        o.dllCheck = true;
      } else if (flag == "--undo") {
        o.undo = true;
      }
      continue;
    }
    // A plain argument: the report of actions and undo, the program of track.
    if (o.command == CliCommand::Track) {
      o.program.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if ((o.command == CliCommand::Actions || o.command == CliCommand::Undo) && o.report.empty()) {
      o.report = arg;
      continue;
    }
    return fail("unexpected argument '" + arg + "' for " + command);
  }

  if ((o.command == CliCommand::Actions || o.command == CliCommand::Undo) && o.report.empty())
    return fail(command + " needs a REPORT");
  if (o.command == CliCommand::Track && (o.program.empty() || o.program[0].empty()))
    return fail("track needs a PROGRAM to run");
  return parsed;
}

}  // namespace tessary::cli
