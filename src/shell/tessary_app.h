// tessaryApp: the application object. Owns the process-wide state and the GUI seams,
// builds the main window (the MDI frame with menu, tool bar and status bar), runs the
// message loop with context help and its idle step, and serves the commands as the
// Host of every subsystem.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "shell/context_help.h"
#include "core/gui_seams.h"
#include "core/host.h"
#include "core/startup.h"
#include "platform/handles.h"
#include "shell/find_replace.h"
#include "shell/mdi.h"

namespace tessary {

// The printer object: created on first need, it reports whether a default printer is
// available.
class PrinterObject {
 public:
  PrinterObject();
  bool Error() const { return error_; }

 private:
  bool error_ = true;
};

// What a test build of the program lets a test see from outside (tests/ui builds one):
// a help engine in place of the real one, and a hook told of every command the frame
// runs. The shipped program is built without any, so nothing in a user's environment
// can divert its help calls.
struct TestHooks {
  std::unique_ptr<HelpEngine> help;
  std::function<void(int commandId)> onCommand;
};

class TessaryApp : public Host, public ViewerHost {
 public:
  explicit TessaryApp(bool sentinoxPass, TestHooks hooks = {});
  ~TessaryApp() override;

  // Builds the main window, runs the message loop; returns the exit code.
  int Run(int showCommand);

  // Host
  AppState& State() override { return state_; }
  Prompter& Prompts() override { return prompter_; }
  ProgressFactory& Progresses() override { return *progress_; }
  Clock& Time() override { return clock_; }
  HelpEngine& Help() override { return *help_; }
  WindowHandle MainWindow() override { return frame_; }
  void PumpMessages() override;
  void RefreshLastBackup() override;
  void OpenInViewer(const std::string& path) override;
  void RunCommand(Command command) override;
  void ContinueExpress() override;
  void PruneSentinoxReports() override;
  void Quit() override { PostQuitMessage(0); }

 private:
  // ViewerHost
  Host& host() override { return *this; }
  FileDialogData& SharedFileData() override { return fileData_; }
  void StartFind(HWND editor, bool replace) override { find_.Start(editor, replace); }
  bool FindNext(HWND editor) override { return find_.FindNext(editor); }

  bool InitMainWindow(int showCommand);
  HMENU BuildMenu();
  void BuildToolBar(bool large);
  void BuildStatusBar();
  void LayoutFrame(int width, int height);
  void SetStatusText(const std::string& text);
  void ShowHint(int id);
  void RestoreStatusLabel() { SetStatusText(statusLabel_); }
  void UpdateToolBar();
  void UpdateMenu(HMENU popup);
  bool CommandEnabled(int id);
  bool PrintAvailable();
  // One message of the loop or of a pump, with context help and the accelerators.
  void Dispatch(MSG& msg);
  // Whether every document may close (asks about modified text).
  bool CanClose();
  // Closes the help file when the help-used mark is set.
  void QuitHelp();
  int CallHelp(const HelpRequest& request);
  // Contents and Using help: the help call, which sets the help-used mark.
  void HelpMenuCommand(unsigned command);
  void RunProgram(const char* program, const char* failure, const char* caption);

  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The frame's messages, each handed to one of the handlers below.
  LRESULT OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultFrame(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  // In help mode: shows the help cursor and returns true.
  bool ShowHelpCursor();
  void OnMenuSelect(WPARAM wParam, LPARAM lParam);
  // F1 on a menu item; true when handled.
  bool OnMenuItemHelp(const HELPINFO& info);
  void OnNotify(const NMHDR& header);
  void OnCommand(int id);
  void OnClose();

  AppState state_;
  MessageBoxPrompter prompter_;
  SystemClock clock_;
  std::unique_ptr<HelpEngine> help_;
  std::function<void(int commandId)> onCommand_;
  std::unique_ptr<ProgressFactory> progress_;
  ContextHelp contextHelp_;
  FileDialogData fileData_;
  std::unique_ptr<PrinterObject> printer_;
  std::unique_ptr<TMDIClient> client_;
  HWND frame_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  GdiObject<HFONT> gadgetFont_;
  ImageList images_;
  HACCEL accelerators_ = nullptr;
  std::string statusLabel_;
  int helpUsed_ = 0;
  IdleState idle_;
  FindReplace find_;
};

// The program: takes (and removes) a start request of the Sentinox companion, then runs
// the application; returns its exit code. A test build passes its hooks.
int RunTessary(int showCommand, TestHooks hooks = {});

}  // namespace tessary
