// The program track runs: its command line, and the programs it does not wait for.
#include <gtest/gtest.h>

#include "cli/tracked_program.h"
#include "fault_plan.h"

namespace tessary::cli {
namespace {

TEST(TrackedProgramTest, ProgramArgumentsAreQuotedAsTheRuntimeReadsThemBack) {
  EXPECT_EQ(QuoteCommandLine({"setup.exe", "/S"}), "setup.exe /S");
  EXPECT_EQ(QuoteCommandLine({"C:\\Program Files\\a b.exe", "", "say \"hi\""}),
            "\"C:\\Program Files\\a b.exe\" \"\" \"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteCommandLine({"x", "C:\\dir with blank\\"}), "x \"C:\\dir with blank\\\\\"");
}

TEST(TrackedProgramTest, ResidentProgramsAreTheShellAndTheServices) {
  for (const char* name : {"explorer.exe", "C:\\windows\\system32\\services.exe", "SVCHOST.EXE", "winedevice.exe"})
    EXPECT_TRUE(IsResidentProgram(name)) << name;
  for (const char* name : {"setup.exe", "C:\\windows\\system32\\msiexec.exe", "explorer.exe.bak", ""})
    EXPECT_FALSE(IsResidentProgram(name)) << name;
}

// The program starts in its job through the platform, where the fault seam sees the
// start: a refused start is an error that names the program, and nothing runs.
TEST(TrackedProgramTest, StartsThroughThePlatformAndReportsARefusedStart) {
  const TrackedRun ran = RunTracked({"cmd.exe", "/c", "exit 3"}, {});
  ASSERT_TRUE(ran.started) << ran.error;
  EXPECT_EQ(ran.exitCode, 3u);
  EXPECT_GE(ran.processes, 1u);

  test::FaultPlan plan;
  plan.target = {FileOp::Start, 1, {}, ERROR_ACCESS_DENIED};
  TrackedRun refused;
  {
    test::ScopedFaults faults(plan);
    refused = RunTracked({"cmd.exe", "/c", "exit 3"}, {});
  }
  EXPECT_EQ(plan.failures, 1);
  EXPECT_FALSE(refused.started);
  EXPECT_EQ(refused.error.rfind("cannot start ", 0), 0u) << refused.error;
  EXPECT_NE(refused.error.find("cmd.exe (error 5)"), std::string::npos) << refused.error;
}

}  // namespace
}  // namespace tessary::cli
