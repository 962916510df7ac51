// tessaryc.exe: Tessary's engine on the command line (a console program; it never opens
// a window or a message box).
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/console_seams.h"

namespace {

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Whatever fails, the system shows no error box either.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  tessary::cli::StopFlag::Install();
  std::vector<std::string> args(argv + 1, argv + argc);
  tessary::cli::CliIo io{std::cin, std::cout, std::cerr, IsConsole(STD_INPUT_HANDLE), IsConsole(STD_ERROR_HANDLE)};
  return tessary::cli::RunTessaryc(args, io);
}
