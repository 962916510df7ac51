// The program track runs: its command line, and the programs it does not wait for.
#include <gtest/gtest.h>

#include "cli/tracked_program.h"

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

}  // namespace
}  // namespace tessary::cli
