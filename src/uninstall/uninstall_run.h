// The uninstall executor: carries out the selected lines of an uninstall action file,
// asks what the user wants verified and appends one block to the uninstall log.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"
#include "uninstall/logic/action_result.h"

namespace tessary {

struct UninstallSelection {
  std::string actionFile;            // the uninstall action file; the log is written beside it
  std::vector<std::string> entries;  // the list entries in list (sorted) order
  std::vector<bool> selected;        // one flag per entry
  // The same lines as the action file holds them, before upper-casing (empty: use the
  // entries). The INI keys and values that CHANGE and ADD write back come from these,
  // so that an undone entry gets back its own letter case.
  std::vector<std::string> originals;
  bool verifyBox = true;             // "&Verify all actions"
  bool dllCheckBox = true;           // "&Check DLL Dependencies"
  bool dllLinesPresent = false;      // the file holds a REMOVEFILE line naming a .DLL
};

// What the dialog does after a run.
enum class RunOutcome {
  Stay,         // nothing selected, a safety copy failed or a Cancel: the dialog stays
  CloseOk,      // normal end
  CloseCancel,  // the dialog closes with Cancel
};

struct UninstallResult {
  RunOutcome outcome = RunOutcome::Stay;
  // The uninstall log, when the user asked at the end of the run to view it.
  std::optional<std::string> logToShow;
  // One per entry of the selection, in its order: what became of it.
  std::vector<ActionResult> actions;
  std::string logPath;  // the log the run appended its block to (empty: none was opened)
};

// What the run decides itself instead of asking, and what it keeps. The dialog takes the
// defaults; a caller that has settled the questions beforehand (tessaryc) says so here.
struct UninstallPolicy {
  // Carrying out every selected action without verification is confirmed already: the
  // "No verify uninstall" question is not asked.
  bool unverifiedConfirmed = false;
  // At the end, ask whether to view the log ("Uninstall Complete").
  bool offerLog = true;
  // Write the two check boxes back to the settings ([uninstall] VerifyAllUninstall,
  // DLLDepend), as the dialog keeps them for its next opening.
  bool rememberBoxes = true;
};

// The parts of a run that belong to the dialog or the machine; tests replace them.
struct UninstallEnvironment {
  // The Windows directory holding win.ini, system.ini and protocol.ini.
  std::string windowsDirectory;
  // The DLL Dependencies dialog for one DLL: id::kYes, kNo or kCancel.
  std::function<int(const std::string& dllPath)> askDll;
  // The drive roots the dependency scan walks.
  std::function<std::vector<std::string>()> scanRoots;
  // Moves the actions dialog out of the way for the scan, and back after a DLL Cancel.
  std::function<void()> moveAway, moveBack;
  // Checked before each action (the console's Ctrl+C): true ends the run there, as a
  // Cancel answer to a question does. The dialog sets none.
  std::function<bool()> stopRequested;
};

// The environment of the running program: the real Windows directory and drives.
UninstallEnvironment DefaultUninstallEnvironment(EngineHost& host, std::function<int(const std::string&)> askDll);

// One press of OK in the Uninstall Actions dialog.
UninstallResult RunUninstall(EngineHost& host, const UninstallSelection& selection, const UninstallEnvironment& env,
                             const UninstallPolicy& policy = {});

}  // namespace tessary
