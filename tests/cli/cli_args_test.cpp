// The command line: every command with its flags, and the usage errors that end in
// exit code 2.
#include <gtest/gtest.h>

#include "cli/logic/cli_args.h"
#include "cli/tracked_program.h"

namespace tessary::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

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
  EXPECT_NE(std::string(kUsageText).find("Exit codes"), std::string::npos);
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
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.args).error, c.error) << testing::PrintToString(c.args);
}

TEST(CliArgsTest, ProgramArgumentsAreQuotedAsTheRuntimeReadsThemBack) {
  EXPECT_EQ(QuoteCommandLine({"setup.exe", "/S"}), "setup.exe /S");
  EXPECT_EQ(QuoteCommandLine({"C:\\Program Files\\a b.exe", "", "say \"hi\""}),
            "\"C:\\Program Files\\a b.exe\" \"\" \"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteCommandLine({"x", "C:\\dir with blank\\"}), "x \"C:\\dir with blank\\\\\"");
}

TEST(CliArgsTest, ResidentProgramsAreTheShellAndTheServices) {
  for (const char* name : {"explorer.exe", "C:\\windows\\system32\\services.exe", "SVCHOST.EXE", "winedevice.exe"})
    EXPECT_TRUE(IsResidentProgram(name)) << name;
  for (const char* name : {"setup.exe", "C:\\windows\\system32\\msiexec.exe", "explorer.exe.bak", ""})
    EXPECT_FALSE(IsResidentProgram(name)) << name;
}

}  // namespace
}  // namespace tessary::cli
