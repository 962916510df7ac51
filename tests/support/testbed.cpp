#include "testbed.h"

#include <winternl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/startup.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace tessary::test {

namespace {

// A name unique to the running test: suite, test and a counter.
std::string UniqueName() {
  static int counter = 0;
  std::string name = "t";
  if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|') c = '_';
  }
  return name + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

class ScriptedProgress : public Progress {
 public:
  explicit ScriptedProgress(ScriptedProgressFactory& f) : f_(f) { ++f_.open; }
  ~ScriptedProgress() override {
    --f_.open;
    f_.events.push_back("close");
  }
  void SetMainText(const std::string& text) override { f_.events.push_back("main:" + text); }
  void SetDetailText(const std::string& text) override { f_.events.push_back("detail:" + text); }
  void Pump() override { ++f_.pumps; }
  bool Cancelled() override {
    ++f_.checks;
    f_.events.push_back("check");
    return f_.cancelAt > 0 && f_.checks >= f_.cancelAt;
  }

 private:
  ScriptedProgressFactory& f_;
};

std::vector<std::string> EventsWithPrefix(const std::vector<std::string>& events, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& e : events)
    if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

}  // namespace

ScriptedPrompter::~ScriptedPrompter() {
  if (!answers_.empty()) ADD_FAILURE() << answers_.size() << " scripted answer(s) were never asked for";
}

int ScriptedPrompter::Ask(const MessageBoxRequest& request) {
  Box box{request.text, request.caption, request.style, request.owner, id::kCancel};
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected message box: caption \"" << request.caption << "\", text \"" << request.text << "\"";
  } else {
    box.answer = answers_.front();
    answers_.pop_front();
  }
  boxes.push_back(box);
  return box.answer;
}

std::unique_ptr<Progress> ScriptedProgressFactory::Open(const std::string& caption, ProgressCancel cancel) {
  events.push_back("open:" + caption);
  cancels.push_back(cancel);
  return std::make_unique<ScriptedProgress>(*this);
}

std::vector<std::string> ScriptedProgressFactory::Details() const { return EventsWithPrefix(events, "detail:"); }
std::vector<std::string> ScriptedProgressFactory::Mains() const { return EventsWithPrefix(events, "main:"); }

void FakeHost::RefreshLastBackup() {
  ++refreshes;
  state.LastBackupText = LastBackupQuery(state.BackupDirectory);
}

void FakeHost::RunCommand(Command command) {
  commands.push_back(command);
  auto it = handlers.find(command);
  if (it != handlers.end()) it->second();
}

std::string BuildPath(const std::string& hostPath) {
  std::string root = TESSARY_BUILD_DIR;
  std::string rest = hostPath.compare(0, root.size(), root) == 0 ? hostPath.substr(root.size()) : hostPath;
  for (char& c : rest)
    if (c == '/') c = '\\';
  return "B:" + rest;
}

TempDir::TempDir() {
  CreateDirectoryA("C:\\tessary-tests", nullptr);
  path_ = "C:\\tessary-tests\\" + UniqueName();
  RemoveTree(path_);
  if (!CreateDirectoryA(path_.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << path_;
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::MakeDir(const std::string& relative) const {
  std::string full = path_;
  std::stringstream parts(relative);
  std::string part;
  while (std::getline(parts, part, '\\')) {
    full += "\\" + part;
    CreateDirectoryA(full.c_str(), nullptr);
  }
  return full;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {
std::wstring Utf16(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}
}  // namespace

std::string MakeFileNamed(const std::string& parent, const std::wstring& name, const std::string& bytes) {
  const std::wstring path = Utf16(parent) + L"\\" + name;
  const UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!h || !WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    ADD_FAILURE() << "cannot make " << Utf8(path);
  return parent + "\\" + Utf8(name);
}

std::string MakeDirNamed(const std::string& parent, const std::wstring& name) {
  const std::wstring path = Utf16(parent) + L"\\" + name;
  if (!CreateDirectoryW(path.c_str(), nullptr)) ADD_FAILURE() << "cannot make " << Utf8(path);
  return parent + "\\" + Utf8(name);
}

std::string ListDiff(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  std::vector<std::string> added, removed;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(removed));
  std::string text;
  for (const auto& a : added) text += "  + " + a + "\n";
  for (const auto& r : removed) text += "  - " + r + "\n";
  return text;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool SetAttributes(const std::string& path, DWORD attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool SetLastWrite(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
  return SetFileLastWrite(path, CivilTime{year, month, day, hour, minute, second});
}

void RemoveTree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL | (attributes & FILE_ATTRIBUTE_DIRECTORY));
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  {
    DirSearch search(path + "\\*");
    FindEntry entry;
    while (search.Next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      RemoveTree(path + "\\" + entry.name);
    }
  }
  RemoveDirectoryA(path.c_str());
}

TempRegKey::TempRegKey(HKEY root, const std::string& parent) : root_(root), path_(parent + "\\" + UniqueName()) {
  Create("");
}

TempRegKey::~TempRegKey() { RegDeleteTreeA(root_, path_.c_str()); }

namespace {
// Creates root\base\relative, opening base first: Wine's ANSI registry calls take
// paths of at most MAX_PATH characters, and only the relative part may be long.
HKEY CreateBelow(HKEY root, const std::string& base, const std::string& relative) {
  HKEY parent = nullptr, key = nullptr;
  if (RegCreateKeyA(root, base.c_str(), &parent) != ERROR_SUCCESS) return nullptr;
  if (relative.empty()) return parent;
  LONG rc = RegCreateKeyA(parent, relative.c_str(), &key);
  RegCloseKey(parent);
  return rc == ERROR_SUCCESS ? key : nullptr;
}
}  // namespace

void TempRegKey::Create(const std::string& relative) const {
  HKEY key = CreateBelow(root_, path_, relative);
  if (!key) {
    ADD_FAILURE() << "cannot create registry key " << path_ << "\\" << relative;
    return;
  }
  RegCloseKey(key);
}

void TempRegKey::SetString(const std::string& relative, const std::string& value, const std::string& data) const {
  HKEY key = CreateBelow(root_, path_, relative);
  if (!key) {
    ADD_FAILURE() << "cannot create registry key " << path_ << "\\" << relative;
    return;
  }
  RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
}

namespace {
UNICODE_STRING CountedName(std::u16string_view name) {
  UNICODE_STRING counted;
  counted.Buffer = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(name.data()));
  counted.Length = static_cast<USHORT>(name.size() * 2);
  counted.MaximumLength = counted.Length;
  return counted;
}
template <typename F>
F Native(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}
}  // namespace

bool SetRawValue(HKEY key, std::u16string_view name, DWORD type, const std::string& data) {
  using SetFn = LONG(NTAPI*)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
  static const auto set = Native<SetFn>("NtSetValueKey");
  UNICODE_STRING counted = CountedName(name);
  std::string copy = data;
  return set(key, &counted, 0, type, copy.data(), static_cast<ULONG>(copy.size())) == 0;
}

std::optional<RawValue> ReadRawValue(HKEY key, std::u16string_view name) {
  using QueryFn = LONG(NTAPI*)(HANDLE, PUNICODE_STRING, int, PVOID, ULONG, PULONG);
  static const auto query = Native<QueryFn>("NtQueryValueKey");
  UNICODE_STRING counted = CountedName(name);
  std::vector<ULONG> buf(64);
  ULONG length = 0;
  LONG status = query(key, &counted, 2, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG)), &length);
  if (status == LONG(0x80000005) || status == LONG(0xC0000023)) {
    buf.resize(length / sizeof(ULONG) + 4);
    status = query(key, &counted, 2, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG)), &length);
  }
  if (status != 0) return std::nullopt;
  return RawValue{buf[1], std::string(reinterpret_cast<const char*>(buf.data() + 3), buf[2])};
}

std::string Utf16Bytes(std::u16string_view units) {
  std::string out;
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

HostTest::HostTest() {
  backupDir = dir.MakeDir("BACKUP");
  host.state.WindowsDirectory = WindowsDirectory();
  host.state.SettingsFilePath = dir / "tessary.ini";
  host.state.BackupDirectory = backupDir;
}

void HostTest::Set(const SettingKey& key, const std::string& value) {
  EXPECT_TRUE(ProfileWrite(host.state.SettingsFilePath, key.section, key.key, value));
}

}  // namespace tessary::test
