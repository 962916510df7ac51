// What the Compare dialog's OK does, without the dialog: the report name from the name
// field (kCompareNameLimit and ProposeCompareName are the run's, compare_run.h), the
// overwrite question and the run. The dialog, tessaryc and the benchmarks call
// it alike.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "compare/compare_run.h"
#include "core/host.h"
#include "snapshot/values_switch.h"

namespace tessary {

// The name an unattended (Sentinox) pass gives its report: `name` itself when no
// report, uninstall action file or uninstall log of that name lies in the backup
// directory, else the first free of name + "_2", "_3", ...; empty when all are taken.
std::string FreeSentinoxReportName(const std::string& backupDirectory, const std::string& name);

// What OK decided: the dialog stays open (the user declined to overwrite), or it closes
// with the path of the report the run wrote (empty when it wrote none or failed).
struct CompareOkResult {
  bool stay = false;
  std::string reportPath;
  CompareRunResult run;  // what the run compared and what not (empty when none ran)
};

// The OK operation with the text of the name field. `values` decides whether registry
// values are compared ([registry] RecordValues unless the caller decides: tessaryc's --values).
CompareOkResult CompareOk(EngineHost& host, const std::string& fieldText, WindowHandle owner = nullptr,
                          const std::function<void()>& beforeProgress = {}, const std::string& bootDirectory = "C:",
                          ValuesSwitch values = ValuesSwitch::FromSettings);

}  // namespace tessary
