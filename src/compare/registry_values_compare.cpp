// The "Registry values" part of the registry section: the value snapshots of each branch
// held against each other, the findings reported in three lists (ADDED to keys that
// were there before, CHANGED, DELETED), each with the action that undoes it.
#include <windows.h>

#include <new>
#include <optional>

#include "compare/logic/value_compare.h"
#include "compare/registry_compare.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/registry_values.h"
#include "uninstall/logic/action_file.h"

namespace tessary {

namespace {

struct Value {
  std::u16string name;
  ValueData data;
};

// A value of a snapshot line, decoded; nothing for a damaged line.
std::optional<Value> Decode(std::string_view name, std::string_view type, std::string_view data) {
  auto units = UnescapeUnits(name);
  const auto typeNumber = ParseValueTypeName(type);
  if (!units || !typeNumber) return std::nullopt;
  auto parsed = ParseDataField(data, *typeNumber);
  if (!parsed) return std::nullopt;
  return Value{std::move(*units), std::move(*parsed)};
}

std::string KeyOf(const std::string& prefix, std::string_view keyPath) {
  return keyPath.empty() ? prefix : prefix + "\\" + std::string(keyPath);
}

// The data as the summary words show it.
std::string SummaryData(const ValueData& data) {
  return data.whole ? SummaryValueText(data.type, data.bytes)
                    : "(" + std::to_string(data.size) + " bytes, not kept whole)";
}

InstallFinding SummaryFinding(FindingKind kind, const std::string& key, const Value& v, const std::string& action,
                              const ValueData* old = nullptr) {
  return {kind, key, "", AsciiText(v.name), SummaryData(v.data), old ? SummaryData(*old) : "", false, action};
}

// Whether the list of the system's own changes takes the value: then it is counted, not
// reported.
bool IsNoise(ValueFindings& findings, const std::string& key, const Value& v) {
  if (!findings.noise) return false;
  const NoiseRule* rule = findings.noise->MatchValue(key, DescribeValueName(v.name, AsciiText));
  if (rule) findings.leftOut.Add(*rule);
  return rule != nullptr;
}

// The old data cannot be put back: the line says so, and no action is written.
std::string Unrestorable(const ValueData& old) { return old.whole ? "" : ", not restorable"; }

}  // namespace

bool CollectValueChanges(const std::string& currentPath, const std::string& backupPath, const RegistryBranch& branch,
                         ValueFindings& findings) {
  const std::string prefix = branch.progressText;
  const std::optional<std::string> current = ReadWholeFile(currentPath);
  const std::optional<std::string> backup = current ? ReadWholeFile(backupPath) : std::nullopt;
  if (!current || !backup) return false;
  const std::optional<ValueChanges> changes = CompareValueSnapshots(*current, *backup);
  if (!changes) return false;
  for (const ValueChange& c : changes->added) {
    const auto now = Decode(c.name, c.type, c.data);
    if (!now) continue;
    const std::string key = KeyOf(prefix, c.keyPath);
    if (IsNoise(findings, key, *now)) continue;
    findings.added += key + " " + DescribeValueName(now->name, AnsiText) + " = " + DescribeValueData(now->data, AnsiText) + "\n";
    ReportFinding found;
    found.change = "added";
    found.key = key + " " + DescribeValueName(now->name, AnsiText);
    found.value = DescribeValueData(now->data, AnsiText);
    found.line = found.key + " = " + found.value;
    findings.addedFound.push_back(std::move(found));
    findings.addedActions.push_back(FormatValueRemoveAction(key, now->name, now->data));
    findings.summary.push_back(SummaryFinding(FindingKind::ValueAdded, key, *now, findings.addedActions.back()));
  }
  for (const ValueChange& c : changes->changed) {
    const auto now = Decode(c.name, c.type, c.data);
    const auto old = Decode(c.name, c.oldType, c.oldData);
    if (!now || !old) continue;
    const std::string key = KeyOf(prefix, c.keyPath);
    if (IsNoise(findings, key, *now)) continue;
    findings.changed += key + " " + DescribeValueName(now->name, AnsiText) + "\n";
    findings.changed += "FROM:  " + DescribeValueData(old->data, AnsiText) + Unrestorable(old->data) + "\n";
    findings.changed += "TO:    " + DescribeValueData(now->data, AnsiText) + "\n";
    ReportFinding found;
    found.change = "changed";
    found.key = key + " " + DescribeValueName(now->name, AnsiText);
    found.line = found.key;
    found.from = DescribeValueData(old->data, AnsiText) + Unrestorable(old->data);
    found.value = DescribeValueData(now->data, AnsiText);
    found.noAction = !old->data.whole;
    findings.changedFound.push_back(std::move(found));
    if (old->data.whole) findings.changedActions.push_back(FormatValueRestoreAction(key, old->name, old->data));
    findings.summary.push_back(SummaryFinding(FindingKind::ValueChanged, key, *now,
                                              old->data.whole ? findings.changedActions.back() : "", &old->data));
  }
  for (const ValueChange& c : changes->deleted) {
    // Not gone: no longer walked (an older backup walked it).
    if (BranchLeavesOutBelowWow(branch, c.keyPath)) continue;
    const auto old = Decode(c.name, c.type, c.data);
    if (!old) continue;
    const std::string key = KeyOf(prefix, c.keyPath);
    if (IsNoise(findings, key, *old)) continue;
    findings.deleted += key + " " + DescribeValueName(old->name, AnsiText) + " = " +
                        DescribeValueData(old->data, AnsiText) + Unrestorable(old->data) + "\n";
    ReportFinding found;
    found.change = "deleted";
    found.key = key + " " + DescribeValueName(old->name, AnsiText);
    found.value = DescribeValueData(old->data, AnsiText) + Unrestorable(old->data);
    found.line = found.key + " = " + found.value;
    found.noAction = !old->data.whole;
    findings.deletedFound.push_back(std::move(found));
    if (old->data.whole) findings.deletedActions.push_back(FormatValueRestoreAction(key, old->name, old->data));
    findings.summary.push_back(
        SummaryFinding(FindingKind::ValueDeleted, key, *old, old->data.whole ? findings.deletedActions.back() : ""));
  }
  for (const ValueChange& c : changes->inAddedKeys)
    if (const auto now = Decode(c.name, c.type, c.data))
      findings.summary.push_back(SummaryFinding(FindingKind::ValueAdded, KeyOf(prefix, c.keyPath), *now, ""));
  return true;
}

void WriteValueSection(SectionOutput& out, const ValueFindings& findings) {
  for (const std::string& note : findings.notes) out.ReportLine(note);
  out.Report("Registry values ADDED:\n- - - - -\n" + findings.added);
  out.Report("- - - - -\nRegistry values CHANGED:\n- - - - -\n" + findings.changed);
  out.Report("- - - - -\nRegistry values DELETED:\n- - - - -\n" + findings.deleted);
  out.Report("================\n");
  for (const auto* actions : {&findings.addedActions, &findings.changedActions, &findings.deletedActions})
    for (const std::string& line : *actions) out.Action(line);
}

}  // namespace tessary
