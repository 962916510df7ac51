// The seven registry branches by name, for a run that chooses its branches itself
// instead of reading [registry] of tessary.ini (tessaryc's --branches, and track's own
// choice). A choice is a set of bits: bit i is branch i of kRegistryBranches
// (src/snapshot/registry_export.h). No <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

inline constexpr std::size_t kBranchCount = 7;
// In the order of kRegistryBranches: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_LOCAL_MACHINE\SOFTWARE, HKEY_CLASSES_ROOT, HKEY_CLASSES_ROOT\CLSID, HKEY_USERS,
// HKEY_CURRENT_CONFIG.
extern const char* const kBranchNames[kBranchCount];

// What track compares of its own runs unless told otherwise: every branch a program
// installs into, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE (its services and drivers) with
// its SOFTWARE, HKEY_CLASSES_ROOT and HKEY_CLASSES_ROOT\CLSID. HKEY_USERS and
// HKEY_CURRENT_CONFIG are left out: the first holds HKEY_CURRENT_USER again, the second
// is a view of HKEY_LOCAL_MACHINE.
inline constexpr unsigned kTrackBranches = 0x1Fu;

// "HKCU,HKLM\SOFTWARE" (names as kBranchNames or short: HKCU, HKLM, HKLM\SOFTWARE, HKCR,
// HKCR\CLSID, HKU, HKCC; any case; commas between), "all" or "none". Nothing for a name
// that is no branch or an empty piece.
std::optional<unsigned> ParseBranchList(std::string_view text);

// The names of the chosen branches, comma-separated ("none" when none is chosen).
std::string BranchListText(unsigned chosen);

}  // namespace tessary
