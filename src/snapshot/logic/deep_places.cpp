#include "snapshot/logic/deep_places.h"

#include "platform/ascii.h"

namespace tessary {

std::string DeepListingBase(std::string_view id) { return "deep_" + std::string(id); }

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path;
}

bool IsSameOrBelowFolder(std::string_view inner, std::string_view outer) {
  if (outer.empty() || inner.size() < outer.size() || !EqualsNoCase(inner.substr(0, outer.size()), outer)) return false;
  return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

std::vector<DeepPlace> FoldPlaces(std::vector<DeepPlace> places) {
  std::vector<DeepPlace> kept;
  for (DeepPlace& place : places) {
    if (place.path.empty()) continue;
    place.path = WithoutTrailingSlash(place.path);
    kept.push_back(std::move(place));
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    for (std::size_t j = 0; j < kept.size() && kept[i].within.empty(); ++j) {
      if (i == j || !kept[j].within.empty()) continue;
      const bool same = EqualsNoCase(kept[i].path, kept[j].path);
      // The same folder counts once, under the place named first; a folder in another
      // place is that place's.
      if ((same && j < i) || (!same && IsSameOrBelowFolder(kept[i].path, kept[j].path))) kept[i].within = kept[j].title;
    }
  }
  // A place folded into one that was itself folded (a user directory around Program
  // Files) names the place that is listed.
  for (DeepPlace& place : kept) {
    if (place.within.empty()) continue;
    for (const DeepPlace& other : kept)
      if (other.within.empty() && IsSameOrBelowFolder(place.path, other.path)) place.within = other.title;
  }
  return kept;
}

bool IsLeftOut(const DeepLeftOut& leftOut, std::string_view path, std::string_view name) {
  for (const std::string& folder : leftOut.folders)
    if (EqualsNoCase(folder, path)) return true;
  for (const char* cache : kCacheFolderNames) {
    if (!EqualsNoCase(name, cache)) continue;
    for (const std::string& root : leftOut.cacheRoots)
      if (path.size() > root.size() && IsSameOrBelowFolder(path, root)) return true;
  }
  return false;
}

std::vector<std::string> LeftOutWithin(const DeepLeftOut& leftOut, std::string_view place) {
  std::vector<std::string> inside;
  for (const std::string& folder : leftOut.folders)
    if (folder.size() > place.size() && IsSameOrBelowFolder(folder, place)) inside.push_back(folder);
  return inside;
}

std::string LeftOutText(const DeepLeftOut& leftOut) {
  std::string text = "Left out: ";
  for (std::size_t i = 0; i < leftOut.folders.size(); ++i) text += (i ? "; " : "") + leftOut.folders[i];
  if (!leftOut.cacheRoots.empty()) {
    text += leftOut.folders.empty() ? "" : "; ";
    text += "folders named";
    for (std::size_t i = 0; i < std::size(kCacheFolderNames); ++i)
      text += std::string(i == 0 ? " " : i + 1 == std::size(kCacheFolderNames) ? " or " : ", ") + kCacheFolderNames[i];
    text += " below ";
    for (std::size_t i = 0; i < leftOut.cacheRoots.size(); ++i)
      text += (i ? " and " : "") + leftOut.cacheRoots[i];
  }
  return text;
}

}  // namespace tessary
