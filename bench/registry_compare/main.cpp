// Registry compare of a changed branch of more than 100,000 keys against the time of
// that branch's Compare export alone. Prints both figures and their ratio (target:
// at most 1.5). The keys live under HKEY_CURRENT_USER\Software\TessaryBench of the
// build's own prefix and are deleted at the end.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "compare/compare_run.h"
#include "compare_bench_host.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "snapshot/registry_export.h"

using namespace tessary;

namespace {

constexpr int kGroups = 100;
constexpr int kKeysPerGroup = 1000;
constexpr int kNewKeys = 1000;
const char* const kBenchKey = "Software\\TessaryBench";

void CreateKeys(HKEY parent, const std::string& group, int count) {
  HKEY groupKey = nullptr;
  if (RegCreateKeyA(parent, group.c_str(), &groupKey) != ERROR_SUCCESS) return;
  for (int k = 0; k < count; ++k) {
    HKEY key = nullptr;
    if (RegCreateKeyA(groupKey, ("Key" + std::to_string(k)).c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
  }
  RegCloseKey(groupKey);
}

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::size_t lines = 0;
  std::string line;
  while (std::getline(in, line)) ++lines;
  return lines;
}

}  // namespace

int main() {
  const std::string root = "C:\\tessary-bench-reg";
  bench::RemoveFolder(root);
  CreateDirectoryA(root.c_str(), nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);

  bench::BenchHost host;
  host.state.BackupDirectory = root;
  host.state.SettingsFilePath = root + "\\tessary.ini";
  host.state.WindowsDirectory = WindowsDirectory();
  if (!ProfileWrite(host.state.SettingsFilePath, "registry", "Curuser", "yes")) {
    std::fprintf(stderr, "cannot write the settings file %s\n", host.state.SettingsFilePath.c_str());
    return 1;
  }

  std::printf("creating %d keys below HKEY_CURRENT_USER\\%s...\n", kGroups * (kKeysPerGroup + 1), kBenchKey);
  HKEY bench = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kBenchKey, &bench);
  double createMs = bench::TimeMs([&] {
    for (int g = 0; g < kGroups; ++g) CreateKeys(bench, "Group" + std::to_string(g), kKeysPerGroup);
  });
  std::printf("created in %.0f ms\n", createMs);

  // The backup snapshot of the branch, then a change: a new group of keys.
  ExportRegistryForCompare(host);
  MoveFileA((root + "\\curuser.TST").c_str(), (root + "\\curuser.TSB").c_str());
  std::size_t backupLines = CountLines(root + "\\curuser.TSB");
  CreateKeys(bench, "NewGroup", kNewKeys - 1);
  RegCloseKey(bench);

  double exportMs = bench::TimeMs([&] { ExportRegistryForCompare(host); });
  std::size_t currentLines = CountLines(root + "\\curuser.TST");
  DeleteFileA((root + "\\curuser.TST").c_str());

  bench::QuietProgress progress;
  CompareRun run{host, progress, root + "\\BENCH.TSC", root + "\\BENCH.TSU", "tsb", "tsb"};
  std::ofstream(run.reportPath, std::ios::binary).flush();
  std::ofstream(run.actionPath, std::ios::binary).flush();
  double compareMs = bench::TimeMs([&] { CompareRegistry(run); });
  std::size_t actions = CountLines(run.actionPath);

  std::printf("branch keys: %zu at backup, %zu now; keys reported added: %zu (expected %d)\n", backupLines,
              currentLines, actions, kNewKeys);
  std::printf("export of the branch:          %9.1f ms\n", exportMs);
  std::printf("registry compare (with export): %9.1f ms\n", compareMs);
  std::printf("ratio compare/export: %.2f (target <= 1.5)\n", compareMs / exportMs);

  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  bench::RemoveFolder(root);
  return actions == std::size_t(kNewKeys) ? 0 : 1;
}
