#include "registry_roots.h"

#include "ascii.h"

namespace tessary {

std::string_view RegistryRootFullName(std::string_view name, RootNameForms accepted) {
  for (const RegistryRootName& root : kRegistryRoots) {
    if (EqualsNoCase(name, root.full)) return root.full;
    if (accepted == RootNameForms::FullOrShort && !root.shortName.empty() && EqualsNoCase(name, root.shortName))
      return root.full;
  }
  return {};
}

}  // namespace tessary
