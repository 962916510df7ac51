// The executor's checks of an action against its evidence and the live machine: an
// action is carried out only while the machine still holds what Compare saw, and a
// folder or key goes only with the entries or subkeys the evidence lists.
#pragma once

#include <string>
#include <vector>

#include "uninstall/logic/evidence.h"

namespace tessary {

// Every fact of the record is as the machine holds it now (GatherEvidence of its line).
bool StillAsRecorded(const EvidenceRecord& record, const std::string& windowsDirectory);

// What of the line's folder or key may go now: the recorded facts against the live ones.
TreePlan PlanFromLive(const EvidenceRecord& record, const std::string& windowsDirectory);

// Removes the entries `removable` (relative paths, deepest first, "" the folder itself)
// of `folder`: a junction or symbolic link as a link, a folder only while it is empty.
// False when one of them stayed.
bool RemoveFolderEntries(const std::string& folder, const std::vector<std::string>& removable);

// Removes the subkeys `removable` (relative paths, deepest first, "" the key itself) of
// `subkey` below the root named `root`, each only while it has no subkey left. False when
// one of them stayed.
bool RemoveKeys(const std::string& root, const std::string& subkey, const std::vector<std::string>& removable);

// A folder on the way to `path` (a full path) is a junction or symbolic link.
bool ReachedThroughLink(const std::string& path);
// The key `subkey` below the root named `root`, or a key on the way to it, is a registry
// link that is not itself a protected key (the system's own links, such as
// CurrentControlSet, are keys it needs): what the line names lies elsewhere.
bool KeyReachedThroughLink(const std::string& root, const std::string& subkey);

}  // namespace tessary
