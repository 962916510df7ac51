// tessaryc compare against the Compare command, on one workload in one run: a backup
// set of a registry branch of 20,000 keys and a folder of 5,000 files, then 500 new keys
// and 500 new files. The Compare command's run is CompareOk as the Compare dialog calls
// it, with the program's own progress dialog over an owner window and the waiting
// messages let through at every check; tessaryc runs the same compare in process
// (RunTessaryc, as its main calls it) and as its own process started from here, with
// its progress lines going to a file as in a script; and, to show what the progress costs
// each of them, the engine alone with no progress shown. They take turns, five rounds,
// each round in another order; prints the medians and the ratios (targets: tessaryc /
// Compare <= 1.0; Compare / the engine alone <= 1.2, what the progress dialog may add),
// and checks that all four wrote the same report. Uses the prefix's
// tessary.ini and puts it back.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/logic/cli_args.h"
#include "compare/compare_ok.h"
#include "shell/progress_dialog.h"
#include "compare_bench_host.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "snapshot/backup_run.h"

using namespace tessary;

namespace {

constexpr int kGroups = 20, kKeysPerGroup = 1000, kFiles = 5000, kNew = 500;
const char* const kBenchKey = "Software\\TessaryBenchCli";
const std::string kRoot = "C:\\tessary-bench-cli";

// The Compare command's host: the program's progress dialog over a main window, and
// every check lets the waiting window messages through. Questions (overwrite) say Yes.
class CommandHost : public bench::BenchHost {
 public:
  CommandHost() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TessaryBenchFrame";
    RegisterClassA(&wc);
    frame_ = CreateWindowA("TessaryBenchFrame", "Tessary", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                           nullptr, wc.hInstance, nullptr);
  }
  ~CommandHost() override { DestroyWindow(frame_); }
  tessary::ProgressFactory& Progresses() override { return dialogs_; }
  WindowHandle MainWindow() override { return frame_; }
  void PumpMessages() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  int Ask(const MessageBoxRequest& r) override { return (r.style & 0xF) == mb::kYesNo ? id::kYes : id::kOk; }

 private:
  HWND frame_ = nullptr;
  DialogProgressFactory dialogs_{*this};
};

void CreateKeys(HKEY parent, const std::string& group, int count) {
  HKEY groupKey = nullptr;
  if (RegCreateKeyA(parent, group.c_str(), &groupKey) != ERROR_SUCCESS) return;
  const RegKeyHandle owner(groupKey);
  for (int k = 0; k < count; ++k) {
    HKEY key = nullptr;
    if (RegCreateKeyA(groupKey, ("Key" + std::to_string(k)).c_str(), &key) == ERROR_SUCCESS) RegKeyHandle{key};
  }
}

void CreateFiles(const std::string& folder, const std::string& prefix, int count) {
  for (int i = 0; i < count; ++i) {
    const UniqueHandle file(CreateFileA((folder + "\\" + prefix + std::to_string(i) + ".dat").c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs a command line with its standard output and error going to `outputFile`.
DWORD RunProcess(const std::string& commandLine, const std::string& outputFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const UniqueHandle output(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output.get();
  startup.hStdError = output.get();
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, kRoot.c_str(), &startup, &info))
    return 99;
  const UniqueHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 99;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

}  // namespace

int main() {
  const std::string windows = WindowsDirectory();
  const std::string ini = SettingsPathFor(windows);
  const std::optional<std::string> savedIni = ReadWholeFile(ini);
  bench::RemoveFolder(kRoot);
  CreateDirectoryA(kRoot.c_str(), nullptr);
  const std::string files = kRoot + "\\files";
  CreateDirectoryA(files.c_str(), nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  DeleteFileA(ini.c_str());
  if (!ProfileWrite(ini, "tessary", "Directory", kRoot) || !ProfileWrite(ini, "registry", "Curuser", "yes") ||
      !ProfileWrite(ini, "registry", "ShowProgress", "yes") || !ProfileWrite(ini, "Directories", "opt1", files)) {
    std::fprintf(stderr, "cannot write the settings file %s\n", ini.c_str());
    return 1;
  }
  ProfileFlush(ini);

  std::printf("workload: %d keys below HKEY_CURRENT_USER\\%s, %d files in %s\n", kGroups * (kKeysPerGroup + 1),
              kBenchKey, kFiles, files.c_str());
  HKEY benchKey = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kBenchKey, &benchKey);
  const RegKeyHandle benchOwner(benchKey);
  for (int g = 0; g < kGroups; ++g) CreateKeys(benchKey, "Group" + std::to_string(g), kKeysPerGroup);
  CreateFiles(files, "old", kFiles);

  CommandHost host;
  host.state.WindowsDirectory = windows;
  host.state.SettingsFilePath = ini;
  host.state.BackupDirectory = kRoot;
  if (RunBackup(host, RunMode::Interactive, nullptr) != BackupOutcome::Completed) return std::printf("backup failed\n"), 1;
  CreateKeys(benchKey, "NewGroup", kNew - 1);
  CreateFiles(files, "new", kNew);

  std::vector<double> command, inProcess, ownProcess, startOnly, engine;
  int failures = 0;
  const std::string exe = std::string("\"") + TESSARYC_EXE + "\"";
  const std::string outputFile = kRoot + "\\tessaryc-output.txt";
  auto runCommand = [&] {
    command.push_back(bench::TimeMs([&] { failures += CompareOk(host, "GUI").reportPath.empty() ? 1 : 0; }));
  };
  // The engine alone, with no progress shown at all: what the other two add to it.
  struct QuietHost : bench::BenchHost {
    int Ask(const MessageBoxRequest& r) override { return (r.style & 0xF) == mb::kYesNo ? id::kYes : id::kOk; }
  } quiet;
  quiet.state = host.state;
  auto runEngine = [&] {
    engine.push_back(bench::TimeMs([&] { failures += CompareOk(quiet, "ENGINE").reportPath.empty() ? 1 : 0; }));
  };
  auto runInProcess = [&] {
    inProcess.push_back(bench::TimeMs([&] {
      std::istringstream in;
      std::ostringstream out, err;
      cli::CliIo io{in, out, err, false, false};
      failures += cli::RunTessaryc({"compare", "--name", "CLI", "--yes"}, io) == cli::kExitChanges ? 0 : 1;
    }));
  };
  auto runOwnProcess = [&] {
    ownProcess.push_back(bench::TimeMs(
        [&] { failures += RunProcess(exe + " compare --name EXE --yes", outputFile) == cli::kExitChanges ? 0 : 1; }));
    startOnly.push_back(bench::TimeMs([&] { RunProcess(exe + " --help", outputFile); }));
  };
  // A first compare of each kind warms the caches; it is not counted.
  runCommand();
  runInProcess();
  runOwnProcess();
  runEngine();
  engine.clear();
  command.clear();
  inProcess.clear();
  ownProcess.clear();
  startOnly.clear();
  for (int round = 0; round < 5; ++round) {
    switch (round % 3) {
      case 0: runCommand(); runInProcess(); runOwnProcess(); runEngine(); break;
      case 1: runInProcess(); runOwnProcess(); runEngine(); runCommand(); break;
      default: runOwnProcess(); runEngine(); runCommand(); runInProcess(); break;
    }
  }
  const std::string gui = ReadWholeFile(kRoot + "\\GUI.TSC").value_or("");
  const std::string cli = ReadWholeFile(kRoot + "\\CLI.TSC").value_or("");
  const std::string exeReport = ReadWholeFile(kRoot + "\\EXE.TSC").value_or("");
  const std::string engineReport = ReadWholeFile(kRoot + "\\ENGINE.TSC").value_or("");
  // Past the title and the report's own path, the reports are the same text but for the
  // free space of the drives, which the host's other work moves between runs.
  auto body = [](const std::string& report) {
    std::istringstream lines(report);
    std::string line, kept;
    for (int n = 1; std::getline(lines, line); ++n)
      if (n > 2 && line.find(" free disk space on drive ") == std::string::npos) kept += line + "\n";
    return kept;
  };
  const bool same = gui.size() > 1000 && body(gui) == body(cli) && body(gui) == body(exeReport) &&
                    body(gui) == body(engineReport);

  std::printf("medians of 5 runs each:\n");
  std::printf("Compare command (CompareOk, progress dialog): %8.1f ms\n", Median(command));
  std::printf("tessaryc compare in process (RunTessaryc):    %8.1f ms\n", Median(inProcess));
  std::printf("tessaryc.exe compare as its own process:      %8.1f ms (tessaryc.exe --help alone: %.1f ms)\n",
              Median(ownProcess), Median(startOnly));
  std::printf("the engine alone, no progress (CompareOk):    %8.1f ms\n", Median(engine));
  std::printf("reports alike (but their own paths and free space): %s\n", same ? "yes" : "NO");
  if (!same) {
    for (const std::string* other : {&cli, &exeReport}) {
      std::istringstream a(body(gui)), b(body(*other));
      std::string la, lb;
      for (int n = 1;; ++n) {
        const bool moreA = static_cast<bool>(std::getline(a, la)), moreB = static_cast<bool>(std::getline(b, lb));
        if (!moreA && !moreB) break;
        if (la != lb || moreA != moreB) {
          std::printf("  kept line %d: Compare \"%s\" / tessaryc \"%s\"\n", n, la.c_str(), lb.c_str());
          break;
        }
      }
    }
  }
  std::printf("ratio tessaryc/Compare, in process: %.2f (target <= 1.0)\n", Median(inProcess) / Median(command));
  std::printf("ratio tessaryc.exe/Compare, as a process: %.2f\n", Median(ownProcess) / Median(command));
  std::printf("ratio Compare/engine alone, the progress dialog's cost: %.2f (target <= 1.2)\n",
              Median(command) / Median(engine));

  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  bench::RemoveFolder(kRoot);
  if (savedIni) {
    const UniqueHandle file(CreateFileA(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), savedIni->data(), static_cast<DWORD>(savedIni->size()), &written, nullptr);
  } else {
    DeleteFileA(ini.c_str());
  }
  return failures == 0 && same ? 0 : 1;
}
