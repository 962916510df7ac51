#include "snapshot/deep_places.h"

#include <windows.h>
#include <shlobj.h>

#include "core/settings_table.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "snapshot/deep_listing_file.h"

namespace tessary {

namespace {

std::function<DeepScope()>& ScopeForTests() {
  static std::function<DeepScope()> scope;
  return scope;
}

}  // namespace

std::string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return FromWide(path);
}

std::string ByLongNames(const std::string& path) {
  const std::string given = WithoutTrailingSlash(path);
  if (given.empty()) return given;
  const std::string longForm = WithoutTrailingSlash(LongPathName(given));
  // A path already in its long form stays as given, in its own letter case (the report
  // shows it so): only a short name expanded changes it.
  return longForm.empty() || EqualsNoCase(longForm, given) ? given : longForm;
}

bool DeepTrackingOn(const AppState& state, const Settings& settings) {
  return state.DeepTrackingForced || settings.IsYes(settings::kDeepTracking);
}

namespace {

// Where Windows Installer keeps its copy of each installed package (and of each patch):
// the Windows folder's Installer. The system has no folder function for it.
std::string InstallerCache() {
  const std::string windows = WindowsDirectory();
  return windows.empty() ? std::string() : WithoutTrailingSlash(windows) + "\\Installer";
}

}  // namespace

std::vector<DeepPlace> FindDeepPlaces(const Settings& settings) {
  auto csidl = [](int id) { return KnownFolder(id); };
  const std::string paths[] = {
      csidl(CSIDL_PROGRAM_FILES),
      csidl(CSIDL_PROGRAM_FILESX86),
      csidl(CSIDL_PROGRAM_FILES_COMMON),
      csidl(CSIDL_PROGRAM_FILES_COMMONX86),
      csidl(CSIDL_COMMON_APPDATA),
      SystemDirectory(),
      SystemWow64Directory(),
      csidl(CSIDL_FONTS),
      InstallerCache(),
      csidl(CSIDL_APPDATA),
      csidl(CSIDL_LOCAL_APPDATA),
      csidl(CSIDL_PROGRAMS),
      csidl(CSIDL_COMMON_PROGRAMS),
      csidl(CSIDL_DESKTOPDIRECTORY),
      csidl(CSIDL_COMMON_DESKTOPDIRECTORY),
      settings.Read(settings::kOptDir[0]),
      settings.Read(settings::kOptDir[1]),
      settings.Read(settings::kOptDir[2]),
      settings.Read(settings::kOptDir[3]),
      settings.Read(settings::kOptDir[4]),
  };
  static_assert(std::size(paths) == std::size(kDeepPlaceKinds));
  std::vector<DeepPlace> places;
  for (std::size_t i = 0; i < std::size(kDeepPlaceKinds); ++i) {
    // A user directory that is not there is not listed (as the standard listing does).
    // The package cache is listed even before the first package made it, so that the
    // first package's cached copy is seen.
    const bool always = std::string_view(kDeepPlaceKinds[i].id) == "installer";
    const bool there = !paths[i].empty() && (always || DirectoryExists(paths[i]));
    places.push_back({kDeepPlaceKinds[i].id, kDeepPlaceKinds[i].title, there ? ByLongNames(paths[i]) : std::string(), ""});
  }
  return FoldPlaces(std::move(places));
}

DeepLeftOut FindDeepLeftOut(const AppState& state) {
  DeepLeftOut leftOut;
  auto add = [&](const std::string& path) {
    if (path.empty()) return;
    std::string full = ByLongNames(path);
    for (const std::string& f : leftOut.folders)
      if (EqualsNoCase(f, full)) return;
    leftOut.folders.push_back(std::move(full));
  };
  add(TempDirectory());
  add(state.WindowsDirectory + "\\Temp");
  add(state.BackupDirectory);
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (DriveTypeOf(letter) != DRIVE_FIXED) continue;
    for (const char* bin : kRecycleBinNames) add(std::string{letter, ':', '\\'} + bin);
  }
  const std::string local = ByLongNames(KnownFolder(CSIDL_LOCAL_APPDATA));
  const std::string roaming = ByLongNames(KnownFolder(CSIDL_APPDATA));
  if (!local.empty())
    for (const char* cache : kLocalCaches) add(local + "\\" + cache);
  if (!roaming.empty()) leftOut.cacheRoots.push_back(roaming);
  if (!local.empty()) leftOut.cacheRoots.push_back(local);
  return leftOut;
}

DeepScope CurrentDeepScope(const AppState& state, const Settings& settings) {
  if (ScopeForTests()) return ScopeForTests()();
  return {FindDeepPlaces(settings), FindDeepLeftOut(state)};
}

void SetDeepPlacesForTests(std::function<DeepScope()> scope) { ScopeForTests() = std::move(scope); }

std::string DeepListingPath(const std::string& directory, const std::string& id, const std::string& ext) {
  return directory + "\\" + DeepListingBase(id) + "." + ext;
}

bool WriteDeepListings(const DeepScope& scope, const std::string& directory, const std::string& ext,
                       const std::function<void(const std::string&)>& step, const std::function<void()>& pump) {
  bool written = true;
  for (const DeepPlace& place : scope.places) {
    if (!place.within.empty()) continue;
    if (step) step(place.title);
    written &= WriteDeepListing(place.path, scope.leftOut, DeepListingPath(directory, place.id, ext), pump).ok;
  }
  return written;
}

void RemoveOtherDeepListings(const std::string& backupDirectory, const std::string& ext,
                             const std::vector<std::string>& keep) {
  for (const DeepPlaceKind& kind : kDeepPlaceKinds) {
    bool kept = false;
    for (const std::string& id : keep) kept |= id == kind.id;
    const std::string path = DeepListingPath(backupDirectory, kind.id, ext);
    if (!kept && FileExists(path)) DeleteLeftover(path);
  }
}

}  // namespace tessary
