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
  // What the system changed by itself is named under the heading, and only counted.
  void WriteTo(SectionOutput& out) {
    if (lines_.empty() && leftOut_.total() == 0) return;
    if (!lines_.empty()) run_.noChangesFound = false;
    out.Report("---------------\n" + place_.title + ": " + place_.path + "\n");
    const std::string noise = leftOut_.total() ? "--" + leftOut_.Text("entry", "entries") : "";
    if (!noise.empty()) out.ReportLine(noise);
    for (const std::string& line : lines_) out.ReportLine(line);
    run_.OpenSection(SectionKind::Deep, place_.path);
    if (!noise.empty()) run_.Note(noise);
    run_.noiseLeftOut.Add(leftOut_.counts());
    for (ReportFinding& finding : found_) run_.Found(std::move(finding));
    for (const std::string& note : notes_) run_.Note(note);
    // An entry a standard section found too (a new folder directly in Program Files)
    // already has its action. A place that is new itself (the Windows folder's Installer
    // on a machine that never ran a package) goes with the one action a standard section
    // wrote for its folder: actions of its own entries would find nothing left to remove.
    const std::string placeAction = PlaceRemovalAction();
    const bool placeGoes = !placeAction.empty() && out.ActionWritten(placeAction);
    if (!placeGoes)
      for (const std::string& action : actions_)
        if (!out.ActionWritten(action)) out.Action(action);
    if (placeGoes)
      for (InstallFinding& finding : summary_)
        if (!finding.action.empty()) finding.action = placeAction;
    if (run_.summarize)
      run_.findings.insert(run_.findings.end(), std::make_move_iterator(summary_.begin()),
                           std::make_move_iterator(summary_.end()));
  }

  void Added(const DeepAdded& added) override {
    if (IsNoise(added.entry.path)) return;
    lines_.push_back(DeepAddedLine(added));
    Typed("added", added.entry.path, added.entry.IsFolder(), false);
    const std::string name(LeafName(added.entry.path));
    const std::string parent = ReportDirectory(Join(place_.path, ParentPath(added.entry.path)));
    const bool folder = added.entry.IsFolder();
    const std::string action = FormatRemoveFileAction(name, folder, parent);
    const std::string full = Join(place_.path, added.entry.path);
    const char* note = nullptr;
    if (added.entry.IsLink() || ClassifyEntryName(name, folder) != EntryNameUse::Action ||
        !ActionNamesEntry(action, parent, name, folder))
      note = kNoActionNote;
    else if (!UninstallCanReach(full))
      note = kLongPathNote;
    if (!note) {
      actions_.push_back(action);
    } else {
      lines_.push_back(note);
      notes_.push_back(note);
      found_.back().noAction = true;
    }
    Summarized(FindingKind::EntryAdded, full, folder, note ? "" : action);
  }
  // A change or a deletion is reported only: nothing can bring it back.
  void Updated(const TreeEntry& before, const TreeEntry& now) override {
    if (IsNoise(now.path)) return;
    lines_.push_back(DeepUpdatedLine(before, now));
    Typed("updated", now.path, false, true);
    Summarized(FindingKind::EntryUpdated, Join(place_.path, now.path), now.IsFolder(), "");
  }
  void Deleted(const TreeEntry& before) override {
    if (IsNoise(before.path)) return;
    lines_.push_back(DeepDeletedLine(before));
    Typed("deleted", before.path, before.IsFolder(), true);
    Summarized(FindingKind::EntryDeleted, Join(place_.path, before.path), before.IsFolder(), "");
  }
  bool Step() override {
    if ((++steps_ & 0x3FF) != 0) return true;
    return !run_.CheckCancelled();
  }

 private:
  // Whether the list of the system's own changes takes the entry: then it is counted.
  bool IsNoise(const std::string& relative) {
    const NoiseRule* rule = run_.noise.MatchPath(Join(place_.path, relative));
    if (rule) leftOut_.Add(*rule);
    return rule != nullptr;
  }

  // The finding of the line just added, typed.
  void Typed(const char* change, const std::string& path, bool folder, bool noAction) {
    ReportFinding finding;
    finding.change = change;
    finding.line = lines_.back();
    finding.name = path;
    finding.isDirectory = folder;
    finding.noAction = noAction;
    found_.push_back(std::move(finding));
  }

  // The action that removes the place's own folder from its parent; "" for a drive root.
  std::string PlaceRemovalAction() const {
    std::string parent(ParentPath(place_.path));
    if (parent.empty() || LeafName(place_.path).empty()) return {};
    if (parent.back() == ':') parent += '\\';
    return FormatRemoveFileAction(std::string(LeafName(place_.path)), true, ReportDirectory(parent));
  }

  CompareRun& run_;
  const DeepPlace& place_;
  void Summarized(FindingKind kind, std::string path, bool folder, std::string action) {
    if (run_.summarize) summary_.push_back({kind, std::move(path), "", "", "", "", folder, std::move(action)});
  }

  std::vector<std::string> lines_, actions_;
  std::vector<ReportFinding> found_;
  std::vector<std::string> notes_;  // the no-action lines, in order
  std::vector<InstallFinding> summary_;  // the same findings for the install summary (when it is written)
  NoiseTally leftOut_;  // the entries the noise list took
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
      run.NotComparedAt(place.title + " (" + place.path + ")", NotComparedWhy::NoBaseline);
      out.ReportLine("--" + place.title + " not compared: the backup holds no deep listing of it.");
      run.notScanned.push_back("--" + place.title + " not compared: the backup holds no deep listing of it.");
      continue;
    }
    DeepListingFile listing(listingPath);
    if (!listing.opened() || listing.Bad() || !EqualsNoCase(ByLongNames(listing.header().place), place.path)) {
      run.NotComparedAt(place.title + " (" + place.path + ")", NotComparedWhy::NoBaseline);
      const std::string line = "--" + place.title + " not compared: " +
                               (listing.opened() && !listing.Bad() ? "the backup listed another folder, " + listing.header().place
                                                                    : std::string("its deep listing cannot be read."));
      out.ReportLine(line);
      run.notScanned.push_back(line);
      continue;
    }
    // What the backup left out of the place stays out: a folder left out then (the
    // temporary folder of another TEMP) is no addition, and never offered for removal.
    DeepLeftOut leftOut = scope.leftOut;
    for (const std::string& folder : listing.header().leftOut) leftOut.folders.push_back(ByLongNames(folder));
    TreeWalk walk(place.path, [&](const std::string& path, std::string_view name) { return IsLeftOut(leftOut, path, name); });
    PlaceFindings findings(run, place);
    if (!MergeTrees(listing, walk, findings)) return SectionResult::Cancelled;
    if (listing.Complete()) {
      run.Compared(place.title + " (" + place.path + ")");
      findings.WriteTo(out);
    } else {
      run.NotComparedAt(place.title + " (" + place.path + ")", NotComparedWhy::NoBaseline);
      out.ReportLine("--" + place.title + " not compared: its deep listing cannot be read.");
      run.notScanned.push_back("--" + place.title + " not compared: its deep listing cannot be read.");
    }
  }
  return SectionResult::Done;
}

}  // namespace tessary
