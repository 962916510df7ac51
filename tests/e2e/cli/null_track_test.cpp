// A program that installs nothing, tracked by the real tessaryc.exe in its default
// (complete) mode: nothing found and nothing left over, run after run in one prefix, so
// that what the system and the program itself write is never taken for the installer's.
// And a rule of the user's noise file leaves a value out, named in the report.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "compare/noise_file.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "program_run.h"
#include "testbed.h"

namespace tessary {
namespace {

using Json = nlohmann::json;
const char* const kStampKey = "Software\\TessaryNoiseStamp";

std::string Cmd() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\cmd.exe";
}

class NullTrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini = SettingsPathFor(WindowsDirectory());
    noiseFile = NoiseFilePathFor(ini);
    for (const std::string& path : {ini, noiseFile}) {
      ProfileFlush(path);
      saved.emplace_back(path, FileExists(path) ? std::optional<std::string>(test::ReadBytes(path)) : std::nullopt);
    }
    DeleteFileA(noiseFile.c_str());
    backup = dir.MakeDir("BACKUP");
    test::WriteBytes(ini, "[tessary]\r\nDirectory=" + backup + "\r\n");
    ProfileFlush(ini);
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kStampKey);
    for (const auto& [path, bytes] : saved) {
      if (bytes) test::WriteBytes(path, *bytes);
      else DeleteFileA(path.c_str());
      ProfileFlush(path);
    }
  }

  // tessaryc.exe with no console to ask on; its standard output as JSON.
  Json Track(const std::vector<std::string>& program, DWORD& code) {
    std::vector<std::string> args = {"track", "--undo", "--yes", "--json", "--quiet", "--"};
    args.insert(args.end(), program.begin(), program.end());
    test::ProgramRun run = test::RunProgram(test::CommandLine(test::BuildPath(TESSARYC_EXE), args), dir.path());
    code = run.code;
    errText = run.err;
    EXPECT_TRUE(run.json.is_object()) << run.out << run.err;
    return std::move(run.json);
  }

  test::TempDir dir;
  std::string ini, noiseFile, backup, errText;  // errText: the last run's standard error
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(NullTrackTest, ANullInstallShowsNothingRunAfterRun) {
  for (int run = 1; run <= 2; ++run) {
    DWORD code = 0;
    const Json doc = Track({Cmd(), "/c", "exit", "0"}, code);
    EXPECT_EQ(code, 0u) << "run " << run << ": " << doc.dump(1);
    EXPECT_EQ(doc["report"]["changes"], 0) << "run " << run << ": " << doc["report"].dump(1);
    EXPECT_TRUE(doc["actions"].empty()) << doc["actions"].dump(1);
    EXPECT_EQ(doc["after"]["changes"], 0) << doc["after"].dump(1);
    EXPECT_EQ(doc["nothingLeftOver"], true);
    EXPECT_TRUE(doc["leftovers"].empty()) << doc["leftovers"].dump(1);
    // The complete mode looked at the deep places and the values of the branches.
    std::set<std::string> compared(doc["report"]["compared"].begin(), doc["report"]["compared"].end());
    for (const char* what : {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\SOFTWARE"})
      EXPECT_EQ(compared.count(what), 1u) << what << " in " << doc["report"]["compared"].dump();
    bool deep = false;
    for (const std::string& what : compared) deep = deep || what.rfind("Program Files (", 0) == 0;
    EXPECT_TRUE(deep) << doc["report"]["compared"].dump();
    EXPECT_EQ(doc["schema"], 3);
  }
}

// A value the user's rule names is counted, named in the report's values part and in the
// JSON, and never offered for undo; a value beside it is still reported.
TEST_F(NullTrackTest, TheUsersRuleLeavesAValueOutAndTheReportNamesIt) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kStampKey, &key), ERROR_SUCCESS);
  const RegKeyHandle owner(key);
  ASSERT_EQ(RegSetValueExA(key, "Stamp", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_SUCCESS);
  const std::string rule = std::string("value HKCU\\") + kStampKey + " \"Stamp\"";
  test::WriteBytes(noiseFile, "# written by the vendor's agent every minute\r\n" + rule + "\r\nno rule at all\r\n");
  const std::string reg = "HKCU\\" + std::string(kStampKey);
  DWORD code = 0;
  const Json doc = Track({Cmd(), "/c", "reg", "add", reg, "/v", "Stamp", "/d", "2", "/f", "&", "reg", "add", reg, "/v",
                          "Other", "/d", "3", "/f"},
                         code);
  EXPECT_EQ(code, 0u) << doc.dump(1);  // the one change reported is undone
  // Wine's own rules may have matched too (the font code pages of another locale).
  std::size_t ofTheRule = 0, total = 0;
  for (const Json& r : doc["report"]["noise"]["rules"]) {
    if (r["rule"] == rule) ofTheRule += r["count"].get<std::size_t>();
    total += r["count"].get<std::size_t>();
  }
  EXPECT_EQ(ofTheRule, 1u) << doc["report"]["noise"].dump(1);
  EXPECT_EQ(doc["report"]["noise"]["count"], total);
  std::vector<std::string> lines;
  for (const Json& a : doc["actions"]) lines.push_back(a["line"]);
  ASSERT_EQ(lines.size(), 1u) << doc["actions"].dump(1);
  EXPECT_NE(lines[0].find("Other"), std::string::npos) << lines[0];
  const std::string report = test::ReadBytes(doc["report"]["path"]);
  const std::size_t line = report.find("\r\n***Left out as the system's own changes: " + std::to_string(total) + " value");
  ASSERT_NE(line, std::string::npos) << report;
  const std::size_t end = report.find("\r\n", line + 2);
  EXPECT_NE(report.substr(line, end - line).find(rule + ": 1"), std::string::npos) << report;
  const std::string next = "\r\nRegistry values ADDED:";
  EXPECT_EQ(report.compare(end, next.size(), next), 0) << report;
  char data[8] = {};
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Stamp", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
  EXPECT_STREQ(data, "2");  // left as the program wrote it
  // The line of the file that is no rule is named, and the run goes on.
  EXPECT_NE(errText.find(noiseFile + ", line 3: no rule at all: no rule, not used"), std::string::npos) << errText;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tessary
