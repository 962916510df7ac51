// The test build of tessary.exe that tests/ui drives: the real program, except that
// when the environment variable TESSARY_TRACE names a file, every help call is written
// there ("help 1 204 ") instead of reaching the help engine, and every command of the
// frame too ("command 204"). Only this build reads the variable; the shipped program
// (src/shell/main.cpp) has no such switch.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "shell/tessary_app.h"

namespace tessary {
namespace {

class TraceFile {
 public:
  explicit TraceFile(std::string path) : path_(std::move(path)) {}
  void Line(const std::string& line) const {
    if (FILE* f = std::fopen(path_.c_str(), "ab")) {
      std::fputs((line + "\r\n").c_str(), f);
      std::fclose(f);
    }
  }

 private:
  std::string path_;
};

class TraceHelpEngine : public HelpEngine {
 public:
  explicit TraceHelpEngine(std::shared_ptr<const TraceFile> trace) : trace_(std::move(trace)) {}
  int Call(WindowHandle, const HelpRequest& request) override {
    trace_->Line("help " + std::to_string(request.command) + " " + std::to_string(request.context) + " " +
                 request.keyword);
    return 1;
  }

 private:
  std::shared_ptr<const TraceFile> trace_;
};

TestHooks TraceHooks() {
  TestHooks hooks;
  const char* path = std::getenv("TESSARY_TRACE");
  if (!path || !*path) return hooks;
  auto trace = std::make_shared<const TraceFile>(path);
  hooks.help = std::make_unique<TraceHelpEngine>(trace);
  hooks.onCommand = [trace](int commandId) { trace->Line("command " + std::to_string(commandId)); };
  return hooks;
}

}  // namespace
}  // namespace tessary

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  return tessary::RunTessary(showCommand, tessary::TraceHooks());
}
