// The noise list's rules as a user's tessary-noise.txt hands them over: every line is a
// rule or refused, a rule read again is the same rule, a rule names no whole branch or
// drive, a rule without wildcards matches what it names, and the name patterns agree with
// a plain recursive model.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/noise_list.h"
#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary {
namespace {

std::string Same(std::string_view text) { return std::string(text); }

// `*` any characters (within one name unless `any`), `?` one, letters in any case.
bool ModelMatch(std::string_view p, std::string_view t, bool any) {
  if (p.empty()) return t.empty();
  if (p[0] == '*') {
    for (std::size_t i = 0; i <= t.size(); ++i) {
      if (i > 0 && !any && t[i - 1] == '\\') break;
      if (ModelMatch(p.substr(1), t.substr(i), any)) return true;
    }
    return false;
  }
  if (t.empty() || (!any && t[0] == '\\')) return false;
  if (p[0] != '?' && AsciiLower(p[0]) != AsciiLower(t[0])) return false;
  return ModelMatch(p.substr(1), t.substr(1), any);
}

std::string Joined(const std::vector<std::string>& levels) {
  std::string out;
  for (std::size_t i = 0; i < levels.size(); ++i) out += (i ? "\\" : "") + levels[i];
  return out;
}

void Check(std::string_view text) {
  NoiseList list;
  const std::vector<std::string> refused = list.AddText(text, Same);
  std::size_t said = 0;
  ForEachLine(text, [&](std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    if (!line.empty() && line.front() != '#' && line.front() != ';') ++said;
  });
  FUZZ_EXPECT_EQ(list.rules().size() + refused.size(), said, "every line is a rule or refused");

  for (const NoiseRule& rule : list.rules()) {
    NoiseList again;
    FUZZ_EXPECT(again.Add(rule.text, Same), "a rule read again", rule.text);
    FUZZ_EXPECT(again.rules().size() == 1 && again.rules()[0].levels == rule.levels && again.rules()[0].name == rule.name,
                "reads as the same rule", rule.text);
    bool named = false;
    for (std::size_t i = 1; i < rule.levels.size(); ++i)
      named = named || rule.levels[i].find_first_not_of("*?") != std::string::npos;
    FUZZ_EXPECT(named, "no rule takes a whole branch or drive", rule.text);
    const std::string literal = Joined(rule.levels);
    if (literal.find_first_of("*?") != std::string::npos || rule.name.find_first_of("*?") != std::string::npos) continue;
    const NoiseRule* found =
        rule.kind == NoiseKind::Value ? list.MatchValue(literal, rule.name) : list.MatchPath(literal);
    FUZZ_EXPECT(found != nullptr, "a rule without wildcards matches what it names", rule.text);
  }

  // Any line held against the list as a key with a value name, and as a path.
  ForEachLine(text, [&](std::string_view line) {
    static_cast<void>(list.MatchPath(line));
    static_cast<void>(list.MatchValue(line, line));
  });

  // The first line as a pattern, the second as a text (short: the model is exponential).
  const std::size_t cut = text.find('\n');
  if (cut != std::string_view::npos && cut <= 12 && text.size() - cut - 1 <= 16) {
    const std::string_view pattern = text.substr(0, cut), subject = text.substr(cut + 1);
    for (bool any : {false, true})
      FUZZ_EXPECT_EQ(MatchesNamePattern(pattern, subject, any), ModelMatch(pattern, subject, any),
                     "a name pattern as the model matches it");
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::Check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
