// What the system changes by itself (volatile data, caches, logs, MRU lists, random
// seeds): the one list Compare holds every registry value and deep entry against before
// it reports it. An entry the list matches is left out of the report and counted, and the
// report's block names the count and the rules that matched, so nothing is hidden
// silently. No <windows.h>.
//
// A rule is one line, in the form the report shows what it matches:
//   value KEY "NAME"     a registry value: KEY a key path pattern below a root (full or
//                        short name: HKLM, HKCU, ...), NAME the value's name in quotes as
//                        the report shows it, or (Default)
//   path FOLDER\NAME     a file or folder of the deep places, by its full path
// In a pattern `*` stands for any characters within one name (never a backslash; in a
// value name for any characters), `?` for one, and a whole name `**` for any number of
// names, none included ("...\LogFiles\**" is the folder and everything below it).
// Letters match in any case. Paths may begin with an environment variable (%APPDATA%),
// which the caller expands when the list is read. Blank lines and lines beginning with
// "#" or ";" say nothing.
//
// Every rule is as narrow as it can be: a value name under a key pattern rather than a
// branch, since everything left out is something an installer could hide in.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

enum class NoiseKind { Value, Path };

struct NoiseRule {
  NoiseKind kind = NoiseKind::Value;
  std::vector<std::string> levels;  // the key's or path's names, the root's full name first
  std::string name;                 // a value rule: the quoted name pattern, or (Default)
  std::string text;                 // the rule as the report names it
};

// How many entries one rule left out of a report.
struct NoiseCount {
  std::string rule;
  std::size_t count = 0;
};

// Which defaults a list starts from.
enum class NoiseDefaults { Windows, WindowsAndWine };

class NoiseList {
 public:
  // Expands the environment variables of a path rule ("%APPDATA%\x" to "C:\...\x");
  // returns the text unchanged where it cannot.
  using Expand = std::function<std::string(std::string_view)>;

  NoiseList() = default;
  // The built-in rules: Windows's own, and with WindowsAndWine those of Wine as well.
  static NoiseList Defaults(NoiseDefaults which, const Expand& expand);

  // Adds the rules of a user's file. Returns the lines that are no rule, as
  // "line N: text", so that the caller can name them; those lines add nothing.
  std::vector<std::string> AddText(std::string_view text, const Expand& expand);
  // Adds one rule; false (and nothing added) when `line` is no rule.
  bool Add(std::string_view line, const Expand& expand);

  // The rule that matches a registry value (the key's full path as the report writes it,
  // the name as DescribeValueName shows it), or null.
  const NoiseRule* MatchValue(std::string_view keyPath, std::string_view describedName) const;
  // The rule that matches a file or folder by its full path, or null.
  const NoiseRule* MatchPath(std::string_view path) const;

  const std::vector<NoiseRule>& rules() const { return rules_; }

 private:
  std::vector<NoiseRule> rules_;
};

// The rules that matched, in the order they first did, each with its count.
class NoiseTally {
 public:
  void Add(const NoiseRule& rule, std::size_t times = 1);
  void Add(const std::vector<NoiseCount>& counts);
  std::size_t total() const { return total_; }
  const std::vector<NoiseCount>& counts() const { return counts_; }
  // "Left out as the system's own changes: 2 values (value HKCU\x "a": 1; value ...: 1)",
  // `what` ("value", "entry") or `whatPlural` by the count; empty when nothing matched.
  std::string Text(const char* what, const char* whatPlural) const;

 private:
  std::vector<NoiseCount> counts_;
  std::size_t total_ = 0;
};

// The report line that names what a block left out: the values part's begins with "***",
// a deep place's with "--". Readers of earlier reports know the lines by this text.
inline constexpr std::string_view kNoiseLineText = "Left out as the system's own changes: ";

// Whether `text` matches `pattern`: `*` any characters but a backslash, `?` one character,
// letters in any case. With `anyBackslash`, `*` and `?` match a backslash too.
bool MatchesNamePattern(std::string_view pattern, std::string_view text, bool anyBackslash = false);

}  // namespace tessary
