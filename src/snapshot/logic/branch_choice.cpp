#include "snapshot/logic/branch_choice.h"

#include "platform/ascii.h"

namespace tessary {

const char* const kBranchNames[kBranchCount] = {
    "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",  "HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_CLASSES_ROOT",
    "HKEY_CLASSES_ROOT\\CLSID", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

namespace {

const char* const kShortNames[kBranchCount] = {"HKCU", "HKLM", "HKLM\\SOFTWARE", "HKCR", "HKCR\\CLSID", "HKU", "HKCC"};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<unsigned> ParseBranchList(std::string_view text) {
  const std::string_view whole = Trimmed(text);
  if (EqualsNoCase(whole, "none")) return 0u;
  if (EqualsNoCase(whole, "all")) return (1u << kBranchCount) - 1;
  unsigned chosen = 0;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view piece = Trimmed(text.substr(0, comma));
    bool known = false;
    for (std::size_t i = 0; i < kBranchCount && !known; ++i) {
      if (!EqualsNoCase(piece, kBranchNames[i]) && !EqualsNoCase(piece, kShortNames[i])) continue;
      chosen |= 1u << i;
      known = true;
    }
    if (!known) return std::nullopt;
    if (comma == std::string_view::npos) return chosen;
    text.remove_prefix(comma + 1);
  }
}

std::string BranchListText(unsigned chosen) {
  std::string text;
  for (std::size_t i = 0; i < kBranchCount; ++i)
    if (chosen & (1u << i)) text += (text.empty() ? "" : ",") + std::string(kBranchNames[i]);
  return text.empty() ? "none" : text;
}

}  // namespace tessary
