#include "uninstall/logic/protected_keys.h"

#include "platform/ascii.h"
#include "platform/registry_roots.h"

namespace tessary {

namespace {

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

// "ControlSet" followed by one or more digits.
bool IsNumberedControlSet(std::string_view name) {
  if (name.size() <= 10 || !StartsWithNoCase(name, "ControlSet")) return false;
  for (char c : name.substr(10))
    if (c < '0' || c > '9') return false;
  return true;
}

bool PieceMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*") return true;
  if (!pattern.empty() && pattern.front() == '*') {
    std::string_view tail = pattern.substr(1);
    return name.size() >= tail.size() && EqualsNoCase(name.substr(name.size() - tail.size()), tail);
  }
  if (EqualsNoCase(pattern, "CurrentControlSet") && IsNumberedControlSet(name)) return true;
  return EqualsNoCase(pattern, name);
}

// The root of a path in its full name, with the pieces below it; false for no known root.
bool NormaliseRoot(std::vector<std::string>& pieces) {
  if (pieces.empty()) return false;
  const std::string_view root = RegistryRootFullName(pieces[0], RootNameForms::FullOrShort);
  if (!root.empty()) {
    pieces[0] = std::string(root);
    return true;
  }
  // The registry's own names: \REGISTRY\MACHINE\..., \REGISTRY\USER\...
  if (pieces.size() >= 2 && EqualsNoCase(pieces[0], "REGISTRY")) {
    const char* full = EqualsNoCase(pieces[1], "MACHINE") ? "HKEY_LOCAL_MACHINE"
                       : EqualsNoCase(pieces[1], "USER")  ? "HKEY_USERS"
                                                          : nullptr;
    if (!full) return false;
    pieces.erase(pieces.begin());
    pieces[0] = full;
    return true;
  }
  return false;
}

std::vector<std::string> BuildList() {
  std::vector<std::string> list = {
      "HKEY_LOCAL_MACHINE\\SOFTWARE",
      "HKEY_LOCAL_MACHINE\\SYSTEM",
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet",
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control",
      "HKEY_LOCAL_MACHINE\\SAM",
      "HKEY_LOCAL_MACHINE\\SECURITY",
      "HKEY_LOCAL_MACHINE\\HARDWARE",
      "HKEY_USERS\\*",
      "HKEY_USERS\\*_Classes",
      "HKEY_CURRENT_CONFIG\\Software",
      "HKEY_CURRENT_CONFIG\\System",
  };
  // The class registrations, wherever they are seen from: HKEY_CLASSES_ROOT, the
  // Classes key of each Software key, a user's own classes.
  const char* classKeys[] = {"CLSID", "Interface", "TypeLib", "AppID"};
  std::vector<std::string> classes;
  for (const char* view : {"", "Wow6432Node\\"}) {
    if (*view) classes.push_back("Wow6432Node");
    for (const char* key : classKeys) classes.push_back(std::string(view) + key);
  }
  for (const std::string& c : classes) {
    list.push_back("HKEY_CLASSES_ROOT\\" + c);
    list.push_back("HKEY_USERS\\*_Classes\\" + c);
  }
  // The keys of a user: HKEY_CURRENT_USER is one of HKEY_USERS.
  for (const char* user : {"HKEY_CURRENT_USER", "HKEY_USERS\\*"}) {
    for (const char* key : {"Software", "Control Panel", "Environment"}) list.push_back(std::string(user) + "\\" + key);
  }
  // Under each Software key, and the same in its 32-bit view.
  const char* windowsKeys[] = {"Microsoft",
                               "Microsoft\\Windows",
                               "Microsoft\\Windows\\CurrentVersion",
                               "Microsoft\\Windows\\CurrentVersion\\Run",
                               "Microsoft\\Windows\\CurrentVersion\\RunOnce",
                               "Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
                               "Microsoft\\Windows\\CurrentVersion\\RunServices",
                               "Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
                               "Microsoft\\Windows\\CurrentVersion\\Uninstall",
                               "Microsoft\\Windows\\CurrentVersion\\App Paths",
                               "Microsoft\\Windows NT",
                               "Microsoft\\Windows NT\\CurrentVersion"};
  for (const char* software : {"HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_CURRENT_USER\\Software", "HKEY_USERS\\*\\Software"}) {
    for (const char* view : {"", "\\Wow6432Node"}) {
      const std::string base = std::string(software) + view;
      if (*view) list.push_back(base);
      list.push_back(base + "\\Classes");
      for (const std::string& c : classes) list.push_back(base + "\\Classes\\" + c);
      for (const char* key : windowsKeys) list.push_back(base + "\\" + key);
    }
  }
  return list;
}

}  // namespace

const std::vector<std::string>& ProtectedKeyList() {
  static const std::vector<std::string> list = BuildList();
  return list;
}

bool IsProtectedKey(std::string_view keyPath) {
  std::vector<std::string> pieces = Pieces(keyPath);
  if (!NormaliseRoot(pieces)) return false;
  if (pieces.size() == 1) return true;  // a whole root
  for (const std::string& entry : ProtectedKeyList()) {
    const std::vector<std::string> pattern = Pieces(entry);
    if (pattern.size() != pieces.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < pattern.size(); ++i) same = PieceMatches(pattern[i], pieces[i]);
    if (same) return true;
  }
  return false;
}

bool IsAtOrBelowProtectedKey(std::string_view keyPath) {
  std::vector<std::string> pieces = Pieces(keyPath);
  if (!NormaliseRoot(pieces)) return true;  // no known root: nothing to take it by
  if (pieces.size() == 1) return true;
  // HKEY_CLASSES_ROOT shows the Classes keys of the machine's and the user's Software,
  // HKEY_CURRENT_CONFIG a key of the machine's SYSTEM: both lie wholly below listed keys.
  if (pieces[0] == "HKEY_CLASSES_ROOT" || pieces[0] == "HKEY_CURRENT_CONFIG") return true;
  for (const std::string& entry : ProtectedKeyList()) {
    const std::vector<std::string> pattern = Pieces(entry);
    if (pattern.size() > pieces.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < pattern.size(); ++i) same = PieceMatches(pattern[i], pieces[i]);
    if (same) return true;
  }
  return false;
}

}  // namespace tessary
