#include "uninstall/logic/sensitive_places.h"

#include <vector>

#include "platform/ascii.h"
#include "platform/registry_roots.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

// Each place: key pieces below the machine's or a user's hive, after the path has been
// made plain (below), "*" standing for any one name, and the values that count there
// ("" for every value).
struct Place {
  const char* key;
  const char* values;  // names separated by "|"; "" for every value
};

const Place kPlaces[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "Shell"},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", ""},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "AppInit_DLLs|LoadAppInit_DLLs|Load|Run"},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", ""},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup|Common Startup"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Startup|Common Startup"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions", ""},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", ""},
    {"Software\\Classes\\*\\shell\\*\\command", ""},
    {"Software\\Classes\\*\\shellex", ""},
    {"Software\\Classes\\CLSID\\*\\InprocServer32", ""},
    {"Software\\Classes\\CLSID\\*\\LocalServer32", ""},
    {"SYSTEM\\CurrentControlSet\\Services\\*", "ImagePath|ServiceDll|Start"},
    {"SYSTEM\\CurrentControlSet\\Services\\*\\Parameters", "ServiceDll"},
    {"SYSTEM\\CurrentControlSet\\Control\\Lsa", ""},
    {"SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute|SetupExecute|Execute|AppCertDlls"},
    {"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", ""},
    {"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\AppCertDlls", ""},
};

std::vector<std::string> Pieces(std::string_view path) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) pieces.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool IsControlSet(std::string_view name) {
  if (EqualsNoCase(name, "CurrentControlSet")) return true;
  if (name.size() <= 10 || !StartsWithNoCase(name, "ControlSet")) return false;
  for (char c : name.substr(10))
    if (c < '0' || c > '9') return false;
  return true;
}

// The pieces below the hive: HKEY_CLASSES_ROOT is Software\Classes, a user of
// HKEY_USERS loses the user's name, HKEY_CURRENT_CONFIG is left as it is, and the 32-bit
// view's "Wow6432Node" is passed over. False for no known root.
bool Plain(std::string_view keyPath, std::vector<std::string>& out) {
  std::vector<std::string> pieces = Pieces(keyPath);
  if (pieces.empty()) return false;
  const std::string_view root = RegistryRootFullName(pieces[0], RootNameForms::FullOrShort);
  if (root.empty()) return false;
  std::size_t from = 1;
  if (root == "HKEY_CLASSES_ROOT") out = {"Software", "Classes"};
  if (root == "HKEY_USERS") {
    from = 2;
    // "S-1-5-21-..._Classes" is a user's Software\Classes.
    if (pieces.size() > 1 && EndsWithNoCase(pieces[1], "_Classes")) out = {"Software", "Classes"};
  }
  for (std::size_t i = from; i < pieces.size(); ++i)
    if (!EqualsNoCase(pieces[i], "Wow6432Node")) out.push_back(pieces[i]);
  return true;
}

bool PieceMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*") return true;
  if (EqualsNoCase(pattern, "CurrentControlSet")) return IsControlSet(name);
  return EqualsNoCase(pattern, name);
}

bool NameListed(std::string_view list, std::u16string_view name) {
  if (list.empty()) return true;
  std::string narrow;
  for (char16_t u : name) {
    if (u >= 0x80) return false;  // every listed name is ASCII
    narrow.push_back(static_cast<char>(u));
  }
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find('|', start);
    if (end == std::string_view::npos) end = list.size();
    if (EqualsNoCase(list.substr(start, end - start), narrow)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool IsSensitiveKeyValue(std::string_view keyPath, std::u16string_view valueName) {
  std::vector<std::string> pieces;
  if (!Plain(keyPath, pieces)) return false;
  for (const Place& place : kPlaces) {
    const std::vector<std::string> pattern = Pieces(place.key);
    if (pattern.size() > pieces.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < pattern.size(); ++i) same = PieceMatches(pattern[i], pieces[i]);
    // Values are named for the listed key itself; below it every value counts.
    const bool below = pieces.size() > pattern.size();
    if (same && (below ? std::string_view(place.values).empty() : NameListed(place.values, valueName))) return true;
  }
  return false;
}

bool IsSensitiveIniEntry(std::string_view file, std::string_view section, std::string_view key) {
  if (EqualsNoCase(file, "WIN.INI"))
    return EqualsNoCase(section, "windows") && (EqualsNoCase(key, "load") || EqualsNoCase(key, "run"));
  if (EqualsNoCase(file, "SYSTEM.INI"))
    return EqualsNoCase(section, "boot") || (EqualsNoCase(section, "386Enh") && EqualsNoCase(key, "device"));
  return false;
}

bool IsSensitiveWrite(std::string_view line) {
  switch (ClassifyAction(line)) {
    case ActionKind::Change:
      if (const auto a = ParseChangeAction(line)) return IsSensitiveIniEntry(a->file, a->section, a->key);
      break;
    case ActionKind::Add:
      if (const auto a = ParseAddAction(line)) return IsSensitiveIniEntry(a->file, a->section, a->key);
      break;
    case ActionKind::RegValueRestore:
      if (const auto a = ParseValueAction(line)) return IsSensitiveKeyValue(a->keyPath, a->name);
      break;
    default: break;
  }
  return false;
}

}  // namespace tessary
