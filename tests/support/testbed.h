// The test bed shared by every test executable: scripted seams, a host without a
// window, and scratch folders, files and registry keys that clean up after themselves.
// Everything runs inside the build's own sealed Wine prefix.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/host.h"

namespace tessary {
// A command shows as its menu id in a failure message.
inline void PrintTo(Command command, std::ostream* os) { *os << static_cast<int>(command); }
}  // namespace tessary

namespace tessary::test {

// Records every message box and answers from a queue; a box with no answer queued
// fails the test. Answers left over at the end fail it too.
class ScriptedPrompter : public Prompter {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned style = 0;
    WindowHandle owner = nullptr;
    int answer = 0;
  };
  ~ScriptedPrompter() override;
  ScriptedPrompter& Answer(int answer) {
    answers_.push_back(answer);
    return *this;
  }
  int Ask(const MessageBoxRequest& request) override;
  void Beep(unsigned sound) override { beeps.push_back(sound); }
  using Prompter::Ask;

  std::vector<Box> boxes;
  std::vector<unsigned> beeps;

 private:
  std::deque<int> answers_;
};

// Progress dialogs that log what they show. With cancelAt = N, the N-th Cancelled()
// check (counted over all dialogs) and every later one report a cancel.
class ScriptedProgressFactory : public ProgressFactory {
 public:
  std::unique_ptr<Progress> Open(const std::string& caption, ProgressCancel cancel) override;
  using ProgressFactory::Open;
  // Every event in order: "open:<caption>", "main:<text>", "detail:<text>", "check",
  // "close". Pump calls are counted, not logged.
  std::vector<std::string> events;
  // How each dialog offers Cancel, in the order they were opened.
  std::vector<ProgressCancel> cancels;
  int cancelAt = 0;
  int checks = 0;
  int pumps = 0;
  int open = 0;  // dialogs currently open
  // The detail texts in order.
  std::vector<std::string> Details() const;
  std::vector<std::string> Mains() const;
};

class FixedClock : public Clock {
 public:
  LocalTime now{1996, 12, 7, 9, 5, 10, 6};
  LocalTime Now() override { return now; }
};

class RecordingHelp : public HelpEngine {
 public:
  int Call(WindowHandle, const HelpRequest& request) override {
    calls.push_back(request);
    return 1;
  }
  std::vector<HelpRequest> calls;
};

// A Host with scripted seams and no window. Commands run what a test registers for
// them and are logged in `commands`.
class FakeHost : public Host {
 public:
  AppState& State() override { return state; }
  Prompter& Prompts() override { return prompter; }
  ProgressFactory& Progresses() override { return progress; }
  Clock& Time() override { return clock; }
  HelpEngine& Help() override { return help; }
  WindowHandle MainWindow() override { return nullptr; }
  void PumpMessages() override { ++pumps; }
  void RefreshLastBackup() override;
  void OpenInViewer(const std::string& path) override { opened.push_back(path); }
  void RunCommand(Command command) override;
  void ContinueExpress() override { ++expressContinued; }
  void PruneSentinoxReports() override { ++pruned; }
  void Quit() override { ++quits; }

  AppState state;
  ScriptedPrompter prompter;
  ScriptedProgressFactory progress;
  FixedClock clock;
  RecordingHelp help;
  std::map<Command, std::function<void()>> handlers;
  std::vector<Command> commands;
  std::vector<std::string> opened;
  int pumps = 0, refreshes = 0, expressContinued = 0, pruned = 0, quits = 0;
};

// A file of the build folder as the test sees it: the build folder is drive B: of the
// test prefix. `hostPath` is an absolute path below the build folder.
std::string BuildPath(const std::string& hostPath);

// A scratch folder C:\tessary-tests\<test>-<n>, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path + "\" + relative
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }
  // Makes a sub-folder (and its parents) and returns its path.
  std::string MakeDir(const std::string& relative) const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// A file or folder made as an installer makes it, by its UTF-16 name, in the folder
// `parent` (UTF-8); returns its path in UTF-8, as the programs (running in UTF-8) name it.
std::string MakeFileNamed(const std::string& parent, const std::wstring& name, const std::string& bytes = "x");
std::string MakeDirNamed(const std::string& parent, const std::wstring& name);
// UTF-16 text as UTF-8.
std::string Utf8(const std::wstring& text);
std::string ReadBytes(const std::string& path);  // "" when missing
// What `after` has that `before` lacks ("  + name" lines), then the other way ("  - name");
// both sorted.
std::string ListDiff(const std::vector<std::string>& before, const std::vector<std::string>& after);
bool SetAttributes(const std::string& path, DWORD attributes);
// Sets the last-write time (local time).
bool SetLastWrite(const std::string& path, int year, int month, int day, int hour, int minute, int second);
// Removes a file or folder tree, clearing read-only and other attributes first.
void RemoveTree(const std::string& path);

// A registry key HKEY_CURRENT_USER\Software\TessaryTest\<test>-<n> (or below another
// root), deleted with all its subkeys at the end.
class TempRegKey {
 public:
  explicit TempRegKey(HKEY root = HKEY_CURRENT_USER, const std::string& parent = "Software\\TessaryTest");
  ~TempRegKey();
  TempRegKey(const TempRegKey&) = delete;
  TempRegKey& operator=(const TempRegKey&) = delete;
  HKEY root() const { return root_; }
  const std::string& path() const { return path_; }  // relative to the root
  // Creates path\relative (with its parents).
  void Create(const std::string& relative) const;
  void SetString(const std::string& relative, const std::string& value, const std::string& data) const;

 private:
  HKEY root_;
  std::string path_;
};

// A registry value set and read through the native calls, with a counted name (any unit,
// NUL included) and the data exactly as given: a check of the program's own value calls
// that does not go through them.
struct RawValue {
  DWORD type = 0;
  std::string data;
  bool operator==(const RawValue& o) const { return type == o.type && data == o.data; }
};
bool SetRawValue(HKEY key, std::u16string_view name, DWORD type, const std::string& data);
std::optional<RawValue> ReadRawValue(HKEY key, std::u16string_view name);
// UTF-16 units as little-endian bytes (string data as the registry holds it).
std::string Utf16Bytes(std::u16string_view units);

// A fixture with a fresh folder, a backup directory in it and a settings file of its
// own; `host.state` points at them.
class HostTest : public ::testing::Test {
 protected:
  HostTest();
  // Writes a setting into the test's settings file.
  void Set(const SettingKey& key, const std::string& value);
  Settings settings() { return Settings(host.state.SettingsFilePath); }

  TempDir dir;
  std::string backupDir;
  FakeHost host;
};

}  // namespace tessary::test
