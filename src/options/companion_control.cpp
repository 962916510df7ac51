#include <windows.h>

#include "options/options_engine.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/shell.h"

namespace tessary {

namespace {
constexpr char kCompanionName[] = "Sentinox";
}

std::string SystemCompanions::StartupFolder() { return ShellFolder("Startup"); }

unsigned SystemCompanions::Start(const std::string& commandLine) { return StartProgram(commandLine, SW_SHOWNORMAL); }

bool SystemCompanions::CompanionRunning() { return FindWindowA(kCompanionName, kCompanionName) != nullptr; }

void SystemCompanions::CloseCompanion() {
  if (HWND window = FindWindowA(kCompanionName, kCompanionName)) PostMessageA(window, WM_CLOSE, 0, 0);
}

bool SystemCompanions::RemoveShortcut(const std::string& path) {
  if (!FileExists(path) || !CanWriteFile(path)) return true;  // none, or one the user keeps
  return DeleteToRecycleBin(path) || !PathExists(path);
}

}  // namespace tessary
