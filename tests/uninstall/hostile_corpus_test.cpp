// A corpus of hostile and ambiguous action lines, loaded as the Uninstall Actions dialog
// loads a file and run with every entry selected and verify off. The machine (the files
// of drive C: and the registry keys the corpus names) may change only where a line
// plainly and legitimately points.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "testbed.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/list_dlg.h"
#include "uninstall/list_ids.h"
#include "uninstall/logic/uninstall_logic.h"
#include "uninstall/uninstall_run.h"
#include "window_probe.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// Answers as a user who wants everything done: Yes to the run and to every tree, No to
// viewing the log, OK to every message. Records every box.
class YesToAllPrompter : public Prompter {
 public:
  int Ask(const MessageBoxRequest& r) override {
    boxes.push_back(r);
    if (r.caption == "No verify uninstall") return id::kYes;
    if (r.text.rfind("This directory, all its files", 0) == 0) return id::kYes;
    if (r.caption == "Uninstall Complete") return id::kNo;
    return id::kOk;
  }
  void Beep(unsigned) override {}
  int Count(const std::string& textOrCaption) const {
    return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](const MessageBoxRequest& r) {
      return r.caption == textOrCaption || r.text == textOrCaption;
    }));
  }
  std::vector<MessageBoxRequest> boxes;
};

class CorpusHost : public test::FakeHost {
 public:
  Prompter& Prompts() override { return yes; }
  YesToAllPrompter yes;
};

// Places of drive C: that change by themselves while a test runs, left out of the
// listing: the temporary folders (the system's and the user's) and Wine's own.
bool IsNoisy(const std::string& upperPath) {
  static const std::vector<std::string> noisy = [] {
    std::vector<std::string> places{ToUpperAscii(WindowsDirectory() + "\\TEMP"), ToUpperAscii(TempDirectory())};
    for (std::string& p : places)
      if (!p.empty() && p.back() == '\\') p.pop_back();
    return places;
  }();
  for (const std::string& place : noisy)
    if (!place.empty() && upperPath.compare(0, place.size(), place) == 0 &&
        (upperPath.size() == place.size() || upperPath[place.size()] == '\\'))
      return true;
  return false;
}

// Every file and folder below root: the upper-cased path, with attributes, and for files
// the size and last-write time. A folder's own time is left out (it moves whenever an
// entry comes or goes, and the entries are listed themselves).
void ListTree(const std::string& root, std::map<std::string, std::string>& out) {
  DirSearch search(root + "\\*");
  FindEntry e;
  while (search.Next(e)) {
    if (e.name == "." || e.name == "..") continue;
    const std::string path = root + "\\" + e.name;
    const std::string key = ToUpperAscii(path);
    if (IsNoisy(key)) continue;
    const bool folder = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string facts = std::to_string(e.attributes);
    if (!folder)
      facts += " " + std::to_string(e.size) + " " + std::to_string(e.lastWrite.dwHighDateTime) + ":" +
               std::to_string(e.lastWrite.dwLowDateTime);
    out[key] = facts;
    if (folder && !(e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListTree(path, out);
  }
}

// A key and everything below it: each key path with its number of values.
void ListKey(HKEY root, const std::string& path, std::map<std::string, std::string>& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 0, values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  out[ToUpperAscii(path)] = std::to_string(values);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(key);
  for (const std::string& n : names) ListKey(root, path + "\\" + n, out);
}

// A key the corpus names that is too large to list in full: that it is there, with its
// numbers of subkeys and values.
std::string KeyFacts(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "missing";
  DWORD subkeys = 0, values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  return std::to_string(subkeys) + "/" + std::to_string(values);
}

std::vector<std::string> Difference(const std::map<std::string, std::string>& before,
                                    const std::map<std::string, std::string>& after) {
  std::vector<std::string> changed;
  for (const auto& [path, facts] : before) {
    auto it = after.find(path);
    if (it == after.end()) changed.push_back("removed " + path);
    else if (it->second != facts) changed.push_back("changed " + path);
  }
  for (const auto& [path, facts] : after)
    if (!before.count(path)) changed.push_back("added " + path);
  return changed;
}

class HostileCorpus : public ::testing::Test {
 protected:
  HostileCorpus() {
    backup = dir.MakeDir("BACKUP");
    win = dir.MakeDir("WIN");
    host.state.WindowsDirectory = win;
    host.state.BackupDirectory = backup;
    host.state.SettingsFilePath = dir / "tessary.ini";
    actionFile = backup + "\\CORPUS.tsu";
    env.windowsDirectory = win;
    env.scanRoots = [] { return std::vector<std::string>{}; };
    env.askDll = [this](const std::string& path) {
      dllAsked.push_back(ToUpperAscii(path));
      return id::kYes;
    };
  }

  test::TempDir dir;
  std::string actionFile;  // the file the Uninstall Actions dialog loaded
  test::TempRegKey reg;
  CorpusHost host;
  UninstallEnvironment env;
  std::string backup, win;
  std::vector<std::string> dllAsked;
};

TEST_F(HostileCorpus, ChangesOnlyWhatALinePlainlyNames) {
  const std::string d = dir.path();
  const std::string windows = WindowsDirectory();
  const std::string profile = std::string(getenv("USERPROFILE") ? getenv("USERPROFILE") : "C:\\users\\root");
  char shortName[MAX_PATH] = {};
  GetShortPathNameA("C:\\Program Files", shortName, MAX_PATH);
  const std::string parent = d.substr(0, d.rfind('\\'));
  const std::string self = d.substr(parent.size() + 1);
  const std::string k = "HKEY_CURRENT_USER\\" + reg.path();

  // The machine as an installer left it: what it added, and what was there before.
  dir.MakeDir("NEWAPP\\SUB");
  WriteBytes(d + "\\NEWAPP\\SUB\\f.txt", "x");
  WriteBytes(d + "\\NEWAPP\\app.exe", "x");
  dir.MakeDir("ODD\\IN");
  test::SetAttributes(d + "\\ODD", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  WriteBytes(d + "\\NEW.TXT", "x");
  WriteBytes(d + "\\NEWLIB.DLL", "x");
  dir.MakeDir("VICTIM\\SUB");
  WriteBytes(d + "\\VICTIM\\KEEP.TXT", "x");
  dir.MakeDir("KEEP");
  WriteBytes(d + "\\KEEP\\in.txt", "x");
  WriteBytes(d + "\\KEEP  (DIR)", "a file named like the folder");
  WriteBytes(d + "\\PLAIN", "x");
  dir.MakeDir("FOLDER");
  WriteBytes(d + "\\FOLDER\\in.txt", "x");
  WriteBytes(win + "\\win.ini", "[Corpus]\r\nMode=new\r\nNewKey=1\r\n[boot]\r\nshell=keep.exe\r\n");
  WriteBytes(win + "\\system.ini", "[boot]\r\nshell=progman.exe\r\n[386Enh]\r\ndevice=OLD.386\r\n");
  WriteBytes(win + "\\protocol.ini", "[NetTrans]\r\nLana=0\r\n");
  WriteBytes(dir / "tessary.ini", "[uninstall]\r\nVerifyAllUninstall=yes\r\n");
  reg.Create("NEWAPP\\SUB");
  reg.Create("KEEP\\SUB");

  // Each line with what it must come to: a log prefix, or "" for an integrity error. The
  // file is written by hand, so it is unsealed: removals are asked about one by one (and
  // answered Yes here), nothing is written, nothing inside a protected folder or below a
  // protected key is touched.
  const std::string kIntegrity = "", kDone = "DONE:", kProtected = "NOT DONE(Protected):",
                    kUnsealed = "NOT DONE(Unsealed file):";
  const std::string windowsUpper = ToUpperAscii(windows);
  auto protectedIfThere = [&](const std::string& path) {
    return PathExists(path) ? kProtected : std::string("NOT DONE(File not found):");
  };
  const std::string runKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string ntKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  const std::vector<std::pair<std::string, std::string>> corpus = {
      // What an installer added, and what the lines plainly name.
      {"REMOVEFILE:NEWAPP  (DIR)>FROM:" + d, kDone},
      {"REMOVEFILE:ODD  (DIR)>FROM:" + d, kDone},
      {"REMOVEFILE:NEW.TXT>FROM:" + d, kDone},
      {"REMOVEFILE:NEWLIB.DLL>FROM:" + d, kDone},
      {"ADD:Restored=copy a>b >nul>TO:WIN.INI[Corpus]", kUnsealed},
      {"REMOVE:NewKey=1>FROM:WIN.INI[Corpus]", kDone},
      {"CHANGE:Mode=new>TO:old>IN:WIN.INI[Corpus]", kUnsealed},
      {"ADD:device=EVIL.386>TO:WIN.INI[386Enh]", kUnsealed},
      {"REMOVE:shell=progman.exe>FROM:SYSTEM.INI[boot]]", kDone},  // the section "boot]", not "boot"
      {"REG_DAT_REMOVE:" + k + "\\NEWAPP>FROM:REG.DAT", kProtected},  // below HKEY_CURRENT_USER\Software
      // Start-up and hijack places written by value lines: an unsealed file writes nothing.
      {"REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_LOCAL_MACHINE" + runKey, kUnsealed},
      {"REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_CURRENT_USER" + runKey, kUnsealed},
      {"REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_LOCAL_MACHINE" + runKey + "Once", kUnsealed},
      {"REG_VALUE_RESTORE:Debugger>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:" + ntKey +
           "\\Image File Execution Options\\notepad.exe",
       kUnsealed},
      {"REG_VALUE_RESTORE:ImagePath>TYPE:REG_EXPAND_SZ>SIZE:10>DATA:\"evil>IN:HKEY_LOCAL_MACHINE\\SYSTEM\\"
       "CurrentControlSet\\Services\\TessaryEvil",
       kUnsealed},
      {"REG_VALUE_RESTORE:Start>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_LOCAL_MACHINE\\SYSTEM\\"
       "CurrentControlSet\\Services\\TessaryEvil",
       kUnsealed},
      {"REG_VALUE_RESTORE:AppInit_DLLs>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:" + ntKey + "\\Windows", kUnsealed},
      {"REG_VALUE_RESTORE:Shell>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:" + ntKey + "\\Winlogon", kUnsealed},
      {"REG_VALUE_RESTORE:>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command",
       kUnsealed},
      {"REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_LOCAL_MACHINE\\SAM\\TessaryEvil", kUnsealed},
      {"REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:10>DATA:\"evil>IN:HKEY_LOCAL_MACHINE", kUnsealed},
      // The system's PATH named with other data: below a protected key, never removed.
      {"REG_VALUE_REMOVE:PATH>TYPE:REG_SZ>SIZE:4>DATA:\"x>FROM:HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\"
       "Control\\Session Manager\\Environment",
       kProtected},
      // Keys below the protected ones, however reached.
      {"REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager>FROM:REG.DAT",
       kProtected},
      {"REG_DAT_REMOVE:HKEY_CLASSES_ROOT\\exefile>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:" + ntKey + "\\Winlogon>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:" + ntKey + "\\Image File Execution Options>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_CURRENT_CONFIG\\Software>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\Software>FROM:"
       "REG.DAT",
       kProtected},
      // What lies inside the folders Windows needs.
      {"REMOVEFILE:DRIVERS  (DIR)>FROM:" + SystemDirectory(), protectedIfThere(SystemDirectory() + "\\drivers")},
      {"REMOVEFILE:CONFIG  (DIR)>FROM:" + SystemDirectory(), protectedIfThere(SystemDirectory() + "\\config")},
      {"REMOVEFILE:ARIAL.TTF>FROM:" + windows + "\\Fonts", protectedIfThere(windows + "\\Fonts\\arial.ttf")},
      {"REMOVEFILE:REGEDIT.EXE>FROM:" + windows, protectedIfThere(windows + "\\regedit.exe")},
      // Names the platform would trim, climb or read otherwise.
      {"REMOVEFILE:VICTIM.  (DIR)>FROM:" + d, kIntegrity},
      {"REMOVEFILE:VICTIM   (DIR)>FROM:" + d, kIntegrity},
      {"REMOVEFILE:VICTIM . .  (DIR)>FROM:" + d, kIntegrity},
      {"REMOVEFILE:  (DIR)>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:.  (DIR)>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:..  (DIR)>FROM:" + d + "\\VICTIM\\SUB", kIntegrity},
      {"REMOVEFILE:..\\VICTIM  (DIR)>FROM:" + d + "\\FOLDER", kIntegrity},
      {"REMOVEFILE:VICTIM\\KEEP.TXT>FROM:" + d, kIntegrity},
      {"REMOVEFILE:VICTIM/KEEP.TXT>FROM:" + d, kIntegrity},
      {"REMOVEFILE:KEEP.TXT>FROM:" + d + "\\FOLDER\\..\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP.TXT>FROM:" + d + "\\VICTIM.", kIntegrity},
      {"REMOVEFILE:KEEP.TXT>FROM:" + d + "\\VICTIM\\", kIntegrity},
      {"REMOVEFILE:KEEP.TXT>FROM:" + d + "\\\\VICTIM", kIntegrity},
      {"REMOVEFILE:*.*>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP.TX?>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP.TXT:$DATA>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP\".TXT>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP\t.TXT>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:NUL>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:CON.TXT>FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:" + std::string(240, 'L') + ">FROM:" + d + "\\VICTIM", kIntegrity},
      {"REMOVEFILE:KEEP.TXT>FROM:" + d.substr(0, 2) + d.substr(3) + "\\VICTIM", kIntegrity},  // "C:tessary-..."
      {"REMOVEFILE:KEEP.TXT>FROM:" + d.substr(2) + "\\VICTIM", kIntegrity},                   // "\tessary-..."
      {"REMOVEFILE:KEEP.TXT>FROM:VICTIM", kIntegrity},
      // Other machines, raw and device paths: refused before any call could reach them.
      {"REMOVEFILE:VICTIM  (DIR)>FROM:\\\\LOCALHOST\\C$" + d.substr(2), kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>FROM:\\\\SERVER.INVALID\\SHARE", kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>FROM:\\\\?\\" + d, kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>FROM:\\\\.\\" + d, kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>FROM://LOCALHOST/C$" + d.substr(2), kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>FROM:C:/" + d.substr(3), kIntegrity},
      {"REMOVEFILE:VICTIM  (DIR)>TO:" + d, kIntegrity},
      {"REMOVEFILE:  (DIR)>FROM:C:\\", kIntegrity},
      // Folders Windows or Tessary needs, and folders that hold one.
      {"REMOVEFILE:" + windows.substr(3) + "  (DIR)>FROM:C:\\", kProtected},
      {"REMOVEFILE:SYSTEM32  (DIR)>FROM:" + windows, kProtected},
      {"REMOVEFILE:PROGRAM FILES  (DIR)>FROM:C:\\", kProtected},
      {"REMOVEFILE:" + std::string(shortName).substr(3) + "  (DIR)>FROM:C:\\", kProtected},
      {"REMOVEFILE:PROGRAMDATA  (DIR)>FROM:C:\\", kProtected},
      {"REMOVEFILE:USERS  (DIR)>FROM:C:\\", kProtected},
      {"REMOVEFILE:DESKTOP  (DIR)>FROM:" + profile, kProtected},
      {"REMOVEFILE:APPDATA  (DIR)>FROM:" + profile, kProtected},
      {"REMOVEFILE:BACKUP  (DIR)>FROM:" + d, kProtected},
      {"REMOVEFILE:" + self + "  (DIR)>FROM:" + parent, kProtected},
      // "(DIR)" tricks: a file named like a folder, a folder named in a file line.
      {"REMOVEFILE:KEEP  (DIR)>FROM:" + d, "NOT DONE(Ambiguous name):"},
      {"REMOVEFILE:PLAIN  (DIR)>FROM:" + d, "NOT DONE(Not a directory):"},
      {"REMOVEFILE:FOLDER>FROM:" + d, "NOT DONE(Not a file):"},
      {"REMOVEFILE:FOLDER(DIR)>FROM:" + d, "NOT DONE(File not found):"},
      {"REMOVEFILE:FOLDER  (DIR)  (DIR)>FROM:" + d, "NOT DONE(File not found):"},
      // INI files other than the three, and targets hidden behind a good one.
      {"ADD:X=1>TO:..\\OUTSIDE.INI[S]", kIntegrity},
      {"ADD:VerifyAllUninstall=no>TO:TESSARY.INI[uninstall]", kIntegrity},
      {"REMOVE:VerifyAllUninstall=yes>FROM:..\\TESSARY.INI[uninstall]", kIntegrity},
      {"CHANGE:PATH=X>TO:Y>IN:..\\..\\AUTOEXEC.BAT[S]", kIntegrity},
      {"ADD:X=1>TO:" + win + "\\WIN.INI[S]", kIntegrity},
      {"ADD:shell=evil.exe>TO:SYSTEM.INI.[boot]", kIntegrity},
      {"ADD:X=1>TO:WIN.INI[S]>TO:TESSARY.INI[uninstall]", kIntegrity},
      {"ADD:X=1>TO:WIN.INI", kIntegrity},
      {"ADD:=1>TO:WIN.INI[S]", kIntegrity},
      // Keys Windows needs, however spelled; empty names; unknown roots.
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_USERS\\.DEFAULT>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall>FROM:"
       "REG.DAT",
       kProtected},
      {"REG_DAT_REMOVE:HKEY_CLASSES_ROOT\\CLSID>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER\\Control Panel>FROM:REG.DAT", kProtected},
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\>FROM:REG.DAT", kIntegrity},
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER\\\\Software>FROM:REG.DAT", kIntegrity},
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER>FROM:REG.DAT", kIntegrity},
      {"REG_DAT_REMOVE:" + k + "\\KEEP\\>FROM:REG.DAT", kIntegrity},
      {"REG_DAT_REMOVE:" + k + "\\\\KEEP>FROM:REG.DAT", kIntegrity},
      {"REG_DAT_REMOVE:HKEY_NOWHERE\\Software>FROM:REG.DAT", kIntegrity},
  };
  std::string file;
  for (const auto& [line, outcome] : corpus) file += line + "\r\n";
  WriteBytes(actionFile, file);

  // Load as the dialog does; the list box sorts its entries; select all, verify off.
  const ActionEntries loaded = LoadActionEntries(ReadBytes(actionFile));
  ASSERT_EQ(loaded.entries.size(), corpus.size());
  std::vector<std::size_t> order(loaded.entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return lstrcmpiA(loaded.entries[a].c_str(), loaded.entries[b].c_str()) < 0;
  });
  UninstallSelection sel;
  sel.actionFile = actionFile;
  std::map<std::string, std::string> expectedOutcome;
  for (std::size_t i : order) {
    sel.entries.push_back(loaded.entries[i]);
    sel.originals.push_back(loaded.originals[i]);
    expectedOutcome[loaded.entries[i]] = corpus[i].second;
  }
  sel.selected.assign(sel.entries.size(), true);
  sel.verifyBox = false;
  sel.dllCheckBox = true;
  sel.dllLinesPresent = loaded.dllLinesPresent;

  const auto started = std::chrono::steady_clock::now();
  std::map<std::string, std::string> filesBefore, filesAfter, keysBefore, keysAfter;
  ListTree("C:", filesBefore);
  ListKey(HKEY_CURRENT_USER, reg.path(), keysBefore);
  const std::vector<std::pair<HKEY, std::string>> bigKeys = {
      {HKEY_CURRENT_USER, "Software"},
      {HKEY_CURRENT_USER, "Control Panel"},
      {HKEY_USERS, ".DEFAULT"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
      {HKEY_CLASSES_ROOT, "CLSID"},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services"}};
  std::vector<std::string> bigBefore;
  for (const auto& [root, path] : bigKeys) bigBefore.push_back(KeyFacts(root, path));
  // The start-up places and the keys the value lines name: no value and no key comes or goes.
  const std::vector<std::pair<HKEY, std::string>> startKeys = {
      {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows"},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\TessaryEvil"},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager"},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"},
      {HKEY_CLASSES_ROOT, "exefile"},
      {HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command"},
      {HKEY_LOCAL_MACHINE, "SAM\\TessaryEvil"},
      {HKEY_LOCAL_MACHINE, ""},
      {HKEY_CURRENT_CONFIG, "Software"}};
  std::vector<std::string> startBefore;
  for (const auto& [root, path] : startKeys) startBefore.push_back(KeyFacts(root, path));
  const auto path = [] {
    RegValue v;
    const RegKey env = RegKey::OpenForReading(HKEY_LOCAL_MACHINE,
                                              "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    return env && env.QueryValue(u"PATH", v) ? std::to_string(v.type()) + ":" + std::string(v.data()) : "none";
  };
  const std::string pathBefore = path();

  EXPECT_EQ(RunUninstall(host, sel, env).outcome, RunOutcome::CloseOk);

  ListTree("C:", filesAfter);
  ListKey(HKEY_CURRENT_USER, reg.path(), keysAfter);
  for (std::size_t i = 0; i < bigKeys.size(); ++i)
    EXPECT_EQ(KeyFacts(bigKeys[i].first, bigKeys[i].second), bigBefore[i]) << bigKeys[i].second;
  for (std::size_t i = 0; i < startKeys.size(); ++i)
    EXPECT_EQ(KeyFacts(startKeys[i].first, startKeys[i].second), startBefore[i]) << startKeys[i].second;
  EXPECT_EQ(path(), pathBefore);
  std::cout << "[          ] listing and run took "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
            << " ms for " << filesBefore.size() << " files and folders\n";

  // The log: each line in run order with its expected outcome; an integrity error has none.
  std::string expectedLog = "-----------UNINSTALL LOG FOR:\r\n12/7/1996  9:05:10\r\n";
  int integrity = 0;
  for (std::size_t i = 0; i < sel.entries.size(); ++i) {
    const std::string& entry = sel.entries[i];
    const std::string& outcome = expectedOutcome[entry];
    // A value line is logged readably.
    const auto value = ParseValueAction(sel.originals[i]);
    if (outcome.empty()) ++integrity;
    else expectedLog += outcome + (value ? DescribeValueAction(*value, AnsiText) : entry) + "\r\n";
  }
  EXPECT_EQ(ReadBytes(backup + "\\CORPUS.log"), expectedLog);
  EXPECT_EQ(host.yes.Count("TSU integrity error"), integrity);
  // Verify is off and the scan found no program importing the DLL: nothing to decide.
  EXPECT_TRUE(dllAsked.empty());

  // Files: only the named entries are gone; the INI safety copies, the log and the DLL
  // check's lists are new; the INI files are checked by content below.
  const std::string D = ToUpperAscii(d), W = ToUpperAscii(win), B = ToUpperAscii(backup);
  std::set<std::string> allowed = {"removed " + D + "\\NEWAPP",       "removed " + D + "\\NEWAPP\\SUB",
                                   "removed " + D + "\\NEWAPP\\SUB\\F.TXT", "removed " + D + "\\NEWAPP\\APP.EXE",
                                   "removed " + D + "\\ODD",          "removed " + D + "\\ODD\\IN",
                                   "removed " + D + "\\NEW.TXT",      "removed " + D + "\\NEWLIB.DLL",
                                   "added " + W + "\\WIN.UIB",        "added " + W + "\\SYSTEM.UIB",
                                   "added " + W + "\\PROTOCOL.UIB",   "added " + B + "\\CORPUS.LOG",
                                   "added " + B + "\\DLL0LIST.TMP",   "added " + B + "\\DLL01234.TMP",
                                   "changed " + W + "\\WIN.INI",      "changed " + W + "\\SYSTEM.INI",
                                   "changed " + W + "\\PROTOCOL.INI", "added C:\\MSDOS.UIB",
                                   "changed C:\\MSDOS.UIB",           "changed " + D + "\\TESSARY.INI"};
  std::vector<std::string> unexpected;
  for (const std::string& change : Difference(filesBefore, filesAfter))
    if (!allowed.count(change)) unexpected.push_back(change);
  EXPECT_TRUE(unexpected.empty()) << testing::PrintToString(unexpected);
  for (const char* gone : {"\\NEWAPP", "\\ODD", "\\NEW.TXT", "\\NEWLIB.DLL"}) EXPECT_FALSE(PathExists(d + gone)) << gone;
  // INI files: the entries the legitimate lines name, nothing else.
  // Nothing is written from an unsealed file; the removal goes.
  const std::string winIni = win + "\\win.ini";
  EXPECT_EQ(ProfileKeys(winIni, "Corpus"), (std::vector<std::string>{"Mode"}));
  EXPECT_EQ(ProfileReadFull(winIni, "Corpus", "Mode", "?"), "new");
  EXPECT_EQ(ProfileReadFull(winIni, "boot", "shell", "?"), "keep.exe");
  std::vector<std::string> headers;
  for (const std::string& line : SplitTextLines(ReadBytes(winIni)))
    if (!line.empty() && line[0] == '[') headers.push_back(line);
  EXPECT_EQ(headers, (std::vector<std::string>{"[Corpus]", "[boot]"}));
  EXPECT_EQ(ReadBytes(win + "\\system.ini"), "[boot]\r\nshell=progman.exe\r\n[386Enh]\r\ndevice=OLD.386\r\n");
  EXPECT_EQ(ReadBytes(win + "\\protocol.ini"), "[NetTrans]\r\nLana=0\r\n");
  EXPECT_FALSE(PathExists(win + "\\TESSARY.INI"));
  EXPECT_FALSE(PathExists(dir / "OUTSIDE.INI"));
  // The settings file holds the boxes as the run saved them, nothing a line wrote.
  EXPECT_EQ(ProfileKeys(dir / "tessary.ini", "uninstall"), (std::vector<std::string>{"VerifyAllUninstall", "DLLDepend"}));

  // Keys: none goes, not even the one the file names, below HKEY_CURRENT_USER\Software.
  EXPECT_EQ(Difference(keysBefore, keysAfter), std::vector<std::string>{});
}


// Action files damaged or made up to harm (tests/uninstall/hostile: overlong values on
// every kind of line, NUL bytes, CR without LF, a UTF-8 BOM, mixed line ends, names
// that resolve to the folder itself or reach other machines, protected folders and
// keys, INI files other than the three; and 10,000 identical lines), each loaded by the
// Uninstall Actions dialog and run with Select All, verify and the DLL check off. The
// test's folders, its key, and the tops of drive C: and the Windows folder are listed
// before and after: only what a line plainly names may change.
class HostileFiles : public HostileCorpus {
 protected:
  void Machine() {
    const std::string d = dir.path();
    test::RemoveTree(d + "\\NEWAPP");
    dir.MakeDir("NEWAPP\\SUB");
    WriteBytes(d + "\\NEWAPP\\SUB\\f.txt", "x");
    WriteBytes(d + "\\NEW.TXT", "x");
    dir.MakeDir("VICTIM");
    WriteBytes(d + "\\VICTIM\\KEEP.TXT", "x");
    dir.MakeDir("KEEP");
    WriteBytes(d + "\\KEEP\\in.txt", "x");
    WriteBytes(win + "\\win.ini", "[Corpus]\r\nMode=new\r\nNewKey=1\r\n[boot]\r\nshell=keep.exe\r\n");
    WriteBytes(win + "\\system.ini", "[boot]\r\nshell=progman.exe\r\n");
    WriteBytes(win + "\\protocol.ini", "[NetTrans]\r\nLana=0\r\n");
    WriteBytes(dir / "tessary.ini", "[uninstall]\r\nVerifyAllUninstall=yes\r\n");
    reg.Create("NEWAPP\\SUB");
    reg.Create("KEEP\\SUB");
    DeleteFileA((backup + "\\CORPUS.log").c_str());
  }
  // The corpus file with this test's places put in.
  std::string Corpus(const std::string& name) {
    std::string text = ReadBytes(test::BuildPath(std::string(HOSTILE_CORPUS) + "/" + name));
    const std::string d = dir.path();
    const std::vector<std::pair<std::string, std::string>> places = {
        {"%HERE%", d},
        {"%HEREONC%", d.substr(3)},
        {"%PARENT%", d.substr(0, d.rfind('\\'))},
        {"%SELF%", d.substr(d.rfind('\\') + 1)},
        {"%WIN%", WindowsDirectory()},
        {"%KEY%", "HKEY_CURRENT_USER\\" + reg.path()},
        {"%LONG%", std::string(5000, 'L')}};
    for (const auto& [mark, place] : places)
      for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), place);
    return text;
  }
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    ListTree(dir.path(), files);
    for (const std::string& top : {std::string("C:"), WindowsDirectory()}) {
      DirSearch search(top + "\\*");
      FindEntry e;
      while (search.Next(e))
        if (e.name != "." && e.name != ".." && !IsNoisy(ToUpperAscii(top + "\\" + e.name)))
          files[ToUpperAscii(top + "\\" + e.name)] = std::to_string(e.attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return files;
  }
  // Loads the file in the Uninstall Actions dialog, selects all, turns verify and the
  // DLL check off and presses OK; true when the run closed the dialog.
  bool RunThroughTheDialog(const std::string& content, std::size_t* listed = nullptr) {
    WriteBytes(actionFile, content);
    TListDlg actions(host, actionFile);
    HWND h = actions.CreateModeless();
    if (!h) return false;
    if (listed) *listed = test::ListItems(GetDlgItem(h, IDC_LIST_ACTIONS)).size();
    CheckDlgButton(h, IDC_LIST_VERIFY, BST_UNCHECKED);
    CheckDlgButton(h, IDC_LIST_DLLDEPEND, BST_UNCHECKED);
    SendMessageA(GetDlgItem(h, IDC_LIST_SELECTALL), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
    const bool closed = !IsWindow(h);
    if (!closed) DestroyWindow(h);
    return closed;
  }
  // Everything that changed beyond what the lines of every corpus file may plainly
  // change: the installer's NEW.TXT and NEWAPP, the WIN.INI entries, the log, the
  // safety copies and the settings file.
  std::vector<std::string> Unexpected(const std::map<std::string, std::string>& before,
                                      const std::map<std::string, std::string>& after) {
    const std::string D = ToUpperAscii(dir.path()), W = ToUpperAscii(win), B = ToUpperAscii(backup);
    const std::set<std::string> allowed = {
        "removed " + D + "\\NEW.TXT",      "removed " + D + "\\NEWAPP",        "removed " + D + "\\NEWAPP\\SUB",
        "removed " + D + "\\NEWAPP\\SUB\\F.TXT", "changed " + W + "\\WIN.INI", "added " + W + "\\WIN.UIB",
        "added " + W + "\\SYSTEM.UIB",     "added " + W + "\\PROTOCOL.UIB",    "changed " + W + "\\WIN.UIB",
        "changed " + W + "\\SYSTEM.UIB",   "changed " + W + "\\PROTOCOL.UIB",  "added " + B + "\\CORPUS.LOG",
        "added C:\\MSDOS.UIB",             "changed " + D + "\\TESSARY.INI",   "changed " + B + "\\CORPUS.TSU",
        "added " + B + "\\CORPUS.TSU"};
    std::vector<std::string> unexpected;
    for (const std::string& change : Difference(before, after))
      if (!allowed.count(change)) unexpected.push_back(change);
    return unexpected;
  }
};

TEST_F(HostileFiles, ChangeOnlyWhatALinePlainlyNames) {
  // 10,000 identical lines; 10,000 lines that differ and name nothing.
  std::string tenThousand, tenThousandDistinct;
  for (int i = 0; i < 10000; ++i) {
    tenThousand += "REMOVEFILE:NEW.TXT>FROM:%HERE%\r\n";
    tenThousandDistinct += "; a note, line " + std::to_string(i) + "\r\n";
  }
  const std::string K = ToUpperAscii(reg.path());
  for (const char* name : {"overlong.tsu", "nul-bytes.tsu", "cr-only.tsu", "bom.tsu", "mixed-line-ends.tsu",
                           "trust.tsu", "10000", "10000 distinct"}) {
    SCOPED_TRACE(name);
    Machine();
    std::string content;
    if (std::string(name) == "10000") {
      content = tenThousand;
      for (std::size_t at; (at = content.find("%HERE%")) != std::string::npos;) content.replace(at, 6, dir.path());
    } else if (std::string(name) == "10000 distinct") {
      content = tenThousandDistinct;
    } else {
      content = Corpus(name);
    }
    ASSERT_FALSE(content.empty());
    WriteBytes(actionFile, "");
    const auto filesBefore = Files();
    std::map<std::string, std::string> keysBefore, keysAfter;
    ListKey(HKEY_CURRENT_USER, reg.path(), keysBefore);
    const std::string appDataFacts = KeyFacts(HKEY_CURRENT_USER, "Software");
    const std::string runFacts = KeyFacts(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    host.yes.boxes.clear();

    const auto started = std::chrono::steady_clock::now();
    std::size_t listed = 0;
    EXPECT_TRUE(RunThroughTheDialog(content, &listed)) << "the dialog stayed open";
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    std::cout << "[          ] " << name << ": " << listed << " lines run in " << ms << " ms\n";

    EXPECT_TRUE(Unexpected(filesBefore, Files()).empty()) << testing::PrintToString(Unexpected(filesBefore, Files()));
    ListKey(HKEY_CURRENT_USER, reg.path(), keysAfter);
    for (const std::string& change : Difference(keysBefore, keysAfter))
      EXPECT_TRUE(change == "removed " + K + "\\NEWAPP" || change == "removed " + K + "\\NEWAPP\\SUB") << change;
    EXPECT_EQ(KeyFacts(HKEY_CURRENT_USER, "Software"), appDataFacts);
    EXPECT_EQ(KeyFacts(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), runFacts);
    // The INI files: [boot] of WIN.INI as it was, SYSTEM.INI and PROTOCOL.INI untouched,
    // no section but those the lines name.
    const std::string winIni = win + "\\win.ini";
    EXPECT_EQ(ProfileKeys(winIni, "boot"), std::vector<std::string>{"shell"}) << ReadBytes(winIni);
    EXPECT_EQ(ProfileReadFull(winIni, "boot", "shell", "?"), "keep.exe") << ReadBytes(winIni);
    for (const std::string& line : SplitTextLines(ReadBytes(winIni))) {
      const bool header = !line.empty() && line[0] == '[';
      EXPECT_TRUE(!header || line == "[Corpus]" || line == "[boot]" || line == "[" + std::string(5000, 'L') + "]")
          << line.substr(0, 80);
    }
    for (const std::string& key : ProfileKeys(winIni, "Corpus"))
      EXPECT_TRUE(key == "Mode" || key == "NewKey" || key == "Long" || key == std::string(5000, 'L'))
          << key.substr(0, 80);
    EXPECT_EQ(ReadBytes(win + "\\system.ini"), "[boot]\r\nshell=progman.exe\r\n");
    EXPECT_EQ(ReadBytes(win + "\\protocol.ini"), "[NetTrans]\r\nLana=0\r\n");
    EXPECT_EQ(ProfileKeys(dir / "tessary.ini", "uninstall"),
              (std::vector<std::string>{"VerifyAllUninstall", "DLLDepend"}));
    // A line repeated is listed and done once, and asks nothing more; a long list is
    // selected and run in a few seconds.
    if (std::string(name) == "10000") {
      EXPECT_EQ(listed, 1u);
      EXPECT_FALSE(PathExists(dir / "NEW.TXT"));
      EXPECT_LE(host.yes.boxes.size(), 3u) << host.yes.boxes.size() << " message boxes";
    }
    if (std::string(name) == "10000 distinct") {
      EXPECT_EQ(listed, 10000u);
    }
    EXPECT_LT(ms, 20000);
  }
}

}  // namespace
}  // namespace tessary
