// The registry snapshots (curuser.TSB, ...) and the registry compare. The input is the
// backup snapshot, or, with a NUL in it, the current snapshot before the NUL and the
// backup after it. Checked: the unchanged-snapshot test and the added keys against a
// plain model; key paths written one a line read back as the same keys; and the
// REG_DAT_REMOVE line of each added key names that key.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/registry_logic.h"
#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

std::vector<std::string> PlainLines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    std::string line(content.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// A current snapshot made from the backup: some keys gone, some new below others, some
// in other case.
std::string Edited(const std::vector<std::string>& backup) {
  std::string out;
  for (std::size_t i = 0; i < backup.size(); ++i) {
    if (i % 7 == 3) continue;
    out += (i % 5 == 1 ? ToUpperAscii(backup[i]) : backup[i]) + "\r\n";
    if (i % 3 == 0) out += backup[i] + "\\New" + std::to_string(i) + "\r\n";
  }
  return out;
}

void Check(std::string_view data) {
  std::size_t nul = data.find('\0');
  const std::string backup(nul == std::string_view::npos ? data : data.substr(nul + 1));
  const std::vector<std::string> backupLines = PlainLines(backup);
  const std::string current = nul == std::string_view::npos ? Edited(backupLines) : std::string(data.substr(0, nul));
  const std::vector<std::string> currentLines = PlainLines(current);

  std::vector<std::string_view> read = SnapshotLines(current);
  FUZZ_EXPECT_EQ(read.size(), currentLines.size(), "snapshot line count");
  for (std::size_t i = 0; i < read.size(); ++i) FUZZ_EXPECT_EQ(std::string(read[i]), currentLines[i], "snapshot line");

  bool same = currentLines.size() <= backupLines.size();
  for (std::size_t i = 0; same && i < currentLines.size(); ++i) same = EqualsNoCase(currentLines[i], backupLines[i]);
  FUZZ_EXPECT_EQ(SnapshotsSame(current, backup), same, "unchanged-snapshot test");
  FUZZ_EXPECT(SnapshotsSame(backup, backup), "a snapshot is the same as itself", backup);

  const std::set<std::string> backupSet(backupLines.begin(), backupLines.end());
  SnapshotKeySet keys(backup);
  FUZZ_EXPECT_EQ(keys.size(), backupSet.size(), "one key per distinct line");
  for (const std::string& key : currentLines) {
    const bool added = backupSet.count(key) == 0;
    FUZZ_EXPECT_EQ(!keys.Contains(key), added, "added key");
    if (!added || key.empty() || HoldsControlCharacter(key)) continue;
    // The action of an added key, as Uninstall loads it, names that key.
    const std::string path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\" + key;
    std::vector<std::string> loaded = SplitActionLines(FormatRegDatRemoveAction(path) + "\r\n");
    FUZZ_EXPECT_EQ(loaded.size(), std::size_t{1}, "an action is one line");
    auto action = ParseRegDatRemoveAction(loaded[0]);
    const bool emptyPiece = key.front() == '\\' || key.back() == '\\' || key.find("\\\\") != std::string::npos;
    if (!emptyPiece) {
      FUZZ_EXPECT(action.has_value(), "the action of an added key reads back", loaded[0]);
      FUZZ_EXPECT_EQ(action->keyPath, ToUpperAscii(path), "the action names the added key");
    }
  }

  // The snapshot writer: one key path a line with CR LF; a name with a control
  // character is left out. What is written reads back as the same keys, in order.
  std::string written;
  std::vector<std::string> kept;
  for (const std::string& key : backupLines) {
    if (HoldsControlCharacter(key)) continue;
    written += key + "\r\n";
    kept.push_back(key);
  }
  FUZZ_EXPECT(PlainLines(written) == kept, "written keys read back", written);
  SnapshotKeySet writtenKeys(written);
  for (const std::string& key : kept) FUZZ_EXPECT(writtenKeys.Contains(key), "a written key is found", key);
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
