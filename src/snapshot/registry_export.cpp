#include "snapshot/registry_export.h"

#include <iterator>
#include <memory>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text_lines.h"
#include "snapshot/backup_run.h"
#include "snapshot/logic/backup_names.h"
#include "snapshot/logic/value_snapshot.h"

namespace tessary {

const RegistryBranch kRegistryBranches[7] = {
    {"curuser", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "", "", "HKEY_CURRENT_USER", &settings::kCuruser},
    {"locmach", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", "SOFTWARE", "HKEY_LOCAL_MACHINE",
     &settings::kCLocmach},
    {"software", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE", "CLASSES", "HKEY_LOCAL_MACHINE\\SOFTWARE",
     &settings::kCSoftware, "CLASSES"},
    {"classes", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "CLSID", "HKEY_CLASSES_ROOT", &settings::kCClasses},
    {"clsid", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "CLSID", "", "HKEY_CLASSES_ROOT\\CLSID",
     &settings::kCClsid},
    {"users", HKEY_USERS, "HKEY_USERS", "", "", "HKEY_USERS", &settings::kCUsers},
    {"crconfig", HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "", "", "HKEY_CURRENT_CONFIG", &settings::kCCrConfig},
};

const RegistryBranch kValuesBranches[3] = {
    {"services", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services", "",
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services", &settings::kCLocmach},
    {"sysenv", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
     "", "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", &settings::kCLocmach},
    {"userenv", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Environment", "", "HKEY_CURRENT_USER\\Environment",
     &settings::kCuruser},
};

const RegistryBranch& BranchAt(std::size_t i) {
  return i < std::size(kRegistryBranches) ? kRegistryBranches[i] : kValuesBranches[i - std::size(kRegistryBranches)];
}

bool BranchLeavesOutBelowWow(const RegistryBranch& branch, std::string_view keyPath) {
  constexpr std::string_view kWow = "Wow6432Node\\";
  const std::string_view name = branch.leftOutBelowWow;
  if (name.empty() || !StartsWithNoCase(keyPath, kWow)) return false;
  const std::string_view rest = keyPath.substr(kWow.size());
  return StartsWithNoCase(rest, name) && (rest.size() == name.size() || rest[name.size()] == '\\');
}

bool RecordsValues(const Settings& settings, ValuesSwitch values) {
  if (values != ValuesSwitch::FromSettings) return values == ValuesSwitch::On;
  return settings.IsYes(settings::kRecordValues);
}

bool BranchSwitchOn(const AppState& state, const Settings& settings, const RegistryBranch& branch) {
  if (!state.RegistryBranchesForced) return settings.IsYes(*branch.compareSwitch);
  for (std::size_t i = 0; i < std::size(kRegistryBranches); ++i)
    if (kRegistryBranches[i].compareSwitch == branch.compareSwitch) return (*state.RegistryBranchesForced >> i) & 1u;
  return false;
}

namespace {

// The branch file: lines gathered in a buffer and written in large pieces, each write
// checked.
class LineWriter {
 public:
  explicit LineWriter(const std::string& path) : file_(path, OutputFile::Mode::Create) { buffer_.reserve(kChunk + 512); }
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;
  bool opened() const { return file_.is_open(); }
  void Line(const std::string& text) {
    buffer_ += text;
    buffer_ += "\r\n";
    if (buffer_.size() >= kChunk) Flush();
  }
  // Writes what is left and closes the file; false when anything failed.
  bool Close() {
    Flush();
    return file_.Close();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  void Flush() {
    if (!buffer_.empty()) file_.Write(buffer_);
    buffer_.clear();
  }
  OutputFile file_;
  std::string buffer_;
};

// The walk lets waiting messages through every so many keys: often enough for the
// progress dialog to repaint, rarely enough not to slow the walk itself.
constexpr unsigned kKeysPerPump = 64;

struct Walk {
  LineWriter& out;
  LineWriter* values;  // the value snapshot, when values are recorded
  Progress& progress;
  std::vector<std::string>* unwritable;
  std::string path;
  unsigned sincePump = 0;
  RegValue value;    // read buffers, kept from key to key
  std::string line;  // a value line being made

  // The values of `key`, in the registry's order, one line each.
  void Values(const RegKey& key) {
    for (DWORD index = 0; key.EnumValue(index, value) == RegKey::Enum::Ok; ++index) {
      line.clear();
      AppendValueLine(line, value.name(), value.type(), value.data());
      values->Line(line);
    }
  }

  // Lists the subkeys of `key` below `path`, each line before its subtree. Every
  // child is opened once, relative to its open parent, so no path from the root is
  // ever handed to the registry (and deep paths are no problem).
  // `leftOut` is a name left out among the children, `leftOutBelowWow` one left out
  // among the children of the child named WOW6432Node.
  void Children(const RegKey& key, const char* leftOut, const char* leftOutBelowWow = nullptr) {
    std::string name;
    for (DWORD index = 0; key.EnumKey(index, name) == RegKey::Enum::Ok; ++index) {
      if (leftOut && *leftOut && EqualsNoCase(name, leftOut)) continue;
      const std::size_t mark = path.size();
      if (!path.empty()) path += '\\';
      path += name;
      if (HoldsControlCharacter(name)) {
        // One line cannot carry this name: read back, its pieces would name other
        // keys. The key and its subtree stay out of the snapshot.
        if (unwritable) unwritable->push_back(path);
        path.resize(mark);
        continue;
      }
      out.Line(path);
      if (values) values->Line(path);
      if (++sincePump == kKeysPerPump) {
        sincePump = 0;
        progress.Pump();
      }
      RegKey child = RegKey::Open(key.get(), name);
      if (!child) {
        path.resize(mark);
        continue;
      }
      if (values) Values(child);
      Children(child, leftOutBelowWow && *leftOutBelowWow && EqualsNoCase(name, "Wow6432Node") ? leftOutBelowWow : nullptr);
      path.resize(mark);
    }
  }
};

bool Export(EngineHost& host, const char* mainText, const std::string& directory, const std::string& ext, bool enabledOnly,
            ProgressCancel cancel, UnwritableKeys* unwritable, ValuesSwitch valuesSwitch) {
  std::unique_ptr<Progress> progress = host.Progresses().Open("Please wait...", cancel);
  progress->SetMainText(mainText);
  Settings settings = host.AppSettings();
  const bool values = RecordsValues(settings, valuesSwitch);
  bool ok = true;
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    const bool valuesBranch = i >= std::size(kRegistryBranches);
    const std::string keysPath = directory + "\\" + branch.fileBase + "." + ext;
    const std::string valuesPath = directory + "\\" + ValueSnapshotBase(branch.fileBase) + "." + ext;
    if (!values && valuesBranch) continue;
    // Compare: the enabled branches, and a value branch only while the branch that holds
    // it is off (when it is on, that branch's own walk records it).
    if (enabledOnly) {
      const bool switchOn = BranchSwitchOn(host.State(), settings, branch);
      if (valuesBranch ? switchOn : !switchOn) continue;
    }
    progress->SetDetailText(branch.progressText);
    progress->Pump();
    // A branch whose file cannot be written is skipped; the others still are.
    ok &= WriteBranchFile(branch, keysPath, *progress, unwritable ? &(*unwritable)[i] : nullptr,
                          values ? valuesPath : std::string());
  }
  return ok;
}

}  // namespace

bool WriteBranchFile(const RegistryBranch& branch, const std::string& path, Progress& progress,
                     std::vector<std::string>* unwritable, const std::string& valuesPath) {
  LineWriter out(path);
  if (!out.opened()) return false;
  std::unique_ptr<LineWriter> values;
  if (!valuesPath.empty()) {
    values = std::make_unique<LineWriter>(valuesPath);
    if (!values->opened()) return false;
    values->Line(std::string(kValueSnapshotSignature));
  }
  RegKey root = (branch.subkey && *branch.subkey) ? RegKey::Open(branch.root, branch.subkey) : RegKey::Root(branch.root);
  if (root) {
    Walk walk{out, values.get(), progress, unwritable, std::string(), 0, RegValue(), std::string()};
    walk.path.reserve(512);
    if (values) walk.Values(root);
    walk.Children(root, branch.leftOut, branch.leftOutBelowWow);
  }
  const bool valuesOk = !values || values->Close();
  return out.Close() && valuesOk;
}

bool ExportRegistryForBackup(EngineHost& host, RunMode mode, const std::string& directory, ValuesSwitch values) {
  if (mode == RunMode::Sentinox && host.AppSettings().IsYes(settings::kCompSentinox)) return true;
  return Export(host, "Backing up Registry.", directory.empty() ? host.State().BackupDirectory : directory,
                RegistryBackupExtension(mode), false, BackupProgressCancel(mode), nullptr, values);
}

bool ExportRegistryForCompare(EngineHost& host, UnwritableKeys* unwritable, ValuesSwitch values) {
  return Export(host, "Preparing to Compare Registry.", host.State().BackupDirectory, "TST", true, ProgressCancel::Shown,
                unwritable, values);
}

void DeleteValueSnapshots(const std::string& directory, const std::string& ext) {
  for (std::size_t i = 0; i < kAllBranchCount; ++i) {
    const RegistryBranch& branch = BranchAt(i);
    if (i >= std::size(kRegistryBranches)) DeleteLeftover(directory + "\\" + branch.fileBase + "." + ext);
    DeleteLeftover(directory + "\\" + ValueSnapshotBase(branch.fileBase) + "." + ext);
  }
}

}  // namespace tessary
