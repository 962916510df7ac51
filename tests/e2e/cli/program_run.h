// A program started as the end-to-end tests start tessaryc.exe and the installers: no
// console to ask on (standard input from NUL), its output in files, and what it printed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tessary::test {

struct ProgramRun {
  DWORD code = 0xFFFFFFFF;  // the exit code; this when the program could not start
  std::string out, err;
  nlohmann::json json;  // standard output, when it is a JSON document
  double seconds = 0;   // from the start to the end of the program
};

// The command line that starts `exe` with `args`; an argument with a space is quoted.
std::string CommandLine(const std::string& exe, const std::vector<std::string>& args);

// Runs `commandLine` in `folder` to its end (ten minutes at the most), its output in
// numbered files there. `flags` go to CreateProcess; `whileRunning` is given the process
// and the path of its error file before the wait. With TESSARY_E2E_PRINT set, what the
// program printed is printed too.
ProgramRun RunProgram(const std::string& commandLine, const std::string& folder, DWORD flags = 0,
                      const std::function<void(HANDLE process, const std::string& errPath)>& whileRunning = {});

}  // namespace tessary::test
