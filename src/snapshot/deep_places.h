// The deep places of this machine, found through the system's folder functions, and
// the deep listings of a backup: one listing per listed place in the backup set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/host.h"
#include "snapshot/logic/deep_places.h"

namespace tessary {

// `path` by its long names (GetLongPathName), as a walk of the tree gives its entries'
// paths, without a trailing backslash: a temporary folder given as "C:\PROGRA~1\Temp"
// is then the folder the walk meets as "C:\Program Files\Temp". As given when the
// system cannot say (a folder that does not exist), and in its own letter case when it
// is its long form already.
std::string ByLongNames(const std::string& path);

// Every place of kDeepPlaceKinds with its path on this machine (empty when the system has
// none: no 32-bit System folder on a 32-bit system), the user directories from the
// settings, each by its long names, folded (FoldPlaces).
std::vector<DeepPlace> FindDeepPlaces(const Settings& settings);

// The left-out folders of this machine: the temporary folders, each fixed drive's
// recycle bin, the backup directory, the caches below the user's AppData; each by its
// long names.
DeepLeftOut FindDeepLeftOut(const AppState& state);

// The places and the left-out list a run uses: this machine's, unless a test has put
// others in their place (SetDeepPlacesForTests).
struct DeepScope {
  std::vector<DeepPlace> places;
  DeepLeftOut leftOut;
};
DeepScope CurrentDeepScope(const AppState& state, const Settings& settings);
// Test code only: the scope every run takes instead of this machine's; {} to go back.
void SetDeepPlacesForTests(std::function<DeepScope()> scope);

// A folder the shell knows by its CSIDL, as it is (not created); empty when there is none.
// The deep places and the install summary's known folders are found through it.
std::string KnownFolder(int csidl);

// Whether deep tracking is on: the process forces it (a command line's --deep) or the
// settings file switches it on.
bool DeepTrackingOn(const AppState& state, const Settings& settings);

// The path of place `id`'s listing in `directory` for the backup set of extension `ext`.
std::string DeepListingPath(const std::string& directory, const std::string& id, const std::string& ext);

// Writes the deep listing of every listed place into `directory` (the backup's stage).
// `step` shows each place's title as it starts; `pump` runs while a place is walked.
// Folders that cannot be read (access denied) are missing from the listing, as they are
// from Compare's walk: they cannot be tracked and fail nothing. False when a listing
// could not be written whole.
bool WriteDeepListings(const DeepScope& scope, const std::string& directory, const std::string& ext,
                       const std::function<void(const std::string&)>& step, const std::function<void()>& pump);

// Removes the deep listings of set `ext` in `backupDirectory` that `keep` does not name
// (by place id): a backup without deep tracking, or with fewer places, leaves none
// of an older backup for Compare to take as its own.
void RemoveOtherDeepListings(const std::string& backupDirectory, const std::string& ext,
                             const std::vector<std::string>& keep);

}  // namespace tessary
