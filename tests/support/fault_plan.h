// Fault injection for tests: the platform's file seam driven by a plan, and the loop
// that runs an operation once per file operation it performs, failing that one.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/seams.h"
#include "platform/fault.h"

namespace tessary::test {

// One file operation an operation performed: its kind, its number among the
// operations of that kind, and the path it acted on.
struct InjectionPoint {
  FileOp op;
  int nth;
  std::string path;
  unsigned long error = 0;
};
std::string Describe(const InjectionPoint& point);

// Counts every file operation; fails the one of `target` (when set) with its error,
// or, with failEvery, every operation of target.op.
class FaultPlan : public FileFaults {
 public:
  unsigned long Check(FileOp op, const std::string& path) override;
  InjectionPoint target{FileOp::Create, 0, {}, 0};
  bool failEvery = false;
  std::vector<InjectionPoint> seen;  // every operation, in order
  int failures = 0;
};

// Installs a plan for the length of a scope.
class ScopedFaults {
 public:
  explicit ScopedFaults(FileFaults& faults) { SetFileFaults(&faults); }
  ~ScopedFaults() { SetFileFaults(nullptr); }
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;
};

// The errors a fault takes in turn: disk full, access denied, sharing violation.
unsigned long FaultError(std::size_t index);

// Runs `operation` once with a counting plan and returns the points it passed, the
// kinds in `kinds` only.
std::vector<InjectionPoint> InjectionPoints(const std::function<void()>& operation,
                                            const std::vector<FileOp>& kinds = {FileOp::Create, FileOp::Write,
                                                                                FileOp::Rename, FileOp::Delete});

// Answers every message box: Yes to a Yes/No or Yes/No/Cancel question unless a
// caption is told otherwise, OK to the rest. Records every box.
class AnsweringPrompter : public Prompter {
 public:
  int Ask(const MessageBoxRequest& request) override;
  void Beep(unsigned) override {}
  using Prompter::Ask;
  std::map<std::string, int> byCaption;
  std::vector<MessageBoxRequest> boxes;
  std::string Texts() const;  // every text and caption, for failure messages
};

}  // namespace tessary::test

namespace tessary::test {

// The small real disk the test run mounts as drive T: (tests/support/small_disk.sh, a
// ctest fixture): folders on it, and a filler that takes it to the last byte, so a
// write meets a real "disk full" rather than the seam's.
class SmallDisk {
 public:
  static constexpr const char* kSkipReason =
      "no small disk: the test run could not mount a 1 MB tmpfs as drive T: (mounting needs root and a system "
      "that allows it; ctest mounts it, a test program run on its own does not)";
  static bool Mounted();
  SmallDisk() = default;
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  ~SmallDisk();  // frees the disk and removes the folders
  // A new, empty folder on the disk.
  std::string Folder(const std::string& name);
  // Writes the filler until the disk refuses more; returns the error of the refusal.
  unsigned long Fill();
  void Free();

 private:
  std::vector<std::string> folders_;
};

}  // namespace tessary::test
