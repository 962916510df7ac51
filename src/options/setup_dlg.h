// TSetupDlg: the Options dialog. Everything is written on OK (SaveSetupForm); the
// Directories and Registry buttons open dialogs that save their own settings.
#pragma once

#include <string>

#include "core/dialog.h"
#include "core/host.h"
#include "options/options_engine.h"

namespace tessary {

class TSetupDlg : public Dialog {
 public:
  TSetupDlg(HWND owner, Host& host, CompanionControl& companions);
  const std::string& browsePath() const { return browsePath_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void FillBrowser();
  void BrowseTo(const std::string& line);
  void KeepLatestClicked();
  void AutoTrackingClicked();
  void Save();

  Host& host_;
  CompanionControl& companions_;
  std::string browsePath_;
};

// The full, normalised form of a path (GetFullPathNameA); the path itself on failure.
std::string FullPath(const std::string& path);

}  // namespace tessary
