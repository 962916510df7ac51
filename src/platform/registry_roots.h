// The names of the registry's root keys: in full, as action lines, reports and the
// registry export write them, and short, as people write them. No <windows.h> here; the
// predefined key of each name is RootKeyNamed (registry.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

struct RegistryRootName {
  std::string_view full;       // "HKEY_LOCAL_MACHINE"
  std::string_view shortName;  // "HKLM"; empty where there is none
};

inline constexpr RegistryRootName kRegistryRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKEY_CURRENT_USER", "HKCU"},   {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},         {"HKEY_CURRENT_CONFIG", "HKCC"}, {"HKEY_DYN_DATA", ""},
};

enum class RootNameForms { Full, FullOrShort };

// The full name of the root that `name` names, in any letter case ("hkey_users" and,
// with FullOrShort, "hku" give "HKEY_USERS"); empty when it names no root.
std::string_view RegistryRootFullName(std::string_view name, RootNameForms accepted);

// The names of a key path between its backslashes, empty ones (a doubled or trailing
// backslash) left out: HKLM\A\\B\ gives HKLM, A and B.
std::vector<std::string> KeyPathPieces(std::string_view path);

}  // namespace tessary
