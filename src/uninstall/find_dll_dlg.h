// TFindDllDlg: the DLL Dependencies dialog. Lists the files found to refer to one DLL and
// asks whether to delete it: the result is id::kYes, id::kNo or id::kCancel.
#pragma once

#include <string>

#include "core/dialog.h"
#include "core/host.h"

namespace tessary {

class TFindDllDlg : public Dialog {
 public:
  TFindDllDlg(Host& host, HWND owner, std::string dllPath);

 protected:
  BOOL OnInit() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;

 private:
  Host& host_;
  std::string dllPath_;
};

}  // namespace tessary
