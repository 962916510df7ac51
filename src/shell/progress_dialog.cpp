#include "shell/progress_dialog.h"

#include "core/host.h"
#include "shell/progress_logic.h"
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
  ~DialogProgress() override { Draw(throttle_.Flush(GetTickCount64())); }
  // A new step: its last item is shown before the main line changes.
  void SetMainText(const std::string& text) override {
    Draw(throttle_.Flush(GetTickCount64()));
    dialog_.SetMainText(text);
  }
  // Drawn at most every DetailThrottle::kDetailInterval (progress_logic.h).
  void SetDetailText(const std::string& text) override { Draw(throttle_.Offer(text, GetTickCount64())); }
  // The messages wait at most PumpThrottle::kPumpInterval (progress_logic.h).
  void Pump() override {
    const std::uint64_t now = GetTickCount64();
    Draw(throttle_.Due(now));
    if (pumps_.Due(now)) host_.PumpMessages();
  }
  bool Cancelled() override { return !dialog_.Exists(); }

 private:
  void Draw(const std::optional<std::string>& text) {
    if (text) dialog_.SetDetailText(*text);
  }
  Host& host_;
  ProgressDialog dialog_;
  DetailThrottle throttle_;
  PumpThrottle pumps_;
};

}  // namespace

void DialogProgressFactory::Settle() { host_.PumpMessages(); }

std::unique_ptr<Progress> DialogProgressFactory::Open(const std::string& caption, ProgressCancel cancel) {
  return std::make_unique<DialogProgress>(host_, caption, cancel);
}

}  // namespace tessary
