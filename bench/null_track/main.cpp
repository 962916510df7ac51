// A null install tracked in the complete mode: `tessaryc track --deep --values --branches
// HKCU,HKLM\SOFTWARE,HKCR,HKCR\CLSID -- cmd.exe /c exit 0` against the sum of its floors,
// measured in the same run: a bare recursive walk of the deep places twice (the backup
// and the compare each walk them once) and a bare registry walk that reads every value of
// the compared branches twice. Rounds alternate which side goes first (5 rounds unless
// told); the best round of each side counts, the medians are printed too. Prints the
// figures, the ratio (target: at most 1.3), what the track found (a null install: nothing),
// tessaryc's peak working set, and the time of each of its steps (from the progress lines
// it writes to standard error, as they arrive). scripts/bench runs it in a fresh prefix of
// its own.
// Usage: bench_null_track [rounds] [tessaryc.exe]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/settings.h"
#include "snapshot/deep_places.h"

using namespace tessary;

namespace {

using StopWatch = std::chrono::steady_clock;
double Seconds(StopWatch::time_point start) { return std::chrono::duration<double>(StopWatch::now() - start).count(); }

const char* const kBranches = "HKCU,HKLM\\SOFTWARE,HKCR,HKCR\\CLSID";
const char* const kBackupDirectory = "C:\\tessary-bench-track";

// The deep floor: every entry below `folder` by FindFirstFileA, with its size and time read.
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
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      count += BareWalk(folder + "\\" + data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return count + (sum & 0);
}

// The registry floor: each key opened once, its subkey names and every value (name, type,
// data) read into memory through the wide calls (the export's own); a subkey named
// `leftOut` is not walked.
struct Tally {
  std::size_t keys = 0, values = 0, bytes = 0;
};
void RegistryWalk(HKEY key, Tally& tally, const wchar_t* leftOut = nullptr) {
  static std::vector<wchar_t> name(16384);  // kept from key to key, as the export keeps its own
  static std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;;) {
    DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    const LONG r = RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (r == ERROR_MORE_DATA && dataSize > data.size()) {
      data.resize(dataSize);
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    ++tally.values;
    tally.bytes += dataSize;
    ++i;
  }
  wchar_t sub[400];
  for (DWORD i = 0;; ++i) {
    DWORD length = 400;
    if (RegEnumKeyExW(key, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (leftOut && lstrcmpiW(sub, leftOut) == 0) continue;
    ++tally.keys;
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, sub, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      RegistryWalk(child, tally);
      RegCloseKey(child);
    }
  }
}

Tally RegistryFloor() {
  Tally tally;
  HKEY software = nullptr;
  RegistryWalk(HKEY_CURRENT_USER, tally);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &software) == ERROR_SUCCESS) {
    RegistryWalk(software, tally, L"Classes");  // the classes are walked as HKEY_CLASSES_ROOT
    RegCloseKey(software);
  }
  RegistryWalk(HKEY_CLASSES_ROOT, tally);  // CLSID with it
  return tally;
}

// One run of tessaryc: its time, its peak working set, its JSON, and when each of its
// progress lines arrived.
struct TrackRun {
  double seconds = 0;
  double peakMb = 0;
  DWORD code = 0;
  std::string out;
  std::vector<std::pair<double, std::string>> steps;
};

TrackRun Track(const std::string& tessaryc) {
  TrackRun run;
  const std::string outPath = std::string(kBackupDirectory) + "-out.json";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readErr = nullptr, writeErr = nullptr;
  CreatePipe(&readErr, &writeErr, &inherit, 0);
  SetHandleInformation(readErr, HANDLE_FLAG_INHERIT, 0);
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE in = CreateFileA("NUL", GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  std::string commandLine = "\"" + tessaryc + "\" --dir " + kBackupDirectory + " track --deep --values --branches " +
                            kBranches + " --yes --json -- " + system + "\\cmd.exe /c exit 0";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = writeErr;
  PROCESS_INFORMATION info{};
  const auto start = StopWatch::now();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    std::printf("cannot start %s\n", commandLine.c_str());
    std::exit(1);
  }
  CloseHandle(writeErr);
  CloseHandle(out);
  CloseHandle(in);
  // The progress lines, stamped as they arrive, and the peak working set, read while the
  // process lives. The pipe is only peeked at: a process tessaryc started (Wine's
  // desktop, say) may hold its end open long after tessaryc ended.
  std::string pending;
  auto readLines = [&] {
    DWORD available = 0, got = 0;
    char buffer[4096];
    while (PeekNamedPipe(readErr, nullptr, 0, nullptr, &available, nullptr) && available &&
           ReadFile(readErr, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) && got) {
      pending.append(buffer, got);
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        std::string line = pending.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        run.steps.emplace_back(Seconds(start), line);
      }
    }
  };
  for (;;) {
    readLines();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters))
      run.peakMb = std::max(run.peakMb, counters.PeakWorkingSetSize / (1024.0 * 1024.0));
    if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  readLines();
  run.seconds = Seconds(start);
  GetExitCodeProcess(info.hProcess, &run.code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  CloseHandle(readErr);
  HANDLE file = CreateFileA(outPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) run.out.append(buffer, got);
  CloseHandle(file);
  DeleteFileA(outPath.c_str());
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  // B: is the build folder (or the scratch folder scripts/bench makes, laid out alike).
  const std::string tessaryc = argc > 2 ? argv[2] : "B:\\src\\cli\\tessaryc.exe";
  CreateDirectoryA(kBackupDirectory, nullptr);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const Settings settings(std::string(windows) + "\\tessary.ini");
  std::vector<std::string> places;
  for (const DeepPlace& place : FindDeepPlaces(settings))
    if (place.within.empty()) places.push_back(place.path);
  std::printf("deep places walked: %zu\n", places.size());

  std::vector<double> deepFloors, registryFloors, floors, tracks, owns, peaks;
  std::size_t entries = 0;
  Tally tally;
  TrackRun last;
  for (int round = 1; round <= rounds; ++round) {
    double deepFloor = 0, registryFloor = 0;
    auto floor = [&] {
      std::fprintf(stderr, "round %d: the floors\n", round);
      for (int twice = 0; twice < 2; ++twice) {
        auto start = StopWatch::now();
        entries = 0;
        for (const std::string& place : places) entries += BareWalk(place);
        deepFloor += Seconds(start);
        start = StopWatch::now();
        tally = RegistryFloor();
        registryFloor += Seconds(start);
      }
    };
    if (round % 2 == 1) floor();
    std::fprintf(stderr, "round %d: the track (%s)\n", round, tessaryc.c_str());
    last = Track(tessaryc);
    if (round % 2 == 0) floor();
    std::printf("  round %d: floor %.2f s (deep %.2f, registry %.2f), track %.2f s, exit code %lu\n", round,
                deepFloor + registryFloor, deepFloor, registryFloor, last.seconds, last.code);
    std::fflush(stdout);
    deepFloors.push_back(deepFloor);
    floors.push_back(deepFloor + registryFloor);
    registryFloors.push_back(registryFloor);
    tracks.push_back(last.seconds);
    const nlohmann::json timings = nlohmann::json::parse(last.out, nullptr, false);
    owns.push_back(timings.is_object() && timings.contains("timings") ? timings["timings"].value("total", 0.0) : 0.0);
    peaks.push_back(last.peakMb);
  }
  auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double deep = median(deepFloors), registry = median(registryFloors), track = median(tracks),
               own = median(owns);
  const nlohmann::json doc = nlohmann::json::parse(last.out, nullptr, false);
  const bool parsed = doc.is_object() && doc.contains("report");
  std::printf("the last track's steps (seconds from its start):\n");
  for (const auto& [at, line] : last.steps) std::printf("  %7.2f  %s\n", at, line.c_str());
  if (parsed && doc.contains("timings"))
    for (const auto& [step, seconds] : doc["timings"].items())
      std::printf("  tessaryc's own timing of %s: %.2f s\n", step.c_str(), seconds.get<double>());
  std::printf("deep places: %zu entries; registry: %zu keys, %zu values, %zu bytes of data\n", entries, tally.keys,
              tally.values, tally.bytes);
  // On a machine shared with other work the best round of each side is the one least
  // disturbed (as bench_deep_tracking takes it); the medians are printed beside it.
  const double bestFloor = least(floors), bestTrack = least(tracks), bestOwn = least(owns);
  std::printf("floor: deep walk twice %.2f s + registry walk twice %.2f s = %.2f s (median of %d); best %.2f s\n",
              deep, registry, deep + registry, rounds, bestFloor);
  std::printf("null track: best %.2f s; ratio %.2f (target <= 1.3); median %.2f s, ratio %.2f\n", bestTrack,
              bestTrack / bestFloor, track, track / (deep + registry));
  std::printf("tessaryc's own total of its steps (without starting the process): best %.2f s, ratio %.2f; median "
              "%.2f s, ratio %.2f\n",
              bestOwn, bestOwn / bestFloor, own, own / (deep + registry));
  std::printf("changes found: %s; exit code %lu\n",
              parsed ? std::to_string(doc["report"].value("changes", -1)).c_str() : "(no JSON)", last.code);
  if (parsed)
    for (const auto& section : doc["report"]["sections"])
      for (const auto& entry : section["entries"])
        std::printf("  found: %s: %s\n", section.value("name", "").c_str(), entry.value("text", "").c_str());
  std::printf("tessaryc peak working set: %.1f MB\n", median(peaks));
  return parsed ? 0 : 1;
}
