// A compare run of its own for tests of single report sections: an empty report and
// action file in the test's backup directory, and a progress that records.
#pragma once

#include <memory>
#include <string>

#include "compare/compare_run.h"
#include "testbed.h"

namespace tessary::test {

class SectionRunTest : public HostTest {
 protected:
  SectionRunTest() : progress(host.progress.Open("X.TSC")), run{host, *progress, "", "", "", ""} {
    run.reportPath = backupDir + "\\X.TSC";
    run.actionPath = backupDir + "\\X.TSU";
    run.backupExt = "tsb";
    run.freeSpaceExt = "tsb";
    WriteBytes(run.reportPath, "");
    WriteBytes(run.actionPath, "");
  }
  std::string Report() { return ReadBytes(run.reportPath); }
  std::string Actions() { return ReadBytes(run.actionPath); }

  std::unique_ptr<Progress> progress;
  CompareRun run;
};

}  // namespace tessary::test
