#include "compare/deep_compare.h"

#include <iterator>

#include "compare/dir_compare.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/deep_merge.h"
#include "compare/logic/dir_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/tree_walk.h"
#include "snapshot/deep_listing_file.h"
#include "snapshot/deep_places.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

std::string Join(const std::string& folder, std::string_view relative) {
  if (relative.empty()) return folder;
  return folder.back() == '\\' ? folder + std::string(relative) : folder + "\\" + std::string(relative);
}

// One place's findings, held until the merge has read the whole listing: a listing
// found damaged or cut short on the way gives none of them. They grow with what
// changed, never with the tree.
class PlaceFindings : public DeepFindings {
 public:
  PlaceFindings(CompareRun& run, const DeepPlace& place) : run_(run), place_(place) {}

  // Writes the findings under the place's heading; nothing when there are none.
  void WriteTo(SectionOutput& out) {
    if (lines_.empty()) return;
    run_.noChangesFound = false;
    out.Report("---------------\n" + place_.title + ": " + place_.path + "\n");
    for (const std::string& line : lines_) out.ReportLine(line);
    // An entry a standard section found too (a new folder directly in Program Files)
    // already has its action.
    for (const std::string& action : actions_)
      if (!out.ActionWritten(action)) out.Action(action);
    if (run_.summarize)
      run_.findings.insert(run_.findings.end(), std::make_move_iterator(found_.begin()),
                           std::make_move_iterator(found_.end()));
  }

  void Added(const DeepAdded& added) override {
    lines_.push_back(DeepAddedLine(added));
    const std::string name(LeafName(added.entry.path));
    const std::string parent = ReportDirectory(Join(place_.path, ParentPath(added.entry.path)));
    const bool folder = added.entry.IsFolder();
    const std::string action = FormatRemoveFileAction(name, folder, parent);
    const std::string full = Join(place_.path, added.entry.path);
    bool undone = false;
    if (added.entry.IsLink() || ClassifyEntryName(name, folder) != EntryNameUse::Action ||
        !ActionNamesEntry(action, parent, name, folder))
      lines_.push_back(kNoActionNote);
    else if (!UninstallCanReach(full))
      lines_.push_back(kLongPathNote);
    else
      actions_.push_back(action), undone = true;
    Found(FindingKind::EntryAdded, full, folder, undone ? action : "");
  }
  void Updated(const TreeEntry& before, const TreeEntry& now) override {
    lines_.push_back(DeepUpdatedLine(before, now));
    Found(FindingKind::EntryUpdated, Join(place_.path, now.path), now.IsFolder(), "");
  }
  void Deleted(const TreeEntry& before) override {
    lines_.push_back(DeepDeletedLine(before));
    Found(FindingKind::EntryDeleted, Join(place_.path, before.path), before.IsFolder(), "");
  }
  bool Step() override {
    if ((++steps_ & 0x3FF) != 0) return true;
    return !run_.CheckCancelled();
  }

 private:
  CompareRun& run_;
  const DeepPlace& place_;
  void Found(FindingKind kind, std::string path, bool folder, std::string action) {
    if (run_.summarize) found_.push_back({kind, std::move(path), "", "", "", "", folder, std::move(action)});
  }

  std::vector<std::string> lines_, actions_;
  std::vector<InstallFinding> found_;
  unsigned steps_ = 0;
};

}  // namespace

SectionResult CompareDeepPlaces(CompareRun& run) {
  const DeepScope scope = CurrentDeepScope(run.State(), run.AppSettings());
  run.progress.SetMainText("Comparing Deep Tracking");
  run.progress.SetDetailText("");
  if (run.CheckCancelled()) return SectionResult::Cancelled;
  {
    std::string heading = "===============\nDEEP TRACKING: today's install locations with all their subfolders\n";
    for (const DeepPlace& place : scope.places)
      heading += place.title + ": " + place.path + (place.within.empty() ? "" : "  (listed with " + place.within + ")") + "\n";
    heading += LeftOutText(scope.leftOut) + "\n";
    SectionOutput(run).Report(heading);
  }
  for (const DeepPlace& place : scope.places) {
    if (!place.within.empty()) continue;
    run.progress.SetDetailText(place.title);
    if (run.CheckCancelled()) return SectionResult::Cancelled;
    const std::string listingPath = DeepListingPath(run.State().BackupDirectory, place.id, run.backupExt);
    SectionOutput out(run);
    // Only a listing the set's record names is the set's: one an older backup left is not.
    if (!run.setFiles.Holds(listingPath)) {
      out.ReportLine("--" + place.title + " not compared: the backup holds no deep listing of it.");
      continue;
    }
    DeepListingFile listing(listingPath);
    if (!listing.opened() || listing.Bad() || !EqualsNoCase(ByLongNames(listing.header().place), place.path)) {
      out.ReportLine("--" + place.title + " not compared: " +
                     (listing.opened() && !listing.Bad() ? "the backup listed another folder, " + listing.header().place
                                                          : std::string("its deep listing cannot be read.")));
      continue;
    }
    // What the backup left out of the place stays out: a folder left out then (the
    // temporary folder of another TEMP) is no addition, and never offered for removal.
    DeepLeftOut leftOut = scope.leftOut;
    for (const std::string& folder : listing.header().leftOut) leftOut.folders.push_back(ByLongNames(folder));
    TreeWalk walk(place.path, [&](const std::string& path, std::string_view name) { return IsLeftOut(leftOut, path, name); });
    PlaceFindings findings(run, place);
    if (!MergeTrees(listing, walk, findings)) return SectionResult::Cancelled;
    if (listing.Complete())
      findings.WriteTo(out);
    else
      out.ReportLine("--" + place.title + " not compared: its deep listing cannot be read.");
  }
  return SectionResult::Done;
}

}  // namespace tessary
