// The command line: every command with its flags, and the usage errors that end in
// exit code 2; the flag table against the parser and --help.
#include <gtest/gtest.h>

#include <set>

#include "cli/logic/cli_args.h"
#include "snapshot/logic/branch_choice.h"

namespace tessary::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }
std::string Describe(const CliOptions& o);

TEST(CliArgsTest, CommandsTakeTheirFlagsInEitherForm) {
  auto p = Parse({"compare", "--name", "SETUP", "--dir=C:\\B", "--json", "--yes", "--quiet"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.command, CliCommand::Compare);
  EXPECT_EQ(p.options.name, "SETUP");
  EXPECT_EQ(p.options.dir, "C:\\B");
  EXPECT_TRUE(p.options.json && p.options.yes && p.options.quiet);

  p = Parse({"undo", "C:\\B\\X.TSC", "--only", "win.ini", "--only=NewVendor", "--dll-check", "--dry-run"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.report, "C:\\B\\X.TSC");
  EXPECT_EQ(p.options.only, (std::vector<std::string>{"win.ini", "NewVendor"}));
  EXPECT_TRUE(p.options.dllCheck && p.options.dryRun);

  p = Parse({"actions", "--json", "COMPARE"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.report, "COMPARE");
}

// Registry values are recorded by the commands that back up or compare, and only by them.
TEST(CliArgsTest, ValuesBelongToTheCommandsThatBackUpOrCompare) {
  for (const char* command : {"backup", "compare"}) {
    auto p = Parse({command, "--values"});
    ASSERT_EQ(p.error, "") << command;
    EXPECT_TRUE(p.options.values) << command;
    EXPECT_FALSE(Parse({command}).options.values) << command;
  }
  auto p = Parse({"track", "--values", "setup.exe"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.values);
  EXPECT_NE(Parse({"undo", "X.TSC", "--values"}).error, "");
  EXPECT_NE(Parse({"actions", "X.TSC", "--values"}).error, "");
}

TEST(CliArgsTest, TrackTakesTheProgramAfterDashDashOrItsFirstPlainArgument) {
  auto p = Parse({"track", "--undo", "--name", "NEW", "--", "setup.exe", "/S", "--json"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.undo);
  EXPECT_FALSE(p.options.json);  // after "--" it is the program's
  EXPECT_EQ(p.options.program, (std::vector<std::string>{"setup.exe", "/S", "--json"}));
  p = Parse({"track", "--json", "setup.exe", "--yes"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.json);
  EXPECT_FALSE(p.options.yes);
  EXPECT_EQ(p.options.program, (std::vector<std::string>{"setup.exe", "--yes"}));
}

TEST(CliArgsTest, HelpInEveryPlace) {
  for (auto args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}, {"compare", "--help"},
                                                         {"undo", "-h"}}) {
    auto p = Parse(args);
    EXPECT_EQ(p.error, "") << args[0];
    EXPECT_EQ(p.options.command, CliCommand::Help) << args[0];
  }
  EXPECT_NE(UsageText().find("Exit codes"), std::string::npos);
}

// The options of every command are taken before the command as after it; --version
// stands alone.
TEST(CliArgsTest, CommonOptionsBeforeTheCommandAndVersion) {
  const auto before = Parse({"--json", "--dir=D:\\B", "--quiet", "--yes", "track", "--", "setup.exe", "--dir"});
  const auto after = Parse({"track", "--json", "--dir", "D:\\B", "--quiet", "--yes", "--", "setup.exe", "--dir"});
  ASSERT_EQ(before.error, "");
  EXPECT_EQ(Describe(before.options), Describe(after.options));
  EXPECT_EQ(before.options.program, (std::vector<std::string>{"setup.exe", "--dir"}));
  EXPECT_EQ(Parse({"--version"}).options.command, CliCommand::Version);
  EXPECT_EQ(Parse({"--quiet", "--version"}).options.command, CliCommand::Version);
}

// --branches: long and short names in any case, all and none; anything else is refused.
TEST(CliArgsTest, BranchListsNameTheSevenBranches) {
  const std::pair<const char*, std::optional<unsigned>> cases[] = {
      {"HKCU", 0x01u}, {"hklm\\software, HKEY_CLASSES_ROOT\\CLSID", 0x14u}, {"HKLM,HKU,HKCC", 0x62u},
      {"all", 0x7Fu}, {"None", 0u}, {"HKCU,", std::nullopt}, {"HKLM\\SYSTEM", std::nullopt}, {"", std::nullopt}};
  for (const auto& [text, bits] : cases) EXPECT_EQ(ParseBranchList(text), bits) << text;
  EXPECT_EQ(BranchListText(kTrackBranches),
            "HKEY_CURRENT_USER,HKEY_LOCAL_MACHINE,HKEY_LOCAL_MACHINE\\SOFTWARE,HKEY_CLASSES_ROOT,"
            "HKEY_CLASSES_ROOT\\CLSID");
}

TEST(CliArgsTest, UsageErrorsNameWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no command given (try tessaryc --help)"},
      {{"restore"}, "unknown command 'restore' (try tessaryc --help)"},
      {{"compare", "--only", "x"}, "unknown option '--only' for compare"},
      {{"backup", "--name", "X"}, "unknown option '--name' for backup"},
      {{"compare", "--undo"}, "unknown option '--undo' for compare"},
      {{"compare", "--name"}, "option --name needs a value"},
      {{"compare", "--name="}, "option --name needs a value"},
      {{"compare", "--json=yes"}, "option --json takes no value"},
      {{"compare", "--name", "A", "--name", "B"}, "--name given twice"},
      {{"compare", "extra"}, "unexpected argument 'extra' for compare"},
      {{"undo"}, "undo needs a REPORT"},
      {{"actions", "A", "B"}, "unexpected argument 'B' for actions"},
      {{"track", "--undo"}, "track needs a PROGRAM to run"},
      {{"track", "--"}, "track needs a PROGRAM to run"},
      {{"compare", "--", "x"}, "'--' belongs to track only"},
      {{"compare", "--branches", "HKCU,HKLM\\NOPE"},
       "--branches: 'HKCU,HKLM\\NOPE' is no list of registry branches (try tessaryc --help)"},
      {{"--dir", "A", "compare", "--dir", "B"}, "--dir given twice"},
      {{"--json"}, "no command given (try tessaryc --help)"},
      {{"--name", "X", "compare"}, "unknown command '--name' (try tessaryc --help)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.args).error, c.error) << testing::PrintToString(c.args);
}

// The arguments that make a whole command line of `command` around its flags: the
// report of actions and undo, the program of track (which must come last).
std::vector<std::string> Around(const CommandSpec& command, std::vector<std::string> flags) {
  std::vector<std::string> args = {command.word};
  if (command.operand == Operand::Report) args.push_back("COMPARE");
  args.insert(args.end(), flags.begin(), flags.end());
  if (command.operand == Operand::Program) args.push_back("setup.exe");
  return args;
}

// Every field of the options, to see what a flag changed.
std::string Describe(const CliOptions& o) {
  std::string d = std::to_string(static_cast<int>(o.command)) + "|" + o.dir.value_or("-") + "|" +
                  o.name.value_or("-") + "|" + o.report + "|";
  for (const std::string& s : o.only) d += s + ",";
  d += "|";
  for (const std::string& s : o.onlySummary) d += s + ",";
  d += "|";
  for (const std::string& s : o.program) d += s + ",";
  for (bool b : {o.json, o.yes, o.quiet, o.dryRun, o.dllCheck, o.undo, o.values, o.deep, o.unsealed, o.standard}) d += b ? "1" : "0";
  d += "|" + o.branches.value_or("-");
  return d;
}

// Each row of the flag table is taken by exactly the commands it names, in both forms
// when it has a value, and changes the options; a flag with a value is refused without
// one, and a switch with one.
TEST(CliArgsTest, EveryFlagOfTheTableIsTakenByItsCommandsAloneAndHasAnEffect) {
  std::set<std::string> names;
  for (const FlagSpec& f : Flags()) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name << " twice in the table";
    EXPECT_TRUE(f.apply != nullptr && f.help && *f.help) << f.name;
    for (const CommandSpec& c : Commands()) {
      if (c.command == CliCommand::Help) continue;
      const bool takes = (f.commands & CommandBit(c.command)) != 0;
      // Values every flag takes (--branches reads its value as a list of branches).
      const std::vector<std::string> flag =
          f.valueName ? std::vector<std::string>{f.name, "HKU"} : std::vector<std::string>{f.name};
      const ParsedCommandLine p = ParseCommandLine(Around(c, flag));
      if (!takes) {
        EXPECT_EQ(p.error, std::string("unknown option '") + f.name + "' for " + c.word);
        continue;
      }
      ASSERT_EQ(p.error, "") << f.name << " " << c.word;
      EXPECT_NE(Describe(p.options), Describe(ParseCommandLine(Around(c, {})).options)) << f.name << " " << c.word;
      if (f.valueName) {
        const ParsedCommandLine joined = ParseCommandLine(Around(c, {std::string(f.name) + "=HKU"}));
        EXPECT_EQ(Describe(joined.options), Describe(p.options)) << f.name;
        EXPECT_EQ(ParseCommandLine(Around(c, {std::string(f.name) + "="})).error,
                  std::string("option ") + f.name + " needs a value");
        const ParsedCommandLine twice = ParseCommandLine(Around(c, {f.name, "HKU", f.name, "HKCC"}));
        EXPECT_EQ(twice.error, f.repeatable ? "" : std::string(f.name) + " given twice") << f.name;
      } else {
        EXPECT_EQ(ParseCommandLine(Around(c, {std::string(f.name) + "=yes"})).error,
                  std::string("option ") + f.name + " takes no value");
      }
    }
  }
}

// --help lists every flag, and each command's synopsis shows the flags that are its own.
TEST(CliArgsTest, HelpIsMadeFromTheTables) {
  const std::string usage = UsageText();
  for (const FlagSpec& f : Flags()) {
    EXPECT_NE(usage.find(std::string("\n  ") + f.name), std::string::npos) << f.name;
    EXPECT_NE(usage.find(f.help), std::string::npos) << f.name;
  }
  for (const CommandSpec& c : Commands()) {
    if (c.command == CliCommand::Help) continue;
    const std::size_t at = usage.find(std::string("\n  ") + c.word + " ");
    ASSERT_NE(at, std::string::npos) << c.word;
    const std::string synopsis = usage.substr(at, usage.find('\n', at + 1) - at);
    for (const FlagSpec& f : Flags()) {
      const bool own = f.commands != kEveryCommand && (f.commands & CommandBit(c.command));
      EXPECT_EQ(synopsis.find(std::string("[") + f.name) != std::string::npos, own) << c.word << " " << f.name;
    }
  }
  EXPECT_NE(usage.find("  undo REPORT [--only TEXT]... [--only-summary ITEM]... [--dll-check] [--unsealed] [--dry-run]"), std::string::npos) << usage;
  EXPECT_NE(usage.find("  track [--name NAME] [--values] [--undo] [--dll-check] [--deep] [--standard] [--branches LIST] [--] PROGRAM"),
            std::string::npos)
      << usage;
  EXPECT_NE(usage.find("  backup [--values] [--deep]"), std::string::npos) << usage;
}
}  // namespace
}  // namespace tessary::cli
