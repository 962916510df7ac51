#include "app/gui_seams.h"

namespace tessary {

int MessageBoxPrompter::Ask(const MessageBoxRequest& request) {
  return MessageBoxA(static_cast<HWND>(request.owner), request.text.c_str(), request.caption.c_str(), request.style);
}

LocalTime SystemClock::Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
}

int WinHelpEngine::Call(void* owner, const HelpRequest& request) {
  ULONG_PTR data = request.command == HELP_KEY ? reinterpret_cast<ULONG_PTR>(request.keyword.c_str())
                                               : static_cast<ULONG_PTR>(request.context);
  return WinHelpA(static_cast<HWND>(owner), kHelpFile, request.command, data);
}

}  // namespace tessary
