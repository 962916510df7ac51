// TCompareDlg: the Compare dialog (resource 217). It proposes a report name and hands
// OK to CompareOk (compare_ok.h), which asks before overwriting a report (a Sentinox
// pass takes a free name instead) and runs the compare.
#pragma once

#include <string>

#include "compare/compare_ok.h"
#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TCompareDlg : public Dialog {
 public:
  TCompareDlg(HWND owner, Host& host);
  // Once closed: the report the Compare wrote, or empty.
  const std::string& reportPath() const { return reportPath_; }

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  void RunOk();
  Host& host_;
  std::string reportPath_;
};

}  // namespace tessary
