// Holds Wine's desktop open for a whole test run.
//
// Wine closes a desktop about a second after its last user goes: it unlinks the
// desktop and tells the desktop's explorer to quit. A test program that starts in that
// moment can end up on a desktop whose window is gone, and then every window it tries
// to create fails. One process that stays on the desktop for the whole run keeps the
// desktop (and its explorer) up between the test programs; the run kills it at the end.
//
// Usage: desktop_keeper.exe READY-FILE — the file is created once the desktop is up.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (!GetDesktopWindow()) return 1;
  HANDLE ready = CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
