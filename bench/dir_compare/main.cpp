// Directory compare of a 20,000-entry directory against the time it takes to list
// the same directory. Prints both figures and their ratio (target: at most 1.5).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "compare/dir_compare.h"
#include "compare_bench_host.h"
#include "platform/files.h"

using namespace tessary;

namespace {

constexpr int kEntries = 20000;
constexpr int kRounds = 5;

// The floor: the directory search with each entry's packed date, as a listing needs.
std::size_t ListDirectory(const std::string& directory) {
  std::size_t count = 0;
  DirSearch search(directory + "\\*.*");
  FindEntry entry;
  unsigned sum = 0;
  while (search.Next(entry)) {
    DosDateTime when = ToDosDateTime(entry.lastWrite);
    sum += when.date + when.time;
    ++count;
  }
  return count + (sum & 0);
}

}  // namespace

int main() {
  const std::string root = "C:\\tessary-bench-dir";
  bench::RemoveFolder(root);
  CreateDirectoryA(root.c_str(), nullptr);
  const std::string directory = root + "\\BIG";
  const std::string backup = root + "\\BACKUP";
  CreateDirectoryA(directory.c_str(), nullptr);
  CreateDirectoryA(backup.c_str(), nullptr);

  std::printf("creating %d entries...\n", kEntries);
  for (int i = 0; i < kEntries; ++i) {
    std::string name = directory + "\\FILE" + std::to_string(i) + (i % 7 == 0 ? ".INI" : ".DAT");
    if (i % 100 == 0) {
      CreateDirectoryA((directory + "\\SUB" + std::to_string(i)).c_str(), nullptr);
      continue;
    }
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(h);
  }

  // The backup listing: every entry as it is, except that one in twenty is missing
  // (ADDED now) and one in twenty has another date (UPDATED now).
  std::string listing;
  int added = 0, updated = 0;
  {
    DirSearch search(directory + "\\*.*");
    FindEntry entry;
    int n = 0;
    while (search.Next(entry)) {
      ++n;
      if (n % 20 == 0) {
        ++added;
        continue;
      }
      DosDateTime when = ToDosDateTime(entry.lastWrite);
      if (n % 20 == 10) {
        when.date = static_cast<std::uint16_t>(when.date - 1);
        ++updated;
      }
      listing += entry.name + (entry.attributes == FILE_ATTRIBUTE_DIRECTORY ? "  (DIR)" : "") + "," +
                 std::to_string(when.date) + "," + std::to_string(when.time) + "\r\n";
    }
  }
  std::ofstream(backup + "\\bigdir.tsb", std::ios::binary) << listing;

  bench::BenchHost host;
  host.state.BackupDirectory = backup;
  host.state.SettingsFilePath = root + "\\tessary.ini";
  bench::QuietProgress progress;

  double listMs = 1e100, compareMs = 1e100;
  std::size_t listed = 0;
  for (int round = 0; round < kRounds; ++round) {
    listMs = std::min(listMs, bench::TimeMs([&] { listed = ListDirectory(directory); }));
    CompareRun run{host, progress, backup + "\\BENCH.TSC", backup + "\\BENCH.TSU", "tsb", "tsb"};
    std::ofstream(run.reportPath, std::ios::binary).flush();
    std::ofstream(run.actionPath, std::ios::binary).flush();
    compareMs = std::min(compareMs, bench::TimeMs([&] { CompareOneDirectory(run, directory, backup + "\\bigdir.tsb"); }));
  }
  std::printf("entries listed: %zu (listing lines changed: %d added, %d updated)\n", listed, added, updated);
  std::printf("list directory:    %8.1f ms (best of %d)\n", listMs, kRounds);
  std::printf("compare directory: %8.1f ms (best of %d)\n", compareMs, kRounds);
  std::printf("ratio compare/list: %.2f (target <= 1.5)\n", compareMs / listMs);
  bench::RemoveFolder(root);
  return 0;
}
