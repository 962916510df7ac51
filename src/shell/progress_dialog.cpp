#include "shell/progress_dialog.h"

#include "core/host.h"
#include "shell/progress_ids.h"

namespace tessary {

CancelButtonState CancelButtonFor(const AppState& state, ProgressCancel cancel) {
  const bool hidden = cancel == ProgressCancel::Hidden;
  CancelButtonState result;
  if (state.SentinoxPass || state.RunMode != RunMode::Interactive || hidden) result.enabled = false;
  if (hidden) result.visible = false;
  return result;
}

ProgressDialog::ProgressDialog(HWND owner, std::string caption, const AppState& state, ProgressCancel cancel)
    : Dialog(owner, IDD_PROGRESS), caption_(std::move(caption)), state_(state), cancel_(cancel) {}

ProgressDialog::~ProgressDialog() {
  // Through Destroy, so that the owner is enabled again even when the caller never
  // destroyed the window itself.
  Destroy();
}

bool ProgressDialog::Create() { return CreateModeless() != nullptr; }

BOOL ProgressDialog::OnInit() {
  // The base has centred the dialog and made its grey brush.
  SetWindowTextA(hwnd(), caption_.c_str());
  CancelButtonState cancel = CancelButtonFor(state_, cancel_);
  EnableItem(IDCANCEL, cancel.enabled);
  if (!cancel.visible) ShowItem(IDCANCEL, false);
  if (owner()) EnableWindow(owner(), FALSE);
  return TRUE;
}

void ProgressDialog::Close(INT_PTR) {
  if (!hwnd()) return;
  // Enabling is idempotent: a dialog closed by Cancel and later deleted by its caller
  // enables the owner only while its window still exists, once.
  if (owner()) EnableWindow(owner(), TRUE);
  DestroyWindow(hwnd());
}

void ProgressDialog::SetMainText(const std::string& text) {
  if (hwnd()) SetItemText(IDC_PROGRESS_MAIN, text);
}

void ProgressDialog::SetDetailText(const std::string& text) {
  if (hwnd()) SetItemText(IDC_PROGRESS_DETAIL, text);
}

namespace {

class DialogProgress : public Progress {
 public:
  DialogProgress(Host& host, const std::string& caption, ProgressCancel cancel)
      : host_(host), dialog_(host.MainWindow(), caption, host.State(), cancel) {
    dialog_.Create();
  }
  void SetMainText(const std::string& text) override { dialog_.SetMainText(text); }
  void SetDetailText(const std::string& text) override { dialog_.SetDetailText(text); }
  void Pump() override { host_.PumpMessages(); }
  bool Cancelled() override { return !dialog_.Exists(); }

 private:
  Host& host_;
  ProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<Progress> DialogProgressFactory::Open(const std::string& caption, ProgressCancel cancel) {
  return std::make_unique<DialogProgress>(host_, caption, cancel);
}

}  // namespace tessary
