// TListDlg: the Uninstall Actions dialog. Shows the lines of an uninstall action file for
// selection, with the verify and DLL-check options; OK hands the selection to RunUninstall.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compare/logic/install_summary.h"
#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TListDlg : public Dialog {
 public:
  TListDlg(Host& host, std::string actionFile);
  // Once closed: whether the user went back with Cancel (the Uninstall command then
  // starts again with the UnInstall dialog), and the uninstall log the user asked to view.
  bool wentBack() const { return wentBack_; }
  const std::optional<std::string>& logToShow() const { return logToShow_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void SelectAll(bool select);
  // The report's install summary, when it has one, offered for choosing one item's lines.
  void OfferSummary();
  void SelectSummaryItem(int index);
  void Run();

  Host& host_;
  std::string actionFile_;
  bool dllLines_ = false;
  std::vector<std::string> entries_;    // the action file's lines as loaded (upper-cased)
  std::vector<std::string> originals_;  // the action file's lines as written
  std::vector<SummaryItem> summary_;    // the report's install summary (empty: none)
  bool wentBack_ = false;
  std::optional<std::string> logToShow_;
};

}  // namespace tessary
