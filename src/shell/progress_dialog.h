// ProgressDialog: the modeless window a long operation shows (a main line, a detail
// line and Cancel). It disables its owner while it exists; pressing Cancel destroys
// it, and the operation notices at its next check that the window is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/dialog.h"
#include "core/seams.h"

namespace tessary {

class Host;

// How a new progress dialog shows Cancel: hidden when asked, and disabled then, in a
// Sentinox pass and outside the interactive mode.
struct CancelButtonState {
  bool enabled = true;
  bool visible = true;
};
CancelButtonState CancelButtonFor(const AppState& state, ProgressCancel cancel);

class ProgressDialog : public Dialog {
 public:
  // The run mode and the pass are read from `state` when the window is created.
  ProgressDialog(HWND owner, std::string caption, const AppState& state, ProgressCancel cancel = ProgressCancel::Shown);
  ~ProgressDialog() override;

  // Makes the window modeless and visible and runs the set-up step.
  bool Create();
  void SetMainText(const std::string& text);
  void SetDetailText(const std::string& text);
  // True while the window has not been destroyed (by Cancel or by the owner).
  bool Exists() const { return hwnd() != nullptr; }
  // Re-enables the owner, then destroys the window, whatever result is asked for.
  void Destroy() { Close(IDCANCEL); }

 protected:
  BOOL OnInit() override;
  void Close(INT_PTR result) override;

 private:
  std::string caption_;
  const AppState& state_;
  ProgressCancel cancel_;
};

// The Progress seam on top of ProgressDialog and the application's message pump.
class DialogProgressFactory : public ProgressFactory {
 public:
  explicit DialogProgressFactory(Host& host) : host_(host) {}
  std::unique_ptr<Progress> Open(const std::string& caption, ProgressCancel cancel) override;
  using ProgressFactory::Open;
  void Settle() override;

 private:
  Host& host_;
};

}  // namespace tessary
