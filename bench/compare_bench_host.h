// A host without windows for the compare benchmarks: message boxes print and answer
// OK, progress does nothing, the clock stands still.
#pragma once

#include <chrono>
#include <string>

#include "core/host.h"
#include "compare/compare_run.h"

namespace tessary::bench {

class QuietProgress : public Progress {
 public:
  void SetMainText(const std::string&) override {}
  void SetDetailText(const std::string&) override {}
  void Pump() override {}
  bool Cancelled() override { return false; }
};

class BenchHost : public Host, Prompter, ProgressFactory, Clock, HelpEngine {
 public:
  AppState& State() override { return state; }
  Prompter& Prompts() override { return *this; }
  ProgressFactory& Progresses() override { return *this; }
  Clock& Time() override { return *this; }
  HelpEngine& Help() override { return *this; }
  WindowHandle MainWindow() override { return nullptr; }
  void PumpMessages() override {}
  void RefreshLastBackup() override {}
  void OpenInViewer(const std::string&) override {}
  void RunCommand(Command) override {}
  void ContinueExpress() override {}
  void PruneSentinoxReports() override {}
  void Quit() override {}

  int Ask(const MessageBoxRequest& request) override;
  void Beep(unsigned) override {}
  std::unique_ptr<Progress> Open(const std::string&, ProgressCancel) override {
    return std::make_unique<QuietProgress>();
  }
  LocalTime Now() override { return {}; }
  int Call(WindowHandle, const HelpRequest&) override { return 1; }

  AppState state;
  int boxes = 0;
};

// Milliseconds taken by `f`.
template <typename F>
double TimeMs(F f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Removes a folder tree (files and folders below it, then the folder).
void RemoveFolder(const std::string& path);

}  // namespace tessary::bench
