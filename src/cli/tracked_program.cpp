#include "cli/tracked_program.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <set>

#include "platform/ascii.h"
#include "platform/handles.h"
#include "platform/job.h"

namespace tessary::cli {

std::string QuoteCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
      line += arg;
      continue;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : arg) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      if (c == '"') line.append(backslashes * 2 + 1, '\\');
      else line.append(backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
  }
  return line;
}

std::string FindProgram(const std::string& program) {
  char found[MAX_PATH * 2] = {};
  char* filePart = nullptr;
  const DWORD n = SearchPathA(nullptr, program.c_str(), ".exe", sizeof found, found, &filePart);
  if (n == 0 || n >= sizeof found) return {};
  const DWORD attributes = GetFileAttributesA(found);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return found;
}

bool IsResidentProgram(const std::string& exeName) {
  static const char* const kResident[] = {"explorer.exe", "services.exe", "winedevice.exe", "plugplay.exe",
                                          "svchost.exe",  "rpcss.exe"};
  const std::size_t slash = exeName.find_last_of('\\');
  const std::string name = slash == std::string::npos ? exeName : exeName.substr(slash + 1);
  for (const char* resident : kResident)
    if (EqualsNoCase(name, resident)) return true;
  return false;
}

namespace {

// Whether a process of `live` still runs that is waited for: a process no longer in the
// system's snapshot has ended, and a resident one (the shell, the system's services,
// which the system may start on demand from inside the job) is not waited for. The names
// come from the snapshot, which needs no access to the process itself.
bool OthersStillRunning(const std::set<DWORD>& live) {
  std::map<DWORD, std::string> running;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (snapshot && Process32First(snapshot.get(), &entry)) {
    do {
      running[entry.th32ProcessID] = entry.szExeFile;
    } while (Process32Next(snapshot.get(), &entry));
  }
  return std::any_of(live.begin(), live.end(), [&](DWORD pid) {
    const auto found = running.find(pid);
    return found != running.end() && !IsResidentProgram(found->second);
  });
}

enum class WaitEnd { AllEnded, Interrupted };

// Waits until the program and every process of the job that is waited for have ended, or
// `stop` turns true. The port announces the job's processes by id.
WaitEnd WaitForJob(const JobStart& start, const std::function<bool()>& stop) {
  std::set<DWORD> live;
  bool mainEnded = false;
  for (;;) {
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED data = nullptr;
    if (GetQueuedCompletionStatus(start.port.get(), &message, &key, &data, 200)) {
      if (key != reinterpret_cast<ULONG_PTR>(start.job.get())) continue;
      const DWORD pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
      if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) return WaitEnd::AllEnded;
      if (message == JOB_OBJECT_MSG_NEW_PROCESS && pid != start.processId) live.insert(pid);
      if (message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
        live.erase(pid);
        if (pid == start.processId) mainEnded = true;
      }
      continue;
    }
    if (stop && stop()) return WaitEnd::Interrupted;
    mainEnded = mainEnded || WaitForSingleObject(start.process.get(), 0) == WAIT_OBJECT_0;
    if (mainEnded && !OthersStillRunning(live)) return WaitEnd::AllEnded;
  }
}

}  // namespace

TrackedRun RunTracked(const std::vector<std::string>& args, const std::function<bool()>& stop) {
  TrackedRun run;
  const std::string program = args.empty() ? std::string() : FindProgram(args[0]);
  if (program.empty()) {
    run.error = "cannot find the program " + (args.empty() ? std::string() : args[0]);
    return run;
  }
  // The program's standard output goes to our standard error.
  const JobStart start = StartInNewJob(program, QuoteCommandLine(args), true);
  if (!start) {
    run.error = start.error;
    return run;
  }
  run.started = true;
  run.interrupted = WaitForJob(start, stop) == WaitEnd::Interrupted;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (QueryInformationJobObject(start.job.get(), JobObjectBasicAccountingInformation, &accounting,
                                sizeof accounting, nullptr))
    run.processes = accounting.TotalProcesses;
  DWORD code = 0;
  if (WaitForSingleObject(start.process.get(), 0) == WAIT_OBJECT_0 && GetExitCodeProcess(start.process.get(), &code))
    run.exitCode = code;
  return run;
}

}  // namespace tessary::cli
