// The text line splitter that every line-based file of the program goes through
// (listings, snapshots, the action file, the executor's system.ini rewrite), against a
// plain model; lines joined and split again; the action file's loaded lines; and how a
// report shows a name that one line cannot carry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {
namespace {

// "\n" ends a line, one "\r" before it is not part of the line, a last line without a
// line end counts (and loses a last "\r" too), nothing after the last "\n" is no line.
std::vector<std::string> Model(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) {
    if (line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void Check(std::string_view text) {
  const std::vector<std::string> model = Model(text);
  std::vector<std::string> walked;
  ForEachLine(text, [&](std::string_view line) { walked.emplace_back(line); });
  FUZZ_EXPECT(walked == model, "the lines of a text", text);

  // A walk stopped by its callback stops there.
  std::size_t seen = 0;
  ForEachLine(text, [&](std::string_view) { return ++seen < 2; });
  FUZZ_EXPECT_EQ(seen, std::min<std::size_t>(model.size(), 2), "a stopped walk");

  const std::vector<std::string> lines = SplitTextLines(std::string(text));
  FUZZ_EXPECT(lines == model, "SplitTextLines", text);
  FUZZ_EXPECT(SplitTextLines(JoinTextLines(lines)) == lines, "lines joined with CR LF and split again", text);

  const std::vector<std::string> loaded = SplitActionLines(text);
  FUZZ_EXPECT_EQ(loaded.size(), model.size(), "action lines: one entry per line");
  for (std::size_t i = 0; i < loaded.size(); ++i) FUZZ_EXPECT_EQ(loaded[i], ToUpperAscii(model[i]), "action line");

  // A report shows a name with control characters as "<0A>" and the like: one line,
  // and the same name when it has none.
  for (const std::string& line : model) {
    const std::string shown = PrintableName(line);
    FUZZ_EXPECT(!HoldsControlCharacter(shown), "a shown name holds no control character", shown);
    FUZZ_EXPECT_EQ(shown == line, !HoldsControlCharacter(line), "a plain name is shown as it is");
  }
  const std::string whole = PrintableName(text);
  FUZZ_EXPECT_EQ(Model(whole).size(), text.empty() ? std::size_t{0} : std::size_t{1}, "a shown name is one line");
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
