#include "fault_plan.h"
#include "testbed.h"

namespace tessary::test {

std::string Describe(const InjectionPoint& p) {
  static const char* const kNames[] = {"create", "write", "rename", "delete", "list", "registry", "start"};
  return std::string(kNames[static_cast<int>(p.op)]) + " #" + std::to_string(p.nth) + " (" + p.path + ") error " +
         std::to_string(p.error);
}

unsigned long FaultPlan::Check(FileOp op, const std::string& path) {
  int nth = 1;
  for (const InjectionPoint& p : seen) nth += p.op == op;
  seen.push_back({op, nth, path, 0});
  if (op != target.op || !(failEvery || nth == target.nth)) return 0;
  ++failures;
  seen.back().error = target.error;
  return target.error;
}

unsigned long FaultError(std::size_t index) {
  static const unsigned long kErrors[] = {ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION};
  return kErrors[index % 3];
}

std::vector<InjectionPoint> InjectionPoints(const std::function<void()>& operation, const std::vector<FileOp>& kinds) {
  FaultPlan counting;
  {
    ScopedFaults scope(counting);
    operation();
  }
  std::vector<InjectionPoint> points;
  for (const InjectionPoint& p : counting.seen)
    for (FileOp k : kinds)
      if (p.op == k) points.push_back(p);
  for (std::size_t i = 0; i < points.size(); ++i) points[i].error = FaultError(i);
  return points;
}

int AnsweringPrompter::Ask(const MessageBoxRequest& request) {
  boxes.push_back(request);
  auto it = byCaption.find(request.caption);
  if (it != byCaption.end()) return it->second;
  const unsigned buttons = request.style & 0xF;
  return buttons == mb::kYesNo || buttons == mb::kYesNoCancel ? id::kYes : id::kOk;
}

std::string AnsweringPrompter::Texts() const {
  std::string all;
  for (const MessageBoxRequest& r : boxes) all += "[" + r.caption + "] " + r.text + "\n";
  return all;
}

}  // namespace tessary::test

namespace tessary::test {
namespace {
const char kFiller[] = "T:\\filler.bin";
}

bool SmallDisk::Mounted() {
  const DWORD marker = GetFileAttributesA("T:\\small-disk.txt");
  return marker != INVALID_FILE_ATTRIBUTES && !(marker & FILE_ATTRIBUTE_DIRECTORY);
}

SmallDisk::~SmallDisk() {
  Free();
  for (const std::string& folder : folders_) RemoveTree(folder);
}

std::string SmallDisk::Folder(const std::string& name) {
  const std::string folder = "T:\\" + name;
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  folders_.push_back(folder);
  return folder;
}

unsigned long SmallDisk::Fill() {
  HANDLE file = CreateFileA(kFiller, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  SetFilePointer(file, 0, nullptr, FILE_END);
  static const std::string block(64 * 1024, 'F');
  DWORD error = 0;
  // Ever smaller writes, so that no byte the disk could still take is left free.
  for (DWORD size = static_cast<DWORD>(block.size()); size >= 1; size /= 2) {
    DWORD written = 0;
    while (WriteFile(file, block.data(), size, &written, nullptr) && written == size) {
    }
    error = GetLastError();
  }
  CloseHandle(file);
  return error;
}

void SmallDisk::Free() { DeleteFileA(kFiller); }

}  // namespace tessary::test
