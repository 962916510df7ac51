// Deep tracking over a generated tree (by default 200,000 files in 20,000 folders):
// the deep backup (walk and write the listing) and the deep compare (read the listing,
// walk again, merge) against the floor, a bare recursive FindFirstFileA walk of the same
// tree, measured in the same run. Prints each figure, the ratios (target: at most 1.3)
// and the peak working set after each step, which must grow with the largest folder,
// not with the tree. Usage: bench_deep_tracking [top folders] [subfolders each] [files each]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compare/logic/deep_merge.h"
#include "platform/tree_walk.h"
#include "snapshot/deep_listing_file.h"

using namespace tessary;

namespace {

constexpr int kRounds = 3;

template <typename F>
double TimeMs(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

// The floor: every entry of the tree by FindFirstFileA, recursively, in the order the
// file system gives them, with each entry's size and time read.
std::size_t BareWalk(const std::string& folder) {
  std::size_t count = 0;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  unsigned long long sum = 0;
  do {
    if (data.cFileName[0] == '.' && (!data.cFileName[1] || (data.cFileName[1] == '.' && !data.cFileName[2]))) continue;
    ++count;
    sum += data.nFileSizeLow + data.ftLastWriteTime.dwLowDateTime;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += BareWalk(folder + "\\" + data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return count + (sum & 0);
}

class CountFindings : public DeepFindings {
 public:
  void Added(const DeepAdded&) override { ++changes; }
  void Updated(const TreeEntry&, const TreeEntry&) override { ++changes; }
  void Deleted(const TreeEntry&) override { ++changes; }
  bool Step() override { return true; }
  std::size_t changes = 0;
};

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(folder + "\\" + name);
      else DeleteFileA((folder + "\\" + name).c_str());
    } while (FindNextFileA(h, &data));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int tops = argc > 1 ? std::atoi(argv[1]) : 20;
  const int subs = argc > 2 ? std::atoi(argv[2]) : 1000;
  const int files = argc > 3 ? std::atoi(argv[3]) : 10;
  const std::string root = "C:\\tessary-bench-deep";
  const std::string tree = root + "\\TREE", listing = root + "\\deep_bench.tsb";
  RemoveTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(tree.c_str(), nullptr);

  const int folders = tops * subs + tops;
  std::printf("creating %d files in %d folders (largest folder: %d entries)...\n", tops * subs * files, folders,
              std::max(subs, files));
  std::fflush(stdout);
  const double createMs = TimeMs([&] {
    for (int t = 0; t < tops; ++t) {
      const std::string top = tree + "\\Vendor " + std::to_string(t);
      CreateDirectoryA(top.c_str(), nullptr);
      for (int s = 0; s < subs; ++s) {
        const std::string sub = top + "\\component" + std::to_string(s);
        CreateDirectoryA(sub.c_str(), nullptr);
        for (int f = 0; f < files; ++f) {
          HANDLE h = CreateFileA((sub + "\\file" + std::to_string(f) + ".dll").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
          DWORD written = 0;
          WriteFile(h, "x", static_cast<DWORD>(f % 3), &written, nullptr);
          CloseHandle(h);
        }
      }
    }
  });
  std::printf("created in %.1f s; peak working set now %.1f MB\n", createMs / 1000, PeakWorkingSetMb());

  double walkMs = 1e100, backupMs = 1e100, compareMs = 1e100;
  std::size_t walked = 0, listed = 0, changes = 0;
  double peakAfterWalk = 0, peakAfterBackup = 0;
  for (int round = 0; round < kRounds; ++round) {
    walkMs = std::min(walkMs, TimeMs([&] { walked = BareWalk(tree); }));
    peakAfterWalk = PeakWorkingSetMb();
    backupMs = std::min(backupMs, TimeMs([&] { listed = WriteDeepListing(tree, DeepLeftOut{}, listing).entries; }));
    peakAfterBackup = PeakWorkingSetMb();
    compareMs = std::min(compareMs, TimeMs([&] {
                           DeepListingFile before(listing);
                           TreeWalk now(tree, {});
                           CountFindings findings;
                           MergeTrees(before, now, findings);
                           changes = findings.changes;
                         }));
  }
  const double peakAfterCompare = PeakWorkingSetMb();
  WIN32_FILE_ATTRIBUTE_DATA info{};
  GetFileAttributesExA(listing.c_str(), GetFileExInfoStandard, &info);
  std::printf("entries: %zu walked, %zu listed (listing %.1f MB), %zu changes found\n", walked, listed,
              info.nFileSizeLow / (1024.0 * 1024.0), changes);
  std::printf("bare FindFirstFileA walk: %9.1f ms (best of %d)\n", walkMs, kRounds);
  std::printf("deep backup:              %9.1f ms  ratio %.2f (target <= 1.3)\n", backupMs, backupMs / walkMs);
  std::printf("deep compare:             %9.1f ms  ratio %.2f (target <= 1.3)\n", compareMs, compareMs / walkMs);
  std::printf("peak working set: %.1f MB after the walks, %.1f MB after the backups, %.1f MB after the compares\n",
              peakAfterWalk, peakAfterBackup, peakAfterCompare);
  RemoveTree(root);
  return 0;
}
