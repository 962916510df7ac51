// The boot-file sections (autoexec.bat, config.sys, msdos.sys): the files cut into
// pieces as a text-mode reader sees them, and the set comparison of the two passes.
// The input is one file (the other made from it), or, with a NUL in it, the current
// file before the NUL and the backup copy after it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/boot_logic.h"
#include "compare/logic/compare_text.h"
#include "fuzz_check.h"
#include "platform/ascii.h"

namespace tessary {
namespace {

// The text as a text-mode reader sees it: up to the first Ctrl-Z, CR LF read as LF.
std::string TextMode(std::string_view bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\x1a') break;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

std::vector<std::string> CheckedPieces(std::string_view bytes) {
  std::vector<std::string> pieces = SplitLinePieces(bytes);
  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string& p = pieces[i];
    FUZZ_EXPECT(!p.empty() && p.size() <= kLinePiece, "a piece holds 1 to 248 characters", p);
    FUZZ_EXPECT(p.find('\n') == std::string::npos || p.find('\n') == p.size() - 1, "a line end ends its piece", p);
    if (i + 1 < pieces.size())
      FUZZ_EXPECT(p.back() == '\n' || p.size() == kLinePiece, "only the last piece stops short of its line end", p);
    joined += p;
  }
  FUZZ_EXPECT_EQ(joined, TextMode(bytes), "the pieces are the whole text");
  return pieces;
}

std::string Folded(const std::string& s) { return ToLowerAscii(s); }

// One pass against a plain model: every piece that the other file lacks (without
// regard to case) is reported, in order, nothing else; a finding after a label piece
// stands under that label.
void CheckPass(const std::vector<std::string>& scanned, const std::vector<std::string>& other) {
  std::set<std::string> otherFolded;
  for (const std::string& p : other) otherFolded.insert(Folded(p));
  std::vector<std::string> expected;
  for (const std::string& p : scanned)
    if (otherFolded.count(Folded(p)) == 0) expected.push_back(p);

  BootPass pass(other);
  std::vector<std::string> findings;
  std::string label, labelShown;
  for (const std::string& p : scanned) {
    if (!p.empty() && p.front() == ':') label = p;
    std::vector<std::string> lines = pass.Take(p);
    FUZZ_EXPECT(lines.size() <= 2, "a piece gives at most its label and itself", p);
    if (lines.empty()) continue;
    FUZZ_EXPECT_EQ(lines.back(), p, "the piece is reported as it is");
    if (lines.size() == 2) {
      FUZZ_EXPECT_EQ(lines.front(), label, "the label line is the piece's label");
      labelShown = label;
    }
    if (!label.empty()) FUZZ_EXPECT_EQ(labelShown, label, "a finding under a label follows that label's line");
    findings.push_back(p);
  }
  FUZZ_EXPECT(findings == expected, "the findings are the pieces the other file lacks", std::to_string(findings.size()));
}

void Check(std::string_view data) {
  std::size_t nul = data.find('\0');
  std::vector<std::string> current = CheckedPieces(data.substr(0, nul));
  std::vector<std::string> backup;
  if (nul != std::string_view::npos) {
    backup = CheckedPieces(data.substr(nul + 1));
  } else {
    for (std::size_t i = 0; i < current.size(); ++i) {
      if (i % 4 == 1) continue;
      backup.push_back(i % 3 == 2 ? ToUpperAscii(current[i]) : current[i]);
      if (i % 5 == 3) backup.push_back("REM deleted " + std::to_string(i) + "\n");
    }
  }
  CheckPass(current, backup);
  CheckPass(backup, current);
  FUZZ_EXPECT(BootPassLines(current, current).empty(), "a file has no findings against itself", data);
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
