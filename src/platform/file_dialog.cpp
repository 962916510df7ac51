#include "platform/file_dialog.h"

#include <commdlg.h>

#include <vector>

namespace tessary {

namespace {

std::optional<std::string> Choose(const FileNameRequest& request, BOOL(WINAPI* show)(LPOPENFILENAMEA)) {
  // The filter's "|" separators become the NULs the dialog expects, and a last NUL
  // ends the list.
  std::string filter = request.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  std::vector<char> name(MAX_PATH, '\0');
  request.fileName.copy(name.data(), name.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.Flags = request.flags;
  if (!show(&ofn)) return std::nullopt;
  return std::string(name.data());
}

}  // namespace

std::optional<std::string> ChooseFileToOpen(const FileNameRequest& request) {
  return Choose(request, GetOpenFileNameA);
}

std::optional<std::string> ChooseFileToSave(const FileNameRequest& request) {
  return Choose(request, GetSaveFileNameA);
}

}  // namespace tessary
