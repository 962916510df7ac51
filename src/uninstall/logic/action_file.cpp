// The uninstall action file: writing, classifying and parsing its lines.
#include "uninstall/logic/action_file.h"

#include "platform/ascii.h"
#include "platform/registry_roots.h"
#include "platform/text_lines.h"
#include "platform/utf8.h"

namespace tessary {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Text after the first ":" of a line; nothing when there is none. A line holding a NUL
// has none either: every name passes to the system as a C string, which ends at the
// NUL, so the line would act on a shorter name than it holds ("KEEP\0\SUB" is the key
// KEEP).
std::optional<std::string_view> RestOf(std::string_view line) {
  if (line.find('\0') != npos) return std::nullopt;
  std::size_t colon = line.find(':');
  if (colon == npos) return std::nullopt;
  return line.substr(colon + 1);
}

std::string_view UpTo(std::string_view s, char c) {
  std::size_t at = s.find(c);
  return at == npos ? s : s.substr(0, at);
}

// The INI files an entry action may name: bare names the INI functions resolve in the
// Windows folder. Anything else (a path, another file) would let a line write elsewhere.
constexpr std::string_view kIniFiles[] = {"WIN.INI", "SYSTEM.INI", "PROTOCOL.INI"};

// The last place in text where the marker stands (any letter case); npos when there is
// none. Values come before the target, so whatever they hold (">", even a marker) cannot
// move it; the text after it must then be a target (SplitTarget).
std::size_t FindMarkerFromRight(std::string_view text, std::string_view marker) {
  for (std::size_t at = text.size(); at-- > 0;)
    if (StartsWithNoCase(text.substr(at), marker)) return at;
  return npos;
}

// "FILE[section]": the file is one of the three INI files; the section is what the
// brackets at the end of the line hold, up to the final "]" (to the end of the line when
// there is no "]", as old files were read).
bool SplitTarget(std::string_view target, IniAction& action) {
  std::size_t open = target.find('[');
  if (open == npos || !IsActionIniFile(target.substr(0, open))) return false;
  action.file = std::string(target.substr(0, open));
  std::string_view section = target.substr(open + 1);
  if (!section.empty() && section.back() == ']') section.remove_suffix(1);
  action.section = std::string(section);
  return true;
}

// "key=" at the start of rest: the key is everything up to the first "=".
std::optional<std::size_t> KeyEnd(std::string_view rest) {
  std::size_t eq = rest.find('=');
  if (eq == npos || eq == 0) return std::nullopt;
  return eq;
}

std::optional<IniAction> ParseAddOrRemove(std::string_view line, std::string_view marker) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  auto eq = KeyEnd(*rest);
  if (!eq) return std::nullopt;
  std::string_view afterEq = rest->substr(*eq + 1);
  std::size_t at = FindMarkerFromRight(afterEq, marker);
  if (at == npos) return std::nullopt;
  IniAction action;
  if (!SplitTarget(afterEq.substr(at + marker.size()), action)) return std::nullopt;
  action.key = std::string(rest->substr(0, *eq));
  action.value = std::string(afterEq.substr(0, at));
  if (action.value.empty()) return std::nullopt;
  return action;
}

bool SameIniAction(const std::optional<IniAction>& a, const std::string& key, const std::string& value,
                   const std::string& previous, const std::string& file, const std::string& section) {
  return a && a->key == key && a->value == value && a->previous == previous && a->file == file &&
         a->section == section;
}

// Before values were kept whole, a value was cut at its first ">". That cut stays for
// the one value that could not be read back otherwise.
std::string CutAtGreater(const std::string& value) { return std::string(UpTo(value, '>')); }

std::string ChangeLine(const std::string& key, const std::string& currentValue, const std::string& previousValue,
                       const std::string& file, const std::string& section) {
  return "CHANGE:" + key + "=" + currentValue + ">TO:" + previousValue + ">IN:" + file + "[" + section + "]";
}
std::string AddLine(const std::string& key, const std::string& value, const std::string& file,
                    const std::string& section) {
  return "ADD:" + key + "=" + value + ">TO:" + file + "[" + section + "]";
}
std::string RemoveLine(const std::string& key, const std::string& value, const std::string& file,
                       const std::string& section) {
  return "REMOVE:" + key + "=" + value + ">FROM:" + file + "[" + section + "]";
}

constexpr std::string_view kValueRemoveWord = "REG_VALUE_REMOVE:";
constexpr std::string_view kValueRestoreWord = "REG_VALUE_RESTORE:";

// A key path of a value line: a root by its full name, alone or followed by "\" and
// pieces that are not empty; no control character anywhere.
bool SplitValueKeyPath(std::string_view keyPath, ValueAction& action) {
  if (HoldsControlCharacter(keyPath)) return false;
  const std::size_t slash = keyPath.find('\\');
  action.root = std::string(RegistryRootFullName(keyPath.substr(0, slash), RootNameForms::Full));
  if (action.root.empty()) return false;
  action.keyPath = std::string(keyPath);
  if (slash == npos) return true;
  action.subkey = std::string(keyPath.substr(slash + 1));
  std::size_t start = 0;
  while (start <= action.subkey.size()) {
    std::size_t end = action.subkey.find('\\', start);
    if (end == std::string::npos) end = action.subkey.size();
    if (end == start) return false;
    start = end + 1;
  }
  return true;
}

std::string ValueLine(std::string_view word, std::string_view target, const std::string& keyPath,
                      std::u16string_view name, const ValueData& data) {
  std::string line(word);
  AppendEscapedUnits(line, name);
  line += ">TYPE:";
  line += ValueTypeName(data.type);
  line += ">SIZE:";
  line += std::to_string(data.whole ? data.bytes.size() : data.size);
  line += ">DATA:";
  if (data.whole) {
    AppendDataField(line, data.type, data.bytes);
  } else {
    line += "*" + std::to_string(data.size) + ":" + data.sha256;
  }
  line += target;
  line += keyPath;
  return line;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Names the platform reserves for devices, with or without an extension ("NUL.TXT").
bool IsDeviceName(std::string_view name) {
  std::string_view base = UpTo(name, '.');
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (StartsWithNoCase(base, "COM") || StartsWithNoCase(base, "LPT")) && base[3] >= '1' &&
      base[3] <= '9')
    return true;
  return false;
}

// One piece of a path that the platform takes as it is: not empty, no character it
// forbids or treats specially (separators, the stream colon, wildcards, control
// characters), not ending in a dot or a blank (which it would trim, so "VICTIM." is
// "VICTIM" and "." the folder itself), not a device.
bool IsPlainName(std::string_view piece) {
  if (piece.empty() || piece.back() == '.' || piece.back() == ' ') return false;
  for (char c : piece)
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != npos) return false;
  return !IsDeviceName(piece);
}

// An absolute folder on a drive: "X:\" or "X:\piece\...\piece" with plain pieces, no
// trailing backslash. UNC paths ("\\server\share"), device and raw paths ("\\.\",
// "\\?\") and relative ones are refused here, before any call could reach them.
bool IsPlainDriveFolder(std::string_view path) {
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return false;
  if (path.size() == 3) return true;
  std::size_t start = 3;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == npos) end = path.size();
    if (!IsPlainName(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsActionIniFile(std::string_view file) {
  for (std::string_view known : kIniFiles)
    if (EqualsNoCase(file, known)) return true;
  return false;
}

std::string FormatChangeAction(const std::string& key, const std::string& currentValue,
                               const std::string& previousValue, const std::string& file,
                               const std::string& section) {
  // The reader takes the first ">TO:" after the key as the marker, so a current value
  // holding ">TO:" is cut; the value to put back is kept whole.
  std::string line = ChangeLine(key, currentValue, previousValue, file, section);
  const std::string shown = currentValue.empty() ? " " : currentValue;
  const std::string back = previousValue.empty() ? " " : previousValue;
  if (SameIniAction(ParseChangeAction(line), key, shown, back, file, section)) return line;
  const std::string cut = CutAtGreater(currentValue);
  line = ChangeLine(key, cut, previousValue, file, section);
  if (SameIniAction(ParseChangeAction(line), key, cut.empty() ? " " : cut, back, file, section)) return line;
  return ChangeLine(key, cut, CutAtGreater(previousValue), file, section);
}

std::string FormatAddAction(const std::string& key, const std::string& value, const std::string& file,
                            const std::string& section) {
  std::string line = AddLine(key, value, file, section);
  if (SameIniAction(ParseAddAction(line), key, value, "", file, section)) return line;
  return AddLine(key, CutAtGreater(value), file, section);
}

std::string FormatRemoveAction(const std::string& key, const std::string& value, const std::string& file,
                               const std::string& section) {
  std::string line = RemoveLine(key, value, file, section);
  if (SameIniAction(ParseRemoveAction(line), key, value, "", file, section)) return line;
  return RemoveLine(key, CutAtGreater(value), file, section);
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

std::string FormatValueRemoveAction(const std::string& keyPath, std::u16string_view name, const ValueData& data) {
  return ValueLine(kValueRemoveWord, ">FROM:", keyPath, name, data);
}

std::string FormatValueRestoreAction(const std::string& keyPath, std::u16string_view name, const ValueData& data) {
  return ValueLine(kValueRestoreWord, ">IN:", keyPath, name, data);
}

ActionKind ClassifyAction(std::string_view line) {
  if (StartsWithNoCase(line, "CHANGE:")) return ActionKind::Change;
  if (StartsWithNoCase(line, "ADD:")) return ActionKind::Add;
  if (StartsWithNoCase(line, "REG_DAT_REMOVE:")) return ActionKind::RegDatRemove;
  if (StartsWithNoCase(line, kValueRemoveWord)) return ActionKind::RegValueRemove;
  if (StartsWithNoCase(line, kValueRestoreWord)) return ActionKind::RegValueRestore;
  if (StartsWithNoCase(line, "REMOVE:")) return ActionKind::Remove;
  if (StartsWithNoCase(line, "REMOVEFILE:")) return ActionKind::RemoveFile;
  return ActionKind::None;
}

std::optional<IniAction> ParseChangeAction(std::string_view line) {
  // CHANGE:key=current>TO:previous>IN:FILE[section]. The target is the last ">IN:" with
  // a file and "["; the current value runs to the first ">TO:" after the key, so the
  // previous value (the one put back) may hold anything.
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  auto eq = KeyEnd(*rest);
  if (!eq) return std::nullopt;
  std::string_view afterEq = rest->substr(*eq + 1);
  std::size_t in = FindMarkerFromRight(afterEq, ">IN:");
  if (in == npos) return std::nullopt;
  IniAction action;
  if (!SplitTarget(afterEq.substr(in + 4), action)) return std::nullopt;
  std::string_view values = afterEq.substr(0, in);
  std::size_t to = FindNoCase(values, ">TO:");
  if (to == npos) return std::nullopt;
  action.key = std::string(rest->substr(0, *eq));
  action.value = std::string(values.substr(0, to));
  action.previous = std::string(values.substr(to + 4));
  if (action.value.empty()) action.value = " ";
  if (action.previous.empty()) action.previous = " ";
  return action;
}

std::optional<IniAction> ParseAddAction(std::string_view line) { return ParseAddOrRemove(line, ">TO:"); }

std::optional<IniAction> ParseRemoveAction(std::string_view line) { return ParseAddOrRemove(line, ">FROM:"); }

std::optional<FileAction> ParseRemoveFileAction(std::string_view line) {
  auto rest = RestOf(line);
  if (!rest) return std::nullopt;
  std::size_t gt = rest->find('>');
  if (gt == npos || !StartsWithNoCase(rest->substr(gt), ">FROM:")) return std::nullopt;
  std::string_view name = rest->substr(0, gt);
  std::string_view directory = rest->substr(gt + 6);
  FileAction action;
  // Only a name that ends in the marker is a directory: "(DIR)" inside a file name
  // must not make the reader cut seven characters off a different path.
  constexpr std::string_view kMarker = "  (DIR)";
  if (name.size() >= kMarker.size() && EqualsNoCase(name.substr(name.size() - kMarker.size()), kMarker)) {
    action.isDirectory = true;
    name.remove_suffix(kMarker.size());
  }
  // The line names one entry of one folder: a plain name (never the folder itself, its
  // parent, a stream or a device) in an absolute folder on a drive.
  if (!IsPlainName(name) || !IsPlainDriveFolder(directory)) return std::nullopt;
  action.directory = std::string(directory);
  action.name = std::string(name);
  action.path = action.directory;
  if (action.path.back() != '\\') action.path += '\\';
  action.path += action.name;
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
  // The root by its full name only.
  action.root = std::string(
      RegistryRootFullName(std::string_view(action.keyPath).substr(0, slash), RootNameForms::Full));
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

std::optional<ValueAction> ParseValueAction(std::string_view line) {
  ValueAction action;
  if (StartsWithNoCase(line, kValueRestoreWord)) {
    action.restore = true;
  } else if (!StartsWithNoCase(line, kValueRemoveWord)) {
    return std::nullopt;
  }
  std::string_view rest = line.substr(action.restore ? kValueRestoreWord.size() : kValueRemoveWord.size());
  // Name, type, size and data hold no ">": each runs to the next one, which must begin
  // the next marker. The key path (which may hold ">") is the rest after the last.
  std::string_view fields[4];
  const std::string_view markers[4] = {">TYPE:", ">SIZE:", ">DATA:", action.restore ? ">IN:" : ">FROM:"};
  for (int i = 0; i < 4; ++i) {
    const std::size_t gt = rest.find('>');
    if (gt == npos || !StartsWithNoCase(rest.substr(gt), markers[i])) return std::nullopt;
    fields[i] = rest.substr(0, gt);
    rest.remove_prefix(gt + markers[i].size());
  }
  auto name = UnescapeUnits(fields[0]);
  const auto type = ParseValueTypeName(fields[1]);
  const auto size = ParseValueSize(fields[2]);
  if (!name || !type || !size || *size > kValueMaxBytes) return std::nullopt;
  auto data = ParseDataField(fields[3], *type);
  if (!data || data->size != *size || (action.restore && !data->whole)) return std::nullopt;
  if (rest.empty() || !SplitValueKeyPath(rest, action)) return std::nullopt;
  action.name = std::move(*name);
  action.data = std::move(*data);
  return action;
}

std::string DescribeValueAction(const ValueAction& action, NarrowText narrow) {
  return std::string(action.restore ? kValueRestoreWord : kValueRemoveWord) + action.keyPath + " " +
         DescribeValueName(action.name, narrow) + " = " + DescribeValueData(action.data, narrow);
}

std::string DllNameOf(std::string_view line) {
  std::size_t colon = line.find(':');
  std::string_view rest = colon == npos ? std::string_view() : line.substr(colon + 1);
  std::string_view name = UpTo(rest, '>');
  if (name.size() > 4) name.remove_suffix(4);
  return std::string(name);
}

std::string WithLastThree(const std::string& path, std::string_view ext) {
  return path.substr(0, path.size() < 3 ? path.size() : path.size() - 3) + std::string(ext);
}

std::string ActionFilePathFor(const std::string& reportPath) { return WithLastThree(reportPath, "tsu"); }

std::vector<std::string> SplitActionLines(std::string_view content) {
  // Lines are kept whole however long: a long REMOVEFILE or registry line cut short,
  // or split into two entries, would name some other file or key.
  std::vector<std::string> lines;
  ForEachLine(content, [&](std::string_view line) { lines.push_back(ToUpperAscii(line)); });
  return lines;
}

ActionEntries LoadActionEntries(std::string_view content, const OlderTextFn& olderText) {
  ActionEntries loaded;
  ForEachLine(content, [&](std::string_view written) {
    if (olderText && ClassifyAction(written) == ActionKind::RemoveFile && !IsValidUtf8(written))
      loaded.originals.push_back(olderText(written));
    else
      loaded.originals.emplace_back(written);
    loaded.entries.push_back(ToUpperAscii(loaded.originals.back()));
  });
  for (const std::string& entry : loaded.entries)
    if (entry.find("REMOVEFILE") != std::string::npos && entry.find(".DLL") != std::string::npos)
      loaded.dllLinesPresent = true;
  return loaded;
}

}  // namespace tessary
