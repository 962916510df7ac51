#include "snapshot/registry_export.h"

#include <iterator>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text_lines.h"
#include "snapshot/backup_run.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {

const RegistryBranch kRegistryBranches[7] = {
    {"curuser", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "", "", "HKEY_CURRENT_USER", &settings::kCuruser},
    {"locmach", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", "SOFTWARE", "HKEY_LOCAL_MACHINE",
     &settings::kCLocmach},
    {"software", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE", "CLASSES", "HKEY_LOCAL_MACHINE\\SOFTWARE",
     &settings::kCSoftware},
    {"classes", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "CLSID", "HKEY_CLASSES_ROOT", &settings::kCClasses},
    {"clsid", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "CLSID", "", "HKEY_CLASSES_ROOT\\CLSID",
     &settings::kCClsid},
    {"users", HKEY_USERS, "HKEY_USERS", "", "", "HKEY_USERS", &settings::kCUsers},
    {"crconfig", HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "", "", "HKEY_CURRENT_CONFIG", &settings::kCCrConfig},
};

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
  Progress& progress;
  std::vector<std::string>* unwritable;
  std::string path;
  unsigned sincePump = 0;

  // Lists the subkeys of `key` below `path`, each line before its subtree. Every
  // child is opened once, relative to its open parent, so no path from the root is
  // ever handed to the registry (and deep paths are no problem).
  void Children(const RegKey& key, const char* leftOut) {
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
      if (++sincePump == kKeysPerPump) {
        sincePump = 0;
        progress.Pump();
      }
      RegKey child = RegKey::Open(key.get(), name);
      if (child) Children(child, nullptr);
      path.resize(mark);
    }
  }
};

bool Export(Host& host, const char* mainText, const std::string& directory, const std::string& ext, bool enabledOnly,
            ProgressCancel cancel, UnwritableKeys* unwritable) {
  std::unique_ptr<Progress> progress = host.Progresses().Open("Please wait...", cancel);
  progress->SetMainText(mainText);
  Settings settings = host.AppSettings();
  bool ok = true;
  for (std::size_t i = 0; i < std::size(kRegistryBranches); ++i) {
    const RegistryBranch& branch = kRegistryBranches[i];
    if (enabledOnly && !settings.IsYes(*branch.compareSwitch)) continue;
    progress->SetDetailText(branch.progressText);
    progress->Pump();
    // A branch whose file cannot be written is skipped; the others still are.
    ok &= WriteBranchFile(branch, directory + "\\" + branch.fileBase + "." + ext, *progress,
                          unwritable ? &(*unwritable)[i] : nullptr);
  }
  return ok;
}

}  // namespace

bool WriteBranchFile(const RegistryBranch& branch, const std::string& path, Progress& progress,
                     std::vector<std::string>* unwritable) {
  LineWriter out(path);
  if (!out.opened()) return false;
  RegKey root = (branch.subkey && *branch.subkey) ? RegKey::Open(branch.root, branch.subkey) : RegKey::Root(branch.root);
  if (root) {
    Walk walk{out, progress, unwritable, std::string(), 0};
    walk.path.reserve(512);
    walk.Children(root, branch.leftOut);
  }
  return out.Close();
}

bool ExportRegistryForBackup(Host& host, RunMode mode, const std::string& directory) {
  if (mode == RunMode::Sentinox && host.AppSettings().IsYes(settings::kCompSentinox)) return true;
  return Export(host, "Backing up Registry.", directory.empty() ? host.State().BackupDirectory : directory,
                RegistryBackupExtension(mode), false, BackupProgressCancel(mode), nullptr);
}

bool ExportRegistryForCompare(Host& host, UnwritableKeys* unwritable) {
  return Export(host, "Preparing to Compare Registry.", host.State().BackupDirectory, "TST", true, ProgressCancel::Shown,
                unwritable);
}

}  // namespace tessary
