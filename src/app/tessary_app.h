// tessaryApp: the application object. Owns the process-wide state and the GUI seams,
// builds the main window, runs the message loop with its idle step, and serves the
// commands as the Host of every subsystem.
#pragma once

#include <windows.h>

#include <memory>

#include "app/gui_seams.h"
#include "app/host.h"

namespace tessary {

class TessaryApp : public Host {
 public:
  explicit TessaryApp(bool sentinoxPass);
  ~TessaryApp() override;

  // Builds the main window, runs the message loop; returns the exit code.
  int Run(int showCommand);

  // Host
  AppState& State() override { return state_; }
  Prompter& Prompts() override { return prompter_; }
  ProgressFactory& Progresses() override { return *progress_; }
  Clock& Time() override { return clock_; }
  HelpEngine& Help() override { return help_; }
  void* MainWindow() override { return frame_; }
  void PumpMessages() override;
  void RefreshLastBackup() override;
  void OpenInViewer(const std::string& path) override;
  void RunCommand(int commandId) override;
  void ContinueExpress() override;
  void PruneSentinoxReports() override;
  void Quit() override { PostQuitMessage(0); }

 private:
  bool InitMainWindow(int showCommand);
  void SetStatusText(const std::string& text);
  bool CanClose();
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);

  AppState state_;
  MessageBoxPrompter prompter_;
  SystemClock clock_;
  WinHelpEngine help_;
  std::unique_ptr<ProgressFactory> progress_;
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
  HWND status_ = nullptr;
  int helpUsed_ = 0;
  bool quitting_ = false;
};

}  // namespace tessary
