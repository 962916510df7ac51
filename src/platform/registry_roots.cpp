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

std::vector<std::string> KeyPathPieces(std::string_view path) {
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

}  // namespace tessary
