// TViewDlg: the View Compare File dialog. Lists the compare reports of the backup
// directory and hands back the one to view.
#pragma once

#include <optional>
#include <string>

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TViewDlg : public Dialog {
 public:
  TViewDlg(HWND owner, Host& host);
  // Once closed with OK: the report to open in a viewer; none after Cancel.
  const std::optional<std::string>& fileToOpen() const { return fileToOpen_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void FillList();
  void TypeClicked(int id);
  void View();

  Host& host_;
  bool showTsc_ = true;
  bool showSnc_ = true;
  std::optional<std::string> fileToOpen_;
};

}  // namespace tessary
