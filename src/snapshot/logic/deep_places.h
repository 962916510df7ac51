// Deep tracking: the places a setup program of today writes to, each listed with all its
// subfolders, and the one list of what is left out of them. The Windows side finds each
// place through the system's folder functions (deep_places.cpp in src/snapshot); these
// are the rules over the paths it finds. No <windows.h> here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The places in the order they are listed and reported. `id` names the listing file
// ("deep_" + id + "." + the listing extension).
struct DeepPlaceKind {
  const char* id;
  const char* title;
};
inline constexpr DeepPlaceKind kDeepPlaceKinds[] = {
    {"prog", "Program Files"},
    {"prog86", "Program Files (x86)"},
    {"common", "Common Files"},
    {"common86", "Common Files (x86)"},
    {"progdata", "ProgramData"},
    {"system", "System folder"},
    {"syswow64", "32-bit System folder"},
    {"fonts", "Fonts"},
    {"installer", "Windows Installer cache"},
    {"roaming", "AppData Roaming"},
    {"local", "AppData Local"},
    {"startmenu", "Start-menu programs"},
    {"allstart", "All users' Start-menu programs"},
    {"desktop", "Desktop"},
    {"pubdesk", "Public desktop"},
    {"opt1", "User directory 1"},
    {"opt2", "User directory 2"},
    {"opt3", "User directory 3"},
    {"opt4", "User directory 4"},
    {"opt5", "User directory 5"},
};

// The listing's base name in the backup directory: "deep_prog".
std::string DeepListingBase(std::string_view id);

struct DeepPlace {
  std::string id;
  std::string title;
  std::string path;    // as the system gives it, without a trailing backslash (a root keeps it)
  std::string within;  // the title of the listed place that holds it, or "" when listed itself
};

// The places that are listed: each place that lies in another place, or is the same
// folder as one listed before it, is not listed itself (the other's listing holds it) and
// gets `within`; places without a path are dropped. Paths compare without regard to ASCII
// case.
std::vector<DeepPlace> FoldPlaces(std::vector<DeepPlace> places);

// What deep tracking leaves out, wherever it lies in a place: folders that change on
// their own, and Tessary's own.
struct DeepLeftOut {
  // Whole folders by their paths: the temporary folders (the user's and the Windows
  // folder's Temp), the backup directory, the recycle bin of each drive root
  // ("$Recycle.Bin", "RECYCLER", "RECYCLED"), and the caches below the user's local
  // application data (kLocalCaches).
  std::vector<std::string> folders;
  // Folders named like a cache (kCacheFolderNames) are left out anywhere below these:
  // the user's AppData Roaming and Local.
  std::vector<std::string> cacheRoots;
};

// Caches below the user's AppData Local that change on their own: the browser's and the
// shell's caches, shader caches, crash dumps.
inline constexpr const char* kLocalCaches[] = {
    "Microsoft\\Windows\\INetCache", "Microsoft\\Windows\\Temporary Internet Files", "Microsoft\\Windows\\WebCache",
    "Microsoft\\Windows\\Explorer",  "Microsoft\\Windows\\Caches",                   "D3DSCache",
    "NVIDIA\\DXCache",              "NVIDIA\\GLCache",                              "AMD\\DxCache",
    "AMD\\GLCache",                 "CrashDumps",
};
// Names of the cache folders browsers and applications keep at any depth below AppData.
inline constexpr const char* kCacheFolderNames[] = {"Cache", "Code Cache", "GPUCache", "ShaderCache", "cache2"};
// The recycle bin's folders at a drive's root.
inline constexpr const char* kRecycleBinNames[] = {"$Recycle.Bin", "RECYCLER", "RECYCLED"};

// Whether the folder `path` (full, no trailing backslash), named `name`, is left out.
bool IsLeftOut(const DeepLeftOut& leftOut, std::string_view path, std::string_view name);
// The left-out folders that lie in `place`, for its listing's header.
std::vector<std::string> LeftOutWithin(const DeepLeftOut& leftOut, std::string_view place);
// The list as the report's deep heading shows it ("Left out: ..." without a line end).
std::string LeftOutText(const DeepLeftOut& leftOut);

// `path` without trailing backslashes, a drive root keeping its one ("C:\").
std::string WithoutTrailingSlash(std::string path);
// Whether `inner` is `outer` or lies below it (no regard to ASCII case).
bool IsSameOrBelowFolder(std::string_view inner, std::string_view outer);

}  // namespace tessary
