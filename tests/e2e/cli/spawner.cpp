// A program that ends at once but leaves a detached child behind, which makes a folder
// in Program Files two seconds later: tracking must wait for the child too.
//   cli_spawner spawn NAME   starts "cli_spawner late NAME" detached and returns
//   cli_spawner late NAME    waits, then creates C:\Program Files\NAME
#include <windows.h>

#include <string>

#include "platform/handles.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  if (mode == "late") {
    Sleep(2000);
    return CreateDirectoryA((std::string("C:\\Program Files\\") + argv[2]).c_str(), nullptr) ? 0 : 1;
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" late " + argv[2];
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                      &info))
    return 1;
  const tessary::UniqueHandle thread(info.hThread), process(info.hProcess);
  return 0;
}
