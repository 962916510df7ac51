// TUninstallDlg: the UnInstall dialog. Lists the compare reports of the backup directory;
// the user views or deletes one, or picks the one whose uninstall actions to use.
#pragma once

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TUninstallDlg : public Dialog {
 public:
  explicit TUninstallDlg(Host& host);

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
};

}  // namespace tessary
