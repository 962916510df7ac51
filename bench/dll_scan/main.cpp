// The DLL dependency scan over a generated tree of 20,000 files (NE and PE programs
// and other files) against the floor of walking the same tree and reading the same
// header bytes. Prints both figures and their ratio (target: at most 1.3).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "testbed.h"
#include "uninstall/dll_scan.h"

using namespace tessary;

namespace {

constexpr int kDirs = 200;
constexpr int kFilesPerDir = 100;
constexpr int kRounds = 3;

std::string NeFile(const std::string& module) {
  std::string f(0x80, '\0');
  f[0] = 'M', f[1] = 'Z', f[24] = 0x40, f[60] = static_cast<char>(0x80);
  std::string ne(0x40, '\0');
  ne[0] = 'N', ne[1] = 'E', ne[30] = 3, ne[42] = 0x40;
  std::string table(1, '\0');
  for (const std::string& m : {std::string("KERNEL"), std::string("USER"), module}) table += char(m.size()) + m;
  return f + ne + table + std::string(2048, 'x');
}

void Write(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

std::string ReadAt(HANDLE h, std::uint64_t offset, std::size_t count) {
  std::string buf(count, '\0');
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  DWORD got = 0;
  if (!ReadFile(h, buf.data(), static_cast<DWORD>(count), &got, &ov)) got = 0;
  buf.resize(got);
  return buf;
}

// The floor: the same walk, and for each .EXE/.DLL the same reads the NE reader makes.
std::size_t Floor(const std::string& dir) {
  std::size_t bytes = 0;
  std::vector<std::string> subdirs;
  DirSearch search(dir + "\\*.*");
  FindEntry e;
  while (search.Next(e)) {
    if (e.attributes == FILE_ATTRIBUTE_DIRECTORY) {
      if (e.name != "." && e.name != "..") subdirs.push_back(dir + "\\" + e.name);
      continue;
    }
    if (e.name.find(".EXE") == std::string::npos && e.name.find(".DLL") == std::string::npos) continue;
    HANDLE h = CreateFileA((dir + "\\" + e.name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS,
                           nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    bytes += ReadAt(h, 24, 1).size() + ReadAt(h, 60, 2).size() + ReadAt(h, 0x80, 44).size();
    bytes += ReadAt(h, 0xC1, 3 * 256).size();
    CloseHandle(h);
  }
  for (const auto& s : subdirs) bytes += Floor(s);
  return bytes;
}

double Seconds(const std::function<void()>& f) {
  double best = 1e9;
  for (int i = 0; i < kRounds; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main() {
  const std::string root = "C:\\tessary-bench-dll";
  test::RemoveTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  const std::string tree = root + "\\TREE";
  const std::string backup = root + "\\BACKUP";
  CreateDirectoryA(tree.c_str(), nullptr);
  CreateDirectoryA(backup.c_str(), nullptr);
  std::printf("creating %d files...\n", kDirs * kFilesPerDir);
  std::string pe = NeFile("MYLIB");
  pe[0x80] = 'P';
  for (int d = 0; d < kDirs; ++d) {
    const std::string sub = tree + "\\D" + std::to_string(d);
    CreateDirectoryA(sub.c_str(), nullptr);
    for (int i = 0; i < kFilesPerDir; ++i) {
      const std::string base = sub + "\\F" + std::to_string(i);
      switch (i % 3) {
        case 0: Write(base + ".EXE", NeFile(i % 2 ? "MYLIB" : "OTHER")); break;
        case 1: Write(base + ".DLL", pe); break;
        default: Write(base + ".TXT", "plain text"); break;
      }
    }
  }
  Write(backup + "\\dll0list.tmp", "MYLIB\r\nSECOND\r\n");

  test::FakeHost host;
  host.state.BackupDirectory = backup;
  std::size_t sink = Floor(tree);  // warm the cache alike for both
  const double scan = Seconds([&] { ScanDllReferences(host, backup, {tree + "\\"}); });
  const double floor = Seconds([&] { sink += Floor(tree); });
  std::size_t refs = 0;
  for (char c : test::ReadBytes(backup + "\\dll01234.tmp")) refs += c == '\n';
  std::printf("references listed: %zu\n", refs - 1);
  std::printf("scan %.3f s, floor %.3f s, ratio %.2f (target <= 1.3) [%zu]\n", scan, floor, scan / floor, sink & 1);
  test::RemoveTree(root);
  return 0;
}
