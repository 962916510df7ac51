// The common file-name dialogs (GetOpenFileNameA, GetSaveFileNameA) over one request.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tessary {

struct FileNameRequest {
  HWND owner = nullptr;
  std::string filter;      // label|pattern pairs separated by "|", as the dialog lists them
  std::string initialDir;  // empty: the dialog's own choice
  std::string fileName;    // the name proposed in the dialog
  std::string title;       // empty: the dialog's own title
  DWORD flags = 0;         // OFN_*
};

// The name the user chose (at most MAX_PATH - 1 characters), or none when the dialog
// was cancelled or failed.
[[nodiscard]] std::optional<std::string> ChooseFileToOpen(const FileNameRequest& request);
[[nodiscard]] std::optional<std::string> ChooseFileToSave(const FileNameRequest& request);

}  // namespace tessary
