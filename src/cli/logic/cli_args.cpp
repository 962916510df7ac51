#include "cli/logic/cli_args.h"

#include <algorithm>
#include <string_view>

#include "snapshot/logic/branch_choice.h"

namespace tessary::cli {

namespace {

constexpr unsigned kBackup = CommandBit(CliCommand::Backup), kCompare = CommandBit(CliCommand::Compare), kUndo = CommandBit(CliCommand::Undo),
                   kTrack = CommandBit(CliCommand::Track);

const std::vector<CommandSpec> kCommands = {
    {"backup", CliCommand::Backup, Operand::None, "take a backup set (as the Backup command does)"},
    {"compare", CliCommand::Compare, Operand::None,
     "compare the machine with the backup set into NAME.TSC and\n"
     "NAME.TSU; prints the report path and counts per section"},
    {"actions", CliCommand::Actions, Operand::Report,
     "list the report's undo actions as the Uninstall Actions\n"
     "dialog lists them"},
    {"undo", CliCommand::Undo, Operand::Report,
     "carry out the report's actions (all, or those holding\n"
     "TEXT in any case), verify off, after one confirmation"},
    {"track", CliCommand::Track, Operand::Program,
     "backup, run PROGRAM and wait until it and every process\n"
     "it started have ended, compare; with --undo carry out\n"
     "every action, compare again and report what is left over;\n"
     "complete by default: deep tracking, registry values and\n"
     "the branches programs install into (--standard: as\n"
     "tessary.ini says, as the window compares)"},
    {"help", CliCommand::Help, Operand::None, "this text"},
};

// Every flag of every command. Its place here is its place in the synopses of --help.
const std::vector<FlagSpec> kFlags = {
    {"--dir", "DIR", kEveryCommand, false, [](CliOptions& o, const std::string& v) { o.dir = v; },
     "the backup directory (default: [tessary] Directory of tessary.ini)"},
    {"--name", "NAME", kCompare | kTrack, false, [](CliOptions& o, const std::string& v) { o.name = v; },
     "the report's name (default: as the Compare dialog proposes; track: TRACK)"},
    {"--values", nullptr, kBackup | kCompare | kTrack, false, [](CliOptions& o, const std::string&) { o.values = true; },
     "record registry values and their data too (docs/registry-values.md; track: on)"},
    {"--only", "TEXT", kUndo, true, [](CliOptions& o, const std::string& v) { o.only.push_back(v); },
     "only the actions holding TEXT (any case); give it again for more"},
    {"--only-summary", "ITEM", kUndo, true, [](CliOptions& o, const std::string& v) { o.onlySummary.push_back(v); },
     "only the actions of the report's summary item ITEM (a number or category)"},
    {"--undo", nullptr, kTrack, false, [](CliOptions& o, const std::string&) { o.undo = true; },
     "undo every action, compare again, report what is left over"},
    {"--dll-check", nullptr, kUndo | kTrack, false, [](CliOptions& o, const std::string&) { o.dllCheck = true; },
     "before deleting a DLL, look for programs still importing it"},
    {"--unsealed", nullptr, kUndo, false, [](CliOptions& o, const std::string&) { o.unsealed = true; },
     "undo from an unsealed action file: removals only, each asked at the console"},
    {"--deep", nullptr, kBackup | kCompare | kTrack, false, [](CliOptions& o, const std::string&) { o.deep = true; },
     "deep tracking for this run: today's install locations, all subfolders (track: on)"},
    {"--standard", nullptr, kTrack, false, [](CliOptions& o, const std::string&) { o.standard = true; },
     "deep tracking, values and branches as tessary.ini says, as the window compares"},
    {"--branches", "LIST", kCompare | kTrack, false,
     [](CliOptions& o, const std::string& v) { o.branches = v; },
     "the registry branches compared (default: tessary.ini's; track: HKCU,HKLM,HKLM\\SOFTWARE,HKCR,HKCR\\CLSID)"},
    {"--dry-run", nullptr, kUndo, false, [](CliOptions& o, const std::string&) { o.dryRun = true; },
     "print what would be done and change nothing"},
    {"--json", nullptr, kEveryCommand, false, [](CliOptions& o, const std::string&) { o.json = true; },
     "print one JSON document on standard output (docs/cli-json.md)"},
    {"--yes", nullptr, kEveryCommand, false, [](CliOptions& o, const std::string&) { o.yes = true; },
     "answer Yes to every question (confirmation, overwrite, folders)"},
    {"--quiet", nullptr, kEveryCommand, false, [](CliOptions& o, const std::string&) { o.quiet = true; },
     "no progress lines on standard error"},
    {"--help", nullptr, kEveryCommand, false, [](CliOptions& o, const std::string&) { o.command = CliCommand::Help; },
     "this text"},
};

const FlagSpec* FindFlag(std::string_view name) {
  for (const FlagSpec& f : kFlags)
    if (name == f.name) return &f;
  return nullptr;
}

const CommandSpec* FindCommand(CliCommand command) {
  for (const CommandSpec& c : kCommands)
    if (c.command == command) return &c;
  return nullptr;
}

std::string Pad(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size() + 2), ' ');
  return text;
}

// Each line of `text` after the first indented by `indent` blanks.
std::string Indented(const std::string& text, std::size_t indent) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '\n') out.append(indent, ' ');
  }
  return out;
}

}  // namespace

const std::vector<CommandSpec>& Commands() { return kCommands; }
const std::vector<FlagSpec>& Flags() { return kFlags; }

const char* CommandName(CliCommand command) {
  const CommandSpec* c = FindCommand(command);
  return c && command != CliCommand::Help && command != CliCommand::Version ? c->word : "";
}

std::string UsageText() {
  constexpr std::size_t kCommandColumn = 32, kFlagColumn = 16;
  std::string text =
      "Usage: tessaryc [--dir DIR] [--json] [--yes] [--quiet] COMMAND [OPTIONS]\n"
      "       tessaryc --version\n"
      "\n"
      "Records what a program installation changes and undoes it, on the same backup set,\n"
      "reports and action files as tessary.exe, with the settings of tessary.ini.\n"
      "\n"
      "Commands:\n";
  for (const CommandSpec& c : kCommands) {
    if (c.command == CliCommand::Help) continue;
    std::string synopsis = std::string("  ") + c.word;
    if (c.operand == Operand::Report) synopsis += " REPORT";
    for (const FlagSpec& f : kFlags) {
      if (f.commands == kEveryCommand || !(f.commands & CommandBit(c.command))) continue;
      synopsis += std::string(" [") + f.name + (f.valueName ? std::string(" ") + f.valueName : "") + "]" +
                  (f.repeatable ? "..." : "");
    }
    if (c.operand == Operand::Program) synopsis += " [--] PROGRAM [ARGS...]";
    if (synopsis.size() + 2 > kCommandColumn) synopsis += "\n" + std::string(kCommandColumn, ' ');
    else synopsis = Pad(synopsis, kCommandColumn);
    text += synopsis + Indented(c.help, kCommandColumn) + "\n";
  }
  text += "\nOptions:\n";
  for (const FlagSpec& f : kFlags) {
    std::string which;
    if (f.commands != kEveryCommand) {
      for (const CommandSpec& c : kCommands)
        if (f.commands & CommandBit(c.command)) which += (which.empty() ? "" : ", ") + std::string(c.word);
      which += ": ";
    }
    const std::string head =
        Pad(std::string("  ") + f.name + (f.valueName ? std::string(" ") + f.valueName : ""), kFlagColumn) + which;
    text += head + Indented(f.help, head.size()) + "\n";
  }
  text +=
      "\n"
      "REPORT is a report's path, or its name in the backup directory (COMPARE, COMPARE.TSC).\n"
      "Questions are asked on the console when standard input is one; otherwise a question\n"
      "that --yes does not answer is answered No and the command changes nothing.\n"
      "Ctrl+C stops compare and undo at the next check, as Cancel does.\n"
      "LIST names registry branches, comma-separated: HKCU, HKLM, HKLM\\SOFTWARE, HKCR,\n"
      "HKCR\\CLSID, HKU, HKCC (or their long names), all or none.\n"      "Registry values and deep entries that the system changes by itself (caches, logs,\n"
      "MRU lists, random seeds) are left out of reports and counted: tessary-noise.txt\n"
      "beside tessary.ini adds rules of your own (docs/noise.md).\n"
      "\n"
      "Exit codes: 0 no changes / every action done / nothing left over; 1 changes found /\n"
      "some action not done / something left over; 2 usage error; 3 bad input (no backup set,\n"
      "no report or action file, integrity errors, program not found); 4 the run failed;\n"
      "5 declined (nothing changed); 6 the tracked program failed (exit code not 0; the\n"
      "compare was made); 7 nothing was compared (every section left out); 130 interrupted\n"
      "by Ctrl+C. A verdict (no changes, nothing left over) holds for what was compared;\n"
      "the output names what was not.\n";
  return text;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  CliOptions& o = parsed.options;
  auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  if (args.empty()) return fail("no command given (try tessaryc --help)");

  std::vector<const FlagSpec*> given;
  // A flag of every command given before the command: "--dir DIR", "--dir=DIR", "--json".
  std::size_t at = 0;
  std::vector<std::pair<const FlagSpec*, std::string>> early;
  for (; at < args.size() && args[at].size() > 2 && args[at].compare(0, 2, "--") == 0; ++at) {
    const std::string& arg = args[at];
    const std::size_t equals = arg.find('=');
    const FlagSpec* flag = FindFlag(arg.substr(0, equals));
    if (!flag || flag->commands != kEveryCommand || std::string_view(flag->name) == "--help") break;
    std::string value;
    if (flag->valueName) {
      if (equals != std::string::npos) value = arg.substr(equals + 1);
      else if (at + 1 < args.size()) value = args[++at];
      if (value.empty()) return fail(std::string("option ") + flag->name + " needs a value");
    } else if (equals != std::string::npos) {
      return fail(std::string("option ") + flag->name + " takes no value");
    }
    for (const FlagSpec* g : given)
      if (g == flag) return fail(std::string(flag->name) + " given twice");
    given.push_back(flag);
    early.emplace_back(flag, value);
  }
  if (at >= args.size()) return fail("no command given (try tessaryc --help)");
  const std::string& first = args[at];
  if (first == "--help" || first == "-h" || first == "/?") {
    o.command = CliCommand::Help;
    return parsed;
  }
  if (first == "--version") {
    o.command = CliCommand::Version;
    return parsed;
  }
  const CommandSpec* chosen = nullptr;
  for (const CommandSpec& c : kCommands)
    if (first == c.word) chosen = &c;
  if (!chosen) return fail("unknown command '" + first + "' (try tessaryc --help)");
  o.command = chosen->command;
  if (o.command == CliCommand::Help || o.command == CliCommand::Version) return parsed;
  const std::string command = chosen->word;
  for (const auto& [flag, value] : early) flag->apply(o, value);

  for (std::size_t i = at + 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      if (chosen->operand != Operand::Program) return fail("'--' belongs to track only");
      o.program.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (arg == "-h") {
      o.command = CliCommand::Help;
      return parsed;
    }
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const FlagSpec* flag = FindFlag(name);
      if (!flag || !(flag->commands & CommandBit(o.command)))
        return fail("unknown option '" + name + "' for " + command);
      std::string value;
      if (flag->valueName) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        }
        if (value.empty()) return fail("option " + name + " needs a value");
        for (const FlagSpec* g : given)
          if (g == flag && !flag->repeatable) return fail(name + " given twice");
      } else if (equals != std::string::npos) {
        return fail("option " + name + " takes no value");
      }
      given.push_back(flag);
      flag->apply(o, value);
      if (o.command == CliCommand::Help) return parsed;
      continue;
    }
    // A plain argument: the report of actions and undo, the program of track.
    if (chosen->operand == Operand::Program) {
      o.program.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (chosen->operand == Operand::Report && o.report.empty()) {
      o.report = arg;
      continue;
    }
    return fail("unexpected argument '" + arg + "' for " + command);
  }

  if (o.branches && !ParseBranchList(*o.branches))
    return fail("--branches: '" + *o.branches + "' is no list of registry branches (try tessaryc --help)");
  if (chosen->operand == Operand::Report && o.report.empty()) return fail(command + " needs a REPORT");
  if (chosen->operand == Operand::Program && (o.program.empty() || o.program[0].empty()))
    return fail(command + " needs a PROGRAM to run");
  return parsed;
}

}  // namespace tessary::cli
