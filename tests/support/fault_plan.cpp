#include "fault_plan.h"

namespace tessary::test {

std::string Describe(const InjectionPoint& p) {
  static const char* const kNames[] = {"create", "write", "rename", "delete", "list"};
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
