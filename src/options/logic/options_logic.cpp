#include "options/logic/options_logic.h"

#include "platform/ascii.h"

namespace tessary {

std::string TakeNumberBoxText(const std::string& boxText) { return boxText.substr(0, 4); }

bool KeepCountAccepted(const std::string& numberText) {
  int n = DecimalPrefix(numberText);
  return n >= kMinKeptReports && n <= kMaxKeptReports;
}

std::string TrimOptionalDirectory(std::string path) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool IsDriveRootPath(const std::string& path) {
  return path.size() < 4 && path.size() >= 2 && path.compare(path.size() - 2, 2, ":\\") == 0;
}

std::string BrowserPattern(const std::string& path) {
  return IsDriveRootPath(path) ? path + "*.*" : path + "\\*.*";
}

std::string BrowserDirectoryLine(const std::string& name) { return "[" + name + "]"; }

std::string BrowserDriveLine(char letter) { return std::string(1, letter) + ":\\"; }

std::string BrowserStep(const std::string& current, const std::string& line) {
  std::string p = current;
  if (p.empty() || p.back() != '\\') p += '\\';
  std::string item = line;
  if (!item.empty() && item.front() == '[') {
    item = item.size() >= 2 ? item.substr(1, item.size() - 2) : std::string();
  }
  if (item.size() >= 2 && item.compare(item.size() - 2, 2, ":\\") == 0) return item;
  return p + item;
}

}  // namespace tessary
