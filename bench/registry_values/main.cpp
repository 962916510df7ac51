// Generates a registry branch of 101,010 keys with three values each (a string, a
// DWORD and 24 bytes of binary data, in turn per key) under HKCU\Software\TessaryBench
// and measures, in one run:
//   - the branch export with values (the walk Backup and Compare use, writing the key
//     snapshot and the value snapshot) against the floor: a bare recursive walk that
//     opens every key once and enumerates its subkey names and every value (name, type
//     and data, with RegEnumValueA) into memory; target at most 1.3;
//   - the export without values against the floor of the names alone (the keys-only
//     run, for comparison with earlier figures);
//   - the comparison of two value snapshots with 1,000 values changed between them
//     (reading both files and comparing) against reading both files; target at most 1.2.
// Prints every figure and ratio; the branch is removed afterwards.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "compare/logic/value_compare.h"
#include "platform/files.h"
#include "snapshot/registry_export.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kBenchRoot[] = "Software\\TessaryBench";
constexpr int kTop = 10, kMiddle = 100, kLeaves = 100;  // 10 + 1,000 + 100,000 keys
constexpr int kChanged = 1000;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Name(const char* prefix, int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04d", prefix, i);
  return buf;
}

void SetValues(HKEY key, long n) {
  const std::string text = "C:\\Program Files\\Vendor\\Product " + std::to_string(n) + "\\bin";
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
  const DWORD number = DWORD(n);
  RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  BYTE blob[24];
  for (int i = 0; i < 24; ++i) blob[i] = BYTE(n * 31 + i);
  RegSetValueExA(key, "Settings", 0, REG_BINARY, blob, sizeof blob);
}

// Creates the branch below `root`; returns the number of keys made.
long Generate(HKEY root) {
  long made = 0;
  for (int t = 0; t < kTop; ++t) {
    HKEY top = nullptr;
    if (RegCreateKeyA(root, Name("Vendor ", t).c_str(), &top) != ERROR_SUCCESS) continue;
    SetValues(top, ++made);
    for (int m = 0; m < kMiddle; ++m) {
      HKEY middle = nullptr;
      if (RegCreateKeyA(top, Name("Product", m).c_str(), &middle) != ERROR_SUCCESS) continue;
      SetValues(middle, ++made);
      for (int l = 0; l < kLeaves; ++l) {
        HKEY leaf = nullptr;
        if (RegCreateKeyA(middle, Name("{CLSID-", l).c_str(), &leaf) == ERROR_SUCCESS) {
          SetValues(leaf, ++made);
          RegCloseKey(leaf);
        }
      }
      RegCloseKey(middle);
    }
    RegCloseKey(top);
  }
  return made;
}

struct FloorValue {
  std::string name;
  DWORD type;
  std::string data;
};

// The floor: each key opened once, its subkey names and (when asked) every value
// enumerated into memory.
void FloorWalk(HKEY key, std::vector<std::string>& names, std::vector<FloorValue>* values) {
  if (values) {
    char name[16384];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
      DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
      if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
      values->push_back({std::string(name, nameSize), type, std::string(reinterpret_cast<char*>(data), dataSize)});
    }
  }
  char buf[400];
  for (DWORD i = 0; RegEnumKeyA(key, i, buf, sizeof buf) == ERROR_SUCCESS; ++i) {
    names.emplace_back(buf);
    HKEY child = nullptr;
    if (RegOpenKeyA(key, buf, &child) == ERROR_SUCCESS) {
      FloorWalk(child, names, values);
      RegCloseKey(child);
    }
  }
}

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

// Rounds alternate which side goes first, so that neither profits from the other's
// warm-up; the median round of each side counts.
struct Pair {
  double floor, measured;
};
Pair Rounds(const char* what, int rounds, const std::function<void()>& floor, const std::function<void()>& measured) {
  std::vector<double> floors, others;
  for (int round = 1; round <= rounds; ++round) {
    double f = 0, m = 0;
    for (int side = 0; side < 2; ++side) {
      const auto start = Clock::now();
      if ((side == 0) == (round % 2 == 1)) {
        floor();
        f = Seconds(start);
      } else {
        measured();
        m = Seconds(start);
      }
    }
    std::printf("  %s round %d: floor %.3f s, measured %.3f s\n", what, round, f, m);
    std::fflush(stdout);
    floors.push_back(f);
    others.push_back(m);
  }
  std::sort(floors.begin(), floors.end());
  std::sort(others.begin(), others.end());
  return {floors[rounds / 2], others[rounds / 2]};
}

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
  const long keys = Generate(root);
  std::printf("generated %ld keys with 3 values each in %.1f s\n", keys, Seconds(start));

  const std::string dir = "C:\\tessary-bench";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string keysOut = dir + "\\bench.TSB", valuesOut = dir + "\\bench_val.TSB";
  tessary::RegistryBranch branch{"bench", root, "HKEY_CURRENT_USER", "", "", "bench", nullptr};
  PumpingProgress progress;
  constexpr int kRounds = 3;
  bool ok = true;

  std::size_t floorKeys = 0, floorValues = 0;
  const Pair withValues = Rounds(
      "values", kRounds,
      [&] {
        std::vector<std::string> names;
        std::vector<FloorValue> values;
        names.reserve(keys);
        values.reserve(3 * keys);
        FloorWalk(root, names, &values);
        floorKeys = names.size();
        floorValues = values.size();
      },
      [&] { ok = tessary::WriteBranchFile(branch, keysOut, progress, nullptr, valuesOut) && ok; });
  const auto valueBytes = tessary::FileSize(valuesOut).value_or(0);
  const Pair keysOnly = Rounds(
      "keys only", kRounds,
      [&] {
        std::vector<std::string> names;
        names.reserve(keys);
        FloorWalk(root, names, nullptr);
      },
      [&] { ok = tessary::WriteBranchFile(branch, keysOut, progress) && ok; });

  // A second value snapshot with 1,000 values changed, spread over the branch.
  std::printf("changing %d values...\n", kChanged);
  std::fflush(stdout);
  const std::string backupOut = dir + "\\bench_val.TSB", currentOut = dir + "\\bench_val.TST";
  for (int i = 0; i < kChanged; ++i) {
    const int t = i % kTop, m = (i / kTop) % kMiddle, l = (i * 37) % kLeaves;
    HKEY leaf = nullptr;
    const std::string path = Name("Vendor ", t) + "\\" + Name("Product", m) + "\\" + Name("{CLSID-", l);
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &leaf) != ERROR_SUCCESS) continue;
    const DWORD changed = 0xC0FFEE00u + DWORD(i);
    RegSetValueExA(leaf, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&changed), sizeof changed);
    RegCloseKey(leaf);
  }
  ok = tessary::WriteBranchFile(branch, dir + "\\bench.TST", progress, nullptr, currentOut) && ok;
  std::size_t changedFound = 0;
  const Pair compare = Rounds(
      "compare", 5,
      [&] {
        const auto current = tessary::ReadWholeFile(currentOut);
        const auto backup = tessary::ReadWholeFile(backupOut);
        ok = current && backup && ok;
      },
      [&] {
        const auto current = tessary::ReadWholeFile(currentOut);
        const auto backup = tessary::ReadWholeFile(backupOut);
        const auto changes = current && backup ? tessary::CompareValueSnapshots(*current, *backup) : std::nullopt;
        ok = changes.has_value() && ok;
        changedFound = changes ? changes->changed.size() : 0;
      });

  std::printf("%s\n", ok ? "every run ok" : "A RUN FAILED");
  std::printf("export with values: %.2f s for %zu keys, %zu values, %llu bytes of values; floor %.2f s; "
              "ratio %.3f (target <= 1.3)\n",
              withValues.measured, floorKeys, floorValues, static_cast<unsigned long long>(valueBytes),
              withValues.floor, withValues.measured / withValues.floor);
  std::printf("export keys only:   %.2f s; floor of the names %.2f s; ratio %.3f\n", keysOnly.measured,
              keysOnly.floor, keysOnly.measured / keysOnly.floor);
  std::printf("compare of two value snapshots (%zu changed found): %.3f s; reading both %.3f s; ratio %.3f "
              "(target <= 1.2)\n",
              changedFound, compare.measured, compare.floor, compare.measured / compare.floor);

  RegCloseKey(root);
  start = Clock::now();
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);
  for (const char* f : {"\\bench.TSB", "\\bench_val.TSB", "\\bench.TST", "\\bench_val.TST"})
    DeleteFileA((dir + f).c_str());
  RemoveDirectoryA(dir.c_str());
  std::printf("removed the branch in %.1f s\n", Seconds(start));
  return ok ? 0 : 1;
}
