// Generates a registry branch of 101,010 keys under HKCU\Software\TessaryBench, then
// measures, in one run, the branch export (the walk that Backup and Compare use,
// writing the snapshot file) against the floor: a bare recursive walk that opens every
// key once, relative to its parent, and enumerates its subkey names into memory.
// Prints both figures and their ratio; the branch is removed afterwards.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "snapshot/registry_export.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kBenchRoot[] = "Software\\TessaryBench";
constexpr int kTop = 10, kMiddle = 100, kLeaves = 100;  // 10 + 1,000 + 100,000 keys

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Name(const char* prefix, int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04d", prefix, i);
  return buf;
}

// Creates the branch below `root`; returns the number of keys made.
long Generate(HKEY root) {
  long made = 0;
  for (int t = 0; t < kTop; ++t) {
    HKEY top = nullptr;
    if (RegCreateKeyA(root, Name("Vendor ", t).c_str(), &top) != ERROR_SUCCESS) continue;
    ++made;
    for (int m = 0; m < kMiddle; ++m) {
      HKEY middle = nullptr;
      if (RegCreateKeyA(top, Name("Product", m).c_str(), &middle) != ERROR_SUCCESS) continue;
      ++made;
      for (int l = 0; l < kLeaves; ++l) {
        HKEY leaf = nullptr;
        if (RegCreateKeyA(middle, Name("{CLSID-", l).c_str(), &leaf) == ERROR_SUCCESS) {
          ++made;
          RegCloseKey(leaf);
        }
      }
      RegCloseKey(middle);
    }
    RegCloseKey(top);
  }
  return made;
}

// The floor: each key opened once and its subkey names enumerated into memory.
void FloorWalk(HKEY key, std::vector<std::string>& names) {
  char buf[400];
  for (DWORD i = 0; RegEnumKeyA(key, i, buf, sizeof buf) == ERROR_SUCCESS; ++i) {
    names.emplace_back(buf);
    HKEY child = nullptr;
    if (RegOpenKeyA(key, buf, &child) == ERROR_SUCCESS) {
      FloorWalk(child, names);
      RegCloseKey(child);
    }
  }
}

// The application's progress: lets waiting messages through at every key.
class PumpingProgress : public tessary::Progress {
 public:
  void SetMainText(const std::string&) override {}
  void SetDetailText(const std::string&) override {}
  void Pump() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  bool Cancelled() override { return false; }
};

}  // namespace

int main() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);  // left over from an interrupted run
  HKEY root = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kBenchRoot, &root) != ERROR_SUCCESS) {
    std::printf("cannot create HKCU\\%s\n", kBenchRoot);
    return 1;
  }
  std::printf("generating the branch...\n");
  std::fflush(stdout);
  auto start = Clock::now();
  long keys = Generate(root);
  std::printf("generated %ld keys in %.1f s\n", keys, Seconds(start));

  std::string dir = "C:\\tessary-bench";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::string out = dir + "\\bench.TSB";
  tessary::RegistryBranch branch{"bench", root, "HKEY_CURRENT_USER", "", "", "bench", nullptr};
  PumpingProgress progress;

  // Rounds alternate which side goes first, so that neither profits from the other's
  // warm-up; the median round of each side counts (the wineserver saves the registry
  // now and then, which disturbs single rounds).
  constexpr int kRounds = 5;
  std::vector<double> floors, exports;
  std::size_t floorKeys = 0;
  for (int round = 1; round <= kRounds; ++round) {
    double floor = 0, exported = 0;
    bool ok = true;
    for (int side = 0; side < 2; ++side) {
      if ((side == 0) == (round % 2 == 1)) {
        start = Clock::now();
        std::vector<std::string> names;
        names.reserve(keys);
        FloorWalk(root, names);
        floor = Seconds(start);
        floorKeys = names.size();
      } else {
        start = Clock::now();
        ok = tessary::WriteBranchFile(branch, out, progress);
        exported = Seconds(start);
      }
    }
    std::printf("round %d: floor %.2f s (%zu keys), export %.2f s (%s, %llu bytes)\n", round, floor, floorKeys,
                exported, ok ? "ok" : "FAILED", static_cast<unsigned long long>(tessary::FileSize(out).value_or(0)));
    std::fflush(stdout);
    floors.push_back(floor);
    exports.push_back(exported);
  }
  std::sort(floors.begin(), floors.end());
  std::sort(exports.begin(), exports.end());
  double floorBest = floors[kRounds / 2], exportBest = exports[kRounds / 2];
  std::printf("floor (median):  %.2f s for %zu keys (%.1f us/key)\n", floorBest, floorKeys, floorBest * 1e6 / floorKeys);
  std::printf("export (median): %.2f s for %zu keys (%.1f us/key)\n", exportBest, floorKeys, exportBest * 1e6 / floorKeys);
  std::printf("ratio export/floor: %.3f (target <= 1.3)\n", exportBest / floorBest);

  RegCloseKey(root);
  start = Clock::now();
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);
  DeleteFileA(out.c_str());
  RemoveDirectoryA(dir.c_str());
  std::printf("removed the branch in %.1f s\n", Seconds(start));
  return 0;
}
