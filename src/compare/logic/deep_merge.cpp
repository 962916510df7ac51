#include "compare/logic/deep_merge.h"

#include "compare/logic/dir_logic.h"
#include "snapshot/logic/deep_listing.h"

namespace tessary {

namespace {

// Passes `top` and everything below it; counts the files and their bytes.
bool PassSubtree(TreeSource& source, DeepFindings& findings, DeepAdded* counts) {
  const std::string key = source.Peek()->key;
  const bool folder = source.Peek()->IsFolder();
  if (counts && !folder) {
    counts->files = 1;
    counts->bytes = source.Peek()->size;
  }
  source.Pop();
  if (!findings.Step()) return false;
  if (!folder) return true;
  for (const TreeEntry* e = source.Peek(); e && IsBelow(e->key, key); e = source.Peek()) {
    if (counts && !e->IsFolder()) {
      ++counts->files;
      counts->bytes += e->size;
    }
    source.Pop();
    if (!findings.Step()) return false;
  }
  return true;
}

std::string Bytes(std::uint64_t bytes) { return GroupDigits(bytes) + (bytes == 1 ? " byte" : " bytes"); }

}  // namespace

bool MergeTrees(TreeSource& before, TreeSource& now, DeepFindings& findings) {
  for (;;) {
    const TreeEntry* b = before.Peek();
    const TreeEntry* n = now.Peek();
    if (!b && !n) return true;
    if (n && (!b || n->key < b->key)) {
      DeepAdded added{*n};
      if (!PassSubtree(now, findings, &added)) return false;
      findings.Added(added);
    } else if (b && (!n || b->key < n->key)) {
      const TreeEntry gone = *b;
      if (!PassSubtree(before, findings, nullptr)) return false;
      findings.Deleted(gone);
    } else if (b->IsFolder() != n->IsFolder()) {
      const TreeEntry gone = *b;
      if (!PassSubtree(before, findings, nullptr)) return false;
      findings.Deleted(gone);
      DeepAdded added{*now.Peek()};
      if (!PassSubtree(now, findings, &added)) return false;
      findings.Added(added);
    } else {
      if (!b->IsFolder() && (b->size != n->size || b->writeTime != n->writeTime)) findings.Updated(*b, *n);
      before.Pop();
      now.Pop();
      if (!findings.Step()) return false;
    }
  }
}

std::string DeepAddedLine(const DeepAdded& added) {
  std::string line = "ADDED  : " + added.entry.path;
  if (added.entry.IsFolder())
    return line + "  (DIR)  " + GroupDigits(added.files) + (added.files == 1 ? " file, " : " files, ") +
           Bytes(added.bytes);
  return line + "  " + Bytes(added.entry.size);
}

std::string DeepUpdatedLine(const TreeEntry& before, const TreeEntry& now) {
  return "UPDATED: " + now.path + "  OLD: " + Bytes(before.size) + " " + FormatFileTime(before.writeTime) +
         " UTC  NEW: " + Bytes(now.size) + " " + FormatFileTime(now.writeTime) + " UTC";
}

std::string DeepDeletedLine(const TreeEntry& before) {
  return "DELETED: " + before.path + (before.IsFolder() ? "  (DIR)" : "");
}

}  // namespace tessary
