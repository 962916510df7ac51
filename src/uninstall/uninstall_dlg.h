// TUninstallDlg: the UnInstall dialog. Lists the compare reports of the backup directory;
// the user views or deletes one, or picks the one whose uninstall actions to use.
#pragma once

#include <optional>
#include <string>

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TUninstallDlg : public Dialog {
 public:
  explicit TUninstallDlg(Host& host);
  // Once closed: the report to view (View Selected File), or the report whose uninstall
  // actions to use (OK), or neither (Cancel).
  const std::optional<std::string>& fileToOpen() const { return fileToOpen_; }
  const std::optional<std::string>& chosenReport() const { return chosenReport_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void Fill();
  // The file name of the selected entry; empty without a selection.
  std::string Selected() const;
  void View();
  void Delete();
  void Accept();

  Host& host_;
  std::optional<std::string> fileToOpen_;
  std::optional<std::string> chosenReport_;
};

}  // namespace tessary
