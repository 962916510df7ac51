#include "core/gui_seams.h"

#include <string>
#include <type_traits>
#include <vector>

#include "platform/files.h"

namespace tessary {

// The seams' window handle is the real one (STRICT handles), so nothing casts.
static_assert(std::is_same_v<WindowHandle, HWND>);

int MessageBoxPrompter::Ask(const MessageBoxRequest& request) {
  // A box without a caption of its own shows the program's name, not an empty title bar.
  const char* caption = request.caption.empty() ? kProgramName : request.caption.c_str();
  return MessageBoxA(request.owner, request.text.c_str(), caption, request.style);
}

LocalTime SystemClock::Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
}

namespace {

// The help file beside the program when it is there (the program may have been started
// from another folder), else the bare name for the help engine's own search.
std::string HelpFilePath() {
  std::string path = ProgramPath();
  std::size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos) {
    path = path.substr(0, slash + 1) + kHelpFile;
    if (PathExists(path)) return path;
  }
  return kHelpFile;
}

}  // namespace

int WinHelpEngine::Call(WindowHandle owner, const HelpRequest& request) {
  static const std::string helpFile = HelpFilePath();
  ULONG_PTR data = request.command == HELP_KEY ? reinterpret_cast<ULONG_PTR>(request.keyword.c_str())
                                               : static_cast<ULONG_PTR>(request.context);
  return WinHelpA(owner, helpFile.c_str(), request.command, data);
}

}  // namespace tessary
