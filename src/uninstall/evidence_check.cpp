#include "uninstall/evidence_check.h"

#include <windows.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "uninstall/evidence_live.h"
#include "uninstall/logic/protected_keys.h"

namespace tessary {

namespace {

// The facts of the record's line now, gathered as Compare gathered them.
std::vector<std::string> LiveFacts(const EvidenceRecord& record, const std::string& windowsDirectory) {
  const bool keyValues =
      std::find(record.facts.begin(), record.facts.end(), std::string(kKeyValuesFact)) != record.facts.end();
  return GatherEvidence(record.action, windowsDirectory, keyValues).facts;
}

}  // namespace

bool StillAsRecorded(const EvidenceRecord& record, const std::string& windowsDirectory) {
  return LiveFacts(record, windowsDirectory) == record.facts;
}

TreePlan PlanFromLive(const EvidenceRecord& record, const std::string& windowsDirectory) {
  return PlanTreeRemoval(FactsByPath(record.facts), FactsByPath(LiveFacts(record, windowsDirectory)));
}

bool RemoveFolderEntries(const std::string& folder, const std::vector<std::string>& removable) {
  bool all = true;
  for (const std::string& rel : removable) {
    const std::string path = rel.empty() ? folder : folder + "\\" + rel;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (IsLink(attributes)) {
      static_cast<void>(RemoveLink(path, isFolder));  // whether it went is looked at below
    } else if (isFolder) {
      // Whether it went is looked at below; a folder that stays gets its attributes back
      // as far as the system lets it.
      static_cast<void>(SetPathAttributes(path, FILE_ATTRIBUTE_NORMAL));
      if (!RemoveEmptyFolder(path)) static_cast<void>(SetPathAttributes(path, attributes));
    } else {
      static_cast<void>(SetPathAttributes(path, FILE_ATTRIBUTE_NORMAL));  // as for a folder
      static_cast<void>(DeleteToRecycleBin(path));
    }
    all = all && !PathExists(path);
  }
  return all;
}

bool RemoveKeys(const std::string& root, const std::string& subkey, const std::vector<std::string>& removable) {
  const HKEY rootKey = RootKeyNamed(root);
  if (!rootKey) return false;
  bool all = true;
  for (const std::string& rel : removable) {
    if (rel.find(kValueMark) != std::string::npos) continue;  // a value goes with its key
    const std::string path = rel.empty() ? subkey : subkey + "\\" + rel;
    const std::size_t slash = path.rfind('\\');
    const std::string parentPath = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const RegKey parent = parentPath.empty() ? RegKey::Root(rootKey) : RegKey::OpenForReading(rootKey, parentPath);
    // RegDeleteKey takes no key that still has a subkey.
    all = parent && parent.DeleteSubKey(name) && all;
  }
  return all;
}

bool ReachedThroughLink(const std::string& path) {
  // "X:\a\b\name": X:\a and X:\a\b are looked at; the entry itself may be a link (it
  // then goes as a link).
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    if (IsLink(GetFileAttributesA(path.substr(0, at).c_str()))) return true;
  return false;
}

bool KeyReachedThroughLink(const std::string& root, const std::string& subkey) {
  const HKEY rootKey = RootKeyNamed(root);
  if (!rootKey || subkey.empty()) return false;
  for (std::size_t at = subkey.find('\\');; at = subkey.find('\\', at + 1)) {
    // The system's own links are keys it needs (CurrentControlSet, the keys the 32-bit
    // view shares): passed. A link anywhere else leads where the line does not say.
    const std::string path = subkey.substr(0, at);
    if (IsRegistryLink(rootKey, path) && !IsProtectedKey(root + "\\" + path)) return true;
    if (at == std::string::npos) return false;
  }
}

}  // namespace tessary
