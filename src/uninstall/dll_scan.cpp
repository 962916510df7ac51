#include "uninstall/dll_scan.h"

#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/text_lines.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {

namespace {

constexpr const char* kCancelText =
    "DLL dependency check cancelled.\n You will be shown the dependent files found up to the point where you "
    "cancelled.";
constexpr const char* kCancelCaption = "Dependency Check Cancelled";

class Scanner {
 public:
  Scanner(EngineHost& host, Progress& progress, std::vector<std::string> dlls)
      : host_(host), progress_(progress), dlls_(std::move(dlls)) {}

  // The reference list found so far, one "MODULE path" line each.
  const std::string& found() const { return found_; }

  void ExamineFiles(const std::string& dir, bool isRoot) {
    DirSearch search(isRoot ? dir + "*.*" : dir + "\\*.*");
    FindEntry entry;
    while (search.Next(entry)) {
      if (entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::string upper = ToUpperAscii(entry.name);
      if (upper.find(".EXE") == std::string::npos && upper.find(".DLL") == std::string::npos) continue;
      Examine(isRoot ? dir + entry.name : dir + "\\" + entry.name);
    }
  }

  // Files of dir, then (unless a root) its plain subdirectories; false when cancelled.
  bool ScanDirectory(const std::string& dir, bool isRoot) {
    ExamineFiles(dir, isRoot);
    if (isRoot) return true;
    return ScanSubdirectories(dir + "\\");
  }

  bool ScanSubdirectories(const std::string& prefix) {
    std::vector<std::string> subdirs;
    {
      DirSearch search(prefix + "*.*");
      FindEntry entry;
      while (search.Next(entry)) {
        if (entry.attributes != FILE_ATTRIBUTE_DIRECTORY || entry.name == "." || entry.name == "..") continue;
        subdirs.push_back(prefix + entry.name);
      }
    }
    for (const auto& path : subdirs) {
      progress_.SetDetailText(path);
      progress_.Pump();
      if (progress_.Cancelled()) {
        host_.Prompts().Ask(kCancelText, kCancelCaption);
        return false;
      }
      if (!ScanDirectory(path, false)) return false;
    }
    return true;
  }

 private:
  void Examine(const std::string& path) {
    const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
    if (!file) {
      host_.Prompts().Ask("Error opening file.", "");
      return;
    }
    HANDLE h = file.get();
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    auto readAt = [h](std::uint64_t offset, std::size_t count) {
      std::string buf(count, '\0');
      OVERLAPPED ov{};
      ov.Offset = static_cast<DWORD>(offset);
      ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      if (!ReadFile(h, buf.data(), static_cast<DWORD>(count), &got, &ov)) got = 0;
      buf.resize(got);
      return buf;
    };
    const auto modules = NeImportedModules(readAt, static_cast<std::uint64_t>(size.QuadPart));
    for (const auto& module : modules) {
      for (const auto& dll : dlls_) {
        if (!ModuleRefersToDll(module, dll)) continue;
        found_ += module + " " + path + "\r\n";
        ++references_;
        progress_.SetMainText("References found: " + std::to_string(references_));
      }
    }
  }

  EngineHost& host_;
  Progress& progress_;
  std::string found_;
  std::vector<std::string> dlls_;
  int references_ = 0;
};

}  // namespace

std::vector<std::string> LocalScanRoots() {
  return ScanRootsFrom([](char letter) { return static_cast<unsigned>(DriveTypeOf(letter)); });
}

std::vector<std::string> ScanRootsFrom(const std::function<unsigned(char letter)>& driveType) {
  std::vector<std::string> roots;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const unsigned type = driveType(letter);
    if (type == DRIVE_NO_ROOT_DIR) break;
    if (type == DRIVE_UNKNOWN || type == DRIVE_REMOTE || type == DRIVE_CDROM || type == DRIVE_RAMDISK) continue;
    roots.push_back(std::string(1, letter) + ":\\");
  }
  return roots;
}

bool ScanDllReferences(EngineHost& host, const std::string& backupDirectory, const std::vector<std::string>& roots,
                       const std::function<void()>& beforeScan) {
  Prompter& prompts = host.Prompts();
  const std::string refPath = backupDirectory + "\\" + kDllReferenceListFile;
  // The list is written whole, beside the older one, when the scan ends (cancelled too:
  // what was found is shown). One that cannot be written is no list: a list cut short
  // by a full disk, or an older one, would show a DLL in use as used by nothing, so it
  // is removed and the DLL dialog says it has none.
  auto writeList = [&](const std::string& found) {
    if (WriteFileReplacing(refPath, "\r\n" + found)) return true;
    DeleteLeftover(refPath);
    prompts.Ask("Unable to create DLL List file. Make sure the disk is not full.", "");
    return false;
  };
  if (!writeList("")) return false;
  const std::string namePath = backupDirectory + "\\" + kDllNameListFile;
  const std::optional<std::string> names = ReadWholeFile(namePath);
  if (!names) {
    prompts.Ask("Can't open dll list file.", namePath);
    return false;
  }
  std::vector<std::string> dlls;
  ForEachLine(*names, [&](std::string_view line) {
    line = line.substr(0, 12);  // the list holds 12 characters a line
    if (!line.empty()) dlls.emplace_back(line);
  });
  if (beforeScan) beforeScan();
  host.Progresses().Settle();
  auto progress = host.Progresses().Open("Dll Dependancy Check");
  progress->Pump();
  if (progress->Cancelled()) {
    prompts.Ask(kCancelText, kCancelCaption);
    return false;
  }
  progress->SetMainText("Scanning DLL file Dependencies...");
  Scanner scanner(host, *progress, std::move(dlls));
  bool complete = true;
  for (const auto& root : roots) {
    progress->SetDetailText(root);
    scanner.ExamineFiles(root, true);
    if (!scanner.ScanSubdirectories(root)) {
      complete = false;
      break;
    }
  }
  return writeList(scanner.found()) && complete;
}

std::vector<std::string> ReferencesOfDll(EngineHost& host, const std::string& backupDirectory, const std::string& dllPath) {
  std::vector<std::string> found;
  const std::optional<std::string> list = ReadWholeFile(backupDirectory + "\\" + kDllReferenceListFile);
  if (!list) {
    host.Prompts().Ask("Unable to open dll dependancy list file.", "");
    return found;
  }
  const std::string base = DllBaseOfPath(dllPath);
  ForEachLine(*list, [&](std::string_view line) {
    std::string path = ReferencingPathOf(std::string(line), base);
    if (!path.empty()) found.push_back(std::move(path));
  });
  return found;
}

}  // namespace tessary
