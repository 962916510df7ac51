#include "program_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "platform/handles.h"
#include "testbed.h"

namespace tessary::test {

std::string CommandLine(const std::string& exe, const std::vector<std::string>& args) {
  std::string line = "\"" + exe + "\"";
  for (const std::string& a : args) line += a.find(' ') == std::string::npos ? " " + a : " \"" + a + "\"";
  return line;
}

ProgramRun RunProgram(const std::string& commandLine, const std::string& folder, DWORD flags,
                      const std::function<void(HANDLE process, const std::string& errPath)>& whileRunning) {
  static int runs = 0;
  const std::string outPath = folder + "\\out" + std::to_string(++runs) + ".txt";
  const std::string errPath = folder + "\\err" + std::to_string(runs) + ".txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
    return UniqueHandle(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  ProgramRun run;
  {
    const UniqueHandle in = open("NUL", GENERIC_READ, OPEN_EXISTING);
    const UniqueHandle out = open(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    const UniqueHandle err = open(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(), &startup,
                        &info)) {
      ADD_FAILURE() << "cannot start " << commandLine;
      return run;
    }
    const UniqueHandle process(info.hProcess), thread(info.hThread);
    if (whileRunning) whileRunning(process.get(), errPath);
    EXPECT_EQ(WaitForSingleObject(process.get(), 600000), WAIT_OBJECT_0) << commandLine;
    GetExitCodeProcess(process.get(), &run.code);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  run.out = ReadBytes(outPath);
  run.err = ReadBytes(errPath);
  if (!run.out.empty() && run.out[0] == '{') {
    run.json = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(run.json.is_discarded()) << run.out << run.err;
  }
  if (std::getenv("TESSARY_E2E_PRINT")) std::cout << "---- " << commandLine << "\n" << run.out << run.err;
  return run;
}

}  // namespace tessary::test
