#include "compare/logic/noise_list.h"

#include "platform/ascii.h"
#include "platform/registry_roots.h"
#include "platform/text_lines.h"

namespace tessary {

namespace {

// Windows's own writes: random seeds, MRU lists, usage counters, caches and logs.
constexpr const char* kWindowsRules[] = {
    R"(value HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Cryptography\RNG "Seed")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Control\Session Manager\AppCompatCache "AppCompatCache")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Services\bam\State\UserSettings\* "*")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Services\Tcpip\Parameters\Interfaces\* "Lease*")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Services\W32Time\Config "LastKnownGoodTime")",
    R"(value HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RecentDocs\** "*")",
    R"(value HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU "*")",
    R"(value HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist\*\Count "*")",
    R"(value HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSavePidlMRU\** "*")",
    R"(value HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\LastVisitedPidlMRU "*")",
    R"(value HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Microsoft\Windows\Shell\BagMRU\** "*")",
    R"(value HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Microsoft\Windows\Shell\Bags\** "*")",
    R"(value HKEY_CLASSES_ROOT\Local Settings\Software\Microsoft\Windows\Shell\BagMRU\** "*")",
    R"(value HKEY_CLASSES_ROOT\Local Settings\Software\Microsoft\Windows\Shell\Bags\** "*")",
    R"(path %SystemRoot%\System32\config\*)",
    R"(path %SystemRoot%\System32\LogFiles\**)",
    R"(path %SystemRoot%\System32\sru\**)",
    R"(path %SystemRoot%\System32\wbem\Repository\**)",
    R"(path %SystemRoot%\System32\wdi\**)",
    R"(path %ProgramData%\Microsoft\Windows\WER\**)",
    R"(path %ProgramData%\Microsoft\Diagnosis\**)",
    R"(path %LOCALAPPDATA%\IconCache.db)",
    R"(path %LOCALAPPDATA%\Microsoft\Windows\UsrClass.dat*)",
    R"(path %LOCALAPPDATA%\Microsoft\Windows\Notifications\**)",
    R"(path %APPDATA%\Microsoft\Windows\Recent\**)",
};

// Wine's: the font code pages it writes again whenever a process starts in another
// locale than the last one, and the display driver's date it writes when a desktop opens.
constexpr const char* kWineRules[] = {
    R"(value HKEY_CURRENT_USER\Software\Wine\Fonts "Codepages")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Hardware Profiles\Current\Software\Fonts "OEMFONT.FON")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Hardware Profiles\Current\Software\Fonts "FIXEDFON.FON")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Hardware Profiles\Current\Software\Fonts "FONTS.FON")",
    R"(value HKEY_CURRENT_CONFIG\Software\Fonts "OEMFONT.FON")",
    R"(value HKEY_CURRENT_CONFIG\Software\Fonts "FIXEDFON.FON")",
    R"(value HKEY_CURRENT_CONFIG\Software\Fonts "FONTS.FON")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Control\Class\{4d36e968-e325-11ce-bfc1-08002be10318}\* "DriverDateData")",
    R"(value HKEY_LOCAL_MACHINE\SYSTEM\*ControlSet*\Control\Video\*\* "DriverDateData")",
};

std::vector<std::string> Levels(std::string_view path) {
  std::vector<std::string> levels;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    levels.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return levels;
}

bool MatchLevels(const std::vector<std::string>& pattern, std::size_t p, const std::vector<std::string>& text,
                 std::size_t t) {
  for (; p < pattern.size(); ++p, ++t) {
    if (pattern[p] == "**") {
      for (std::size_t from = t; from <= text.size(); ++from)
        if (MatchLevels(pattern, p + 1, text, from)) return true;
      return false;
    }
    if (t >= text.size() || !MatchesNamePattern(pattern[p], text[t])) return false;
  }
  return t == text.size();
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Levels of a pattern that name something: no empty name (a doubled or trailing
// backslash) and at least `least` of them.
bool Sound(const std::vector<std::string>& levels, std::size_t least) {
  if (levels.size() < least) return false;
  for (const std::string& level : levels)
    if (level.empty()) return false;
  return true;
}

}  // namespace

bool MatchesNamePattern(std::string_view pattern, std::string_view text, bool anyBackslash) {
  // Iterative glob with one star to fall back to.
  std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && (anyBackslash || text[t] != '\\') &&
               (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(text[t]))) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos && (anyBackslash || text[resume] != '\\')) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

NoiseList NoiseList::Defaults(NoiseDefaults which, const Expand& expand) {
  NoiseList list;
  for (const char* rule : kWindowsRules) list.Add(rule, expand);
  if (which == NoiseDefaults::WindowsAndWine)
    for (const char* rule : kWineRules) list.Add(rule, expand);
  return list;
}

bool NoiseList::Add(std::string_view line, const Expand& expand) {
  line = Trimmed(line);
  NoiseRule rule;
  if (StartsWithNoCase(line, "value ")) {
    std::string_view rest = Trimmed(line.substr(6));
    std::size_t nameAt = std::string_view::npos;
    if (EndsWithNoCase(rest, " (Default)")) nameAt = rest.size() - 9;
    else if (rest.size() > 2 && rest.back() == '"') nameAt = rest.find(" \"");
    if (nameAt == std::string_view::npos) return false;
    rule.name = std::string(Trimmed(rest.substr(nameAt)));
    if (rule.name.size() < 2 || (rule.name != "(Default)" && rule.name.back() != '"')) return false;
    rule.levels = Levels(Trimmed(rest.substr(0, nameAt)));
    if (!Sound(rule.levels, 1)) return false;
    const std::string_view root = RegistryRootFullName(rule.levels[0], RootNameForms::FullOrShort);
    if (root.empty()) return false;
    rule.levels[0] = std::string(root);
    rule.kind = NoiseKind::Value;
  } else if (StartsWithNoCase(line, "path ")) {
    const std::string path = expand ? expand(Trimmed(line.substr(5))) : std::string(Trimmed(line.substr(5)));
    rule.levels = Levels(path);
    // A whole drive is no narrow rule; a variable that could not be expanded names nothing.
    if (!Sound(rule.levels, 2) || rule.levels[0].size() != 2 || rule.levels[0][1] != ':' ||
        path.find('%') != std::string::npos)
      return false;
    rule.kind = NoiseKind::Path;
  } else {
    return false;
  }
  // Nothing but stars below the root would leave out a whole branch or drive.
  bool named = false;
  for (std::size_t i = 1; i < rule.levels.size(); ++i)
    named = named || rule.levels[i].find_first_not_of("*?") != std::string::npos;
  if (!named) return false;
  rule.text = std::string(line);
  rules_.push_back(std::move(rule));
  return true;
}

std::vector<std::string> NoiseList::AddText(std::string_view text, const Expand& expand) {
  std::vector<std::string> refused;
  std::size_t number = 0;
  ForEachLine(text, [&](std::string_view line) {
    ++number;
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') return;
    if (!Add(trimmed, expand)) refused.push_back("line " + std::to_string(number) + ": " + std::string(trimmed));
  });
  return refused;
}

const NoiseRule* NoiseList::MatchValue(std::string_view keyPath, std::string_view describedName) const {
  const std::vector<std::string> levels = Levels(keyPath);
  for (const NoiseRule& rule : rules_) {
    if (rule.kind != NoiseKind::Value) continue;
    if (!MatchesNamePattern(rule.name, describedName, true)) continue;
    if (MatchLevels(rule.levels, 0, levels, 0)) return &rule;
  }
  return nullptr;
}

const NoiseRule* NoiseList::MatchPath(std::string_view path) const {
  const std::vector<std::string> levels = Levels(path);
  for (const NoiseRule& rule : rules_)
    if (rule.kind == NoiseKind::Path && MatchLevels(rule.levels, 0, levels, 0)) return &rule;
  return nullptr;
}

void NoiseTally::Add(const NoiseRule& rule, std::size_t times) { Add({NoiseCount{rule.text, times}}); }

void NoiseTally::Add(const std::vector<NoiseCount>& counts) {
  for (const NoiseCount& c : counts) {
    total_ += c.count;
    bool found = false;
    for (NoiseCount& mine : counts_)
      if (mine.rule == c.rule) {
        mine.count += c.count;
        found = true;
      }
    if (!found) counts_.push_back(c);
  }
}

std::string NoiseTally::Text(const char* what, const char* whatPlural) const {
  if (total_ == 0) return {};
  std::string text = std::string(kNoiseLineText) + std::to_string(total_) + " " + (total_ == 1 ? what : whatPlural) + " (";
  for (std::size_t i = 0; i < counts_.size(); ++i)
    text += (i ? "; " : "") + counts_[i].rule + ": " + std::to_string(counts_[i].count);
  return text + ")";
}

}  // namespace tessary
