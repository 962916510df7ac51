// The uninstall action file: writing, classifying and parsing its lines.
#include "uninstall/logic/action_file.h"

#include "platform/ascii.h"
#include "platform/text_lines.h"

namespace tessary {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// A value never carries a ">" into the file: the reader splits at the first one, so a
// value with ">TO:" or ">IN:" inside could otherwise redirect the undo elsewhere.
std::string_view CutAtGreater(std::string_view value) {
  std::size_t cut = value.find('>');
  return cut == npos ? value : value.substr(0, cut);
}

bool StartsWithNoCase(std::string_view line, std::string_view word) {
  return line.size() >= word.size() && EqualsNoCase(line.substr(0, word.size()), word);
}

// Text after the first ":" of a line; nothing when there is none.
std::optional<std::string_view> RestOf(std::string_view line) {
  std::size_t colon = line.find(':');
  if (colon == npos) return std::nullopt;
  return line.substr(colon + 1);
}

std::string_view UpTo(std::string_view s, char c) {
  std::size_t at = s.find(c);
  return at == npos ? s : s.substr(0, at);
}

// "FILE[section]" split into file and section; nothing without the "[".
bool SplitTarget(std::string_view target, IniAction& action) {
  std::size_t open = target.find('[');
  if (open == npos) return false;
  action.file = std::string(target.substr(0, open));
  action.section = std::string(UpTo(target.substr(open + 1), ']'));
  return true;
}

std::optional<IniAction> ParseAddOrRemove(std::string_view line, std::string_view marker) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  std::size_t at = rest->find(marker);
  if (at == npos) return std::nullopt;
  IniAction action;
  if (!SplitTarget(rest->substr(at + marker.size()), action)) return std::nullopt;
  std::string_view keyAndValue = UpTo(*rest, '>');
  std::size_t eq = keyAndValue.find('=');
  if (eq == npos) return std::nullopt;
  action.key = std::string(keyAndValue.substr(0, eq));
  action.value = std::string(keyAndValue.substr(eq + 1));
  if (action.key.empty() || action.value.empty()) return std::nullopt;
  return action;
}

constexpr const char* kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

// Every piece between separators must be a real name: no empty piece, no "." or "..",
// no wildcard that a shell delete would expand.
bool SafePathPieces(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == npos) end = path.size();
    std::string_view piece = path.substr(start, end - start);
    if (piece.empty() || piece == "." || piece == "..") return false;
    if (piece.find_first_of("*?:") != npos) return false;
    start = end + 1;
  }
  return true;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// An absolute file path: "X:\..." or "\\server\share\...", naming something below
// the root (never the root itself), with no piece that climbs or expands.
bool IsSafeAbsoluteFilePath(std::string_view path) {
  if (path.size() > 3 && IsDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
    return SafePathPieces(path.substr(3));
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    std::string_view unc = path.substr(2);
    // The server and share must be names; something below the share must be named.
    std::size_t server = unc.find('\\');
    if (server == npos) return false;
    std::size_t share = unc.find('\\', server + 1);
    if (share == npos) return false;
    return SafePathPieces(unc);
  }
  return false;
}

}  // namespace

std::string FormatChangeAction(const std::string& key, const std::string& currentValue,
                               const std::string& previousValue, const std::string& file,
                               const std::string& section) {
  std::string line = "CHANGE:";
  line += key;
  line += '=';
  line += CutAtGreater(currentValue);
  line += ">TO:";
  line += CutAtGreater(previousValue);
  line += ">IN:";
  line += file;
  line += '[';
  line += section;
  line += ']';
  return line;
}

std::string FormatAddAction(const std::string& key, const std::string& value, const std::string& file,
                            const std::string& section) {
  std::string line = "ADD:";
  line += key;
  line += '=';
  line += CutAtGreater(value);
  line += ">TO:";
  line += file;
  line += '[';
  line += section;
  line += ']';
  return line;
}

std::string FormatRemoveAction(const std::string& key, const std::string& value, const std::string& file,
                               const std::string& section) {
  std::string line = "REMOVE:";
  line += key;
  line += '=';
  line += CutAtGreater(value);
  line += ">FROM:";
  line += file;
  line += '[';
  line += section;
  line += ']';
  return line;
}

std::string FormatRemoveFileAction(const std::string& name, bool isDirectory, const std::string& directory) {
  std::string line = "REMOVEFILE:";
  line += name;
  if (isDirectory) line += "  (DIR)";
  line += ">FROM:";
  line += directory;
  return line;
}

std::string FormatRegDatRemoveAction(const std::string& keyPath) {
  return "REG_DAT_REMOVE:" + keyPath + ">FROM:REG.DAT";
}

ActionKind ClassifyAction(std::string_view line) {
  if (StartsWithNoCase(line, "CHANGE:")) return ActionKind::Change;
  if (StartsWithNoCase(line, "ADD:")) return ActionKind::Add;
  if (StartsWithNoCase(line, "REG_DAT_REMOVE:")) return ActionKind::RegDatRemove;
  if (StartsWithNoCase(line, "REMOVE:")) return ActionKind::Remove;
  if (StartsWithNoCase(line, "REMOVEFILE:")) return ActionKind::RemoveFile;
  return ActionKind::None;
}

std::optional<IniAction> ParseChangeAction(std::string_view line) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  std::size_t to = rest->find(">TO:");
  if (to == npos) return std::nullopt;
  std::string_view previousPart = rest->substr(to + 4);
  std::string_view keyAndValue = UpTo(*rest, '>');
  std::size_t in = previousPart.find(">IN:");
  if (in == npos) return std::nullopt;
  IniAction action;
  if (!SplitTarget(previousPart.substr(in + 4), action)) return std::nullopt;
  action.previous = previousPart.front() == '>' ? std::string(" ") : std::string(UpTo(previousPart, '>'));
  std::size_t eq = keyAndValue.find('=');
  if (eq == npos) return std::nullopt;
  action.value = std::string(keyAndValue.substr(eq + 1));
  if (action.value.empty()) action.value = " ";
  action.key = std::string(keyAndValue.substr(0, eq));
  if (action.key.empty()) return std::nullopt;
  return action;
}

std::optional<IniAction> ParseAddAction(std::string_view line) { return ParseAddOrRemove(line, ">TO:"); }

std::optional<IniAction> ParseRemoveAction(std::string_view line) { return ParseAddOrRemove(line, ">FROM:"); }

std::optional<FileAction> ParseRemoveFileAction(std::string_view line) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  std::size_t colon = rest->find(':');
  if (colon == npos) return std::nullopt;
  std::string directory(rest->substr(colon + 1));
  std::string_view name = UpTo(*rest, '>');
  FileAction action;
  // Only a name that ends in the marker is a directory: "(DIR)" inside a file name
  // must not make the reader cut seven characters off a different path.
  constexpr std::string_view kMarker = "  (DIR)";
  if (name.size() >= kMarker.size() && name.substr(name.size() - kMarker.size()) == kMarker) {
    action.isDirectory = true;
    name.remove_suffix(kMarker.size());
  }
  // A name that is empty or has a separator would make the line name some other place
  // than a directory entry (the directory itself, its parent, a whole drive).
  if (name.empty() || name.find_first_of("\\/:") != npos) return std::nullopt;
  action.path = directory;
  if (action.path.empty() || action.path.back() != '\\') action.path += '\\';
  action.path += name;
  if (!IsSafeAbsoluteFilePath(action.path)) return std::nullopt;
  return action;
}

std::optional<RegAction> ParseRegDatRemoveAction(std::string_view line) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  // The key path runs to the last ">FROM:", so a key name with ">" in it (legal in the
  // registry) still names that key and not its parent.
  std::size_t from = rest->rfind(">FROM:");
  if (from == npos) return std::nullopt;
  RegAction action;
  action.keyPath = std::string(rest->substr(0, from));
  std::size_t slash = action.keyPath.find('\\');
  if (slash == std::string::npos) return std::nullopt;  // a whole root
  std::string_view root = std::string_view(action.keyPath).substr(0, slash);
  for (const char* known : kRoots) {
    if (EqualsNoCase(root, known)) action.root = known;
  }
  if (action.root.empty()) return std::nullopt;
  action.subkey = action.keyPath.substr(slash + 1);
  // Empty pieces ("ROOT\", "ROOT\\x", "ROOT\x\") could open the root itself.
  std::size_t start = 0;
  while (start <= action.subkey.size()) {
    std::size_t end = action.subkey.find('\\', start);
    if (end == std::string::npos) end = action.subkey.size();
    if (end == start) return std::nullopt;
    start = end + 1;
  }
  return action;
}

std::string DllNameOf(std::string_view line) {
  std::size_t colon = line.find(':');
  std::string_view rest = colon == npos ? std::string_view() : line.substr(colon + 1);
  std::string_view name = UpTo(rest, '>');
  if (name.size() > 4) name.remove_suffix(4);
  return std::string(name);
}

std::string ActionFilePathFor(const std::string& reportPath) {
  if (reportPath.size() < 3) return reportPath + "tsu";
  return reportPath.substr(0, reportPath.size() - 3) + "tsu";
}

std::vector<std::string> SplitActionLines(std::string_view content) {
  // Lines are kept whole even beyond 298 characters: a long REMOVEFILE or registry
  // line cut short, or split into two entries, would name some other file or key.
  std::vector<std::string> lines;
  ForEachLine(content, [&](std::string_view line) { lines.push_back(ToUpperAscii(line)); });
  return lines;
}

}  // namespace tessary
