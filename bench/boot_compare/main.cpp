// Boot-file compare of two 20,000-line files (one line in ten changed) against the
// time it takes to read and split both files. Prints both figures and their ratio.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "compare/boot_compare.h"
#include "compare_bench_host.h"
#include "compare/logic/compare_text.h"

using namespace tessary;
using tessary::bench::BenchHost;
using tessary::bench::QuietProgress;

namespace {

constexpr int kLines = 20000;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
  const std::string root = "C:\\tessary-bench-boot";
  CreateDirectoryA(root.c_str(), nullptr);
  std::string current, backup;
  for (int i = 0; i < kLines; ++i) {
    std::string line = "SET VARIABLE" + std::to_string(i) + "=C:\\SOME\\PATH\\" + std::to_string(i * 7);
    if (i % 1000 == 0) current += ":LABEL" + std::to_string(i) + "\r\n", backup += ":LABEL" + std::to_string(i) + "\r\n";
    current += line + (i % 10 == 0 ? "X" : "") + "\r\n";
    backup += line + "\r\n";
  }
  std::ofstream(root + "\\autoexec.bat", std::ios::binary) << current;
  std::ofstream(root + "\\autoexec.tsb", std::ios::binary) << backup;

  BenchHost host;
  host.state.BackupDirectory = root;
  host.state.SettingsFilePath = root + "\\tessary.ini";
  QuietProgress progress;
  const BootFile file{"Comparing Autoexec.bat", "AUTOEXEC.BAT", "autoexec.bat", "autoexec", "e1", "e2"};

  double best = 1e9, bestRead = 1e9;
  for (int round = 0; round < 5; ++round) {
    auto t0 = std::chrono::steady_clock::now();
    std::size_t pieces = 0;
    for (const char* name : {"\\autoexec.bat", "\\autoexec.tsb"}) {
      std::ifstream in(root + name, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      pieces += SplitLinePieces(bytes).size();
    }
    auto t1 = std::chrono::steady_clock::now();
    CompareRun run{host, progress, root + "\\B.TSC", root + "\\B.TSU", "tsb", "tsb"};
    run.bootDirectory = root;
    std::ofstream(run.reportPath, std::ios::binary | std::ios::trunc);
    CompareBootFile(run, file, false, true);
    auto t2 = std::chrono::steady_clock::now();
    bestRead = std::min(bestRead, Seconds(t1 - t0));
    best = std::min(best, Seconds(t2 - t1));
    if (round == 0) std::printf("pieces read: %zu\n", pieces);
  }
  std::printf("boot compare of %d lines each: read+split %.4f s, compare %.4f s, ratio %.2f\n", kLines, bestRead,
              best, best / bestRead);
  for (const char* name : {"\\autoexec.bat", "\\autoexec.tsb", "\\B.TSC", "\\B.TSU"}) DeleteFileA((root + name).c_str());
  RemoveDirectoryA(root.c_str());
  return 0;
}
