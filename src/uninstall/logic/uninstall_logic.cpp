#include "uninstall/logic/uninstall_logic.h"

#include <cstdio>

#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary {

std::vector<std::string> NeImportedModules(const ReadAtFn& readAt, std::uint64_t size) {
  std::vector<std::string> modules;
  if (size < 25) return modules;
  std::string b = readAt(24, 1);
  if (b.size() != 1 || static_cast<unsigned char>(b[0]) < 0x40) return modules;
  if (size < 60) return modules;
  std::string hb = readAt(60, 2);
  if (hb.size() != 2) return modules;
  const std::uint64_t h = static_cast<unsigned char>(hb[0]) | (static_cast<unsigned char>(hb[1]) << 8);
  if (h > size) return modules;
  // The header up to the imported-names offset at h + 42 in one read.
  std::string header = readAt(h, 44);
  if (header.size() < 2 || header[0] != 'N' || header[1] != 'E') return modules;
  if (header.size() < 44) return modules;
  const unsigned count = static_cast<unsigned char>(header[30]);
  const std::uint64_t t =
      h + (static_cast<unsigned char>(header[42]) | (static_cast<unsigned char>(header[43]) << 8));
  if (t > size) return modules;
  // Each entry is at most 256 bytes: read the whole table at once.
  std::string table = readAt(t + 1, static_cast<std::size_t>(count) * 256);
  std::size_t pos = 0;
  for (unsigned i = 0; i < count && pos < table.size(); ++i) {
    const unsigned n = static_cast<unsigned char>(table[pos++]);
    if (pos + n > table.size()) break;
    if (n >= 1 && n <= 8) modules.push_back(table.substr(pos, n));
    pos += n;
  }
  return modules;
}

bool ModuleRefersToDll(const std::string& module, const std::string& dllBase) {
  return module.size() >= 2 && StartsWithNoCase(dllBase, module);
}

std::string ReferencingPathOf(const std::string& line, const std::string& dllBase) {
  if (!StartsWithNoCase(line, dllBase)) return "";
  const auto blank = line.find(' ');
  if (blank == std::string::npos) return "";
  std::string path = line.substr(blank + 1);
  return path.size() >= 2 ? path : "";
}

std::string DllBaseOfPath(const std::string& dllPath) {
  std::string base = dllPath.size() > 4 ? dllPath.substr(0, dllPath.size() - 4) : "";
  const auto slash = base.rfind('\\');
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

// Lines are taken as the system's INI reader takes them, so the rewrite finds the very
// section headers and device= entries that Compare read (blanks, comments after the
// bracket, quotes around the value).
void InsertDeviceLine(IniDocument& systemIni, const std::string& value) {
  systemIni.InsertAfterHeaders("386enh", "device=" + value);
}

void RemoveDeviceLine(IniDocument& systemIni, const std::string& value) {
  systemIni.DeleteEntryWithValue("386enh", "device", value, true);
}

std::vector<std::string> SplitTextLines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::string JoinTextLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string UninstallLogHeader(const LocalTime& now) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%d/%d/%d %2d:%02d:%02d\r\n", now.month, now.day, now.year, now.hour,
                now.minute, now.second);
  return std::string("-----------UNINSTALL LOG FOR:\r\n") + stamp;
}

}  // namespace tessary
