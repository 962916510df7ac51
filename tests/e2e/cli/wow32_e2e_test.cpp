// A 32-bit installer tracked by the 64-bit tessaryc and undone: what Windows redirects for a
// 32-bit program (Program Files (x86), SysWOW64, WOW6432Node) is seen where it landed, every
// addition is taken back, and what the installer changed of what was there before is put
// back as far as the backup kept it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "program_run.h"
#include "testbed.h"

namespace tessary {
namespace {

using Json = nlohmann::json;

const char* const kSeedKey = "Software\\TessaryWow32Seed";
const char* const kVendorKey = "Software\\Wow32Vendor";
const char* const kClassKey = "CLSID\\{3F2A9C41-7B6D-4E85-9A10-C2D3E4F50617}";
const char* const kClassKeys[] = {kClassKey, ".w32doc", "Wow32App.Document"};
const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wow32App";
// What track compares by default, spelled out while the default is another.
const char* const kBranches = "HKCU,HKLM\\SOFTWARE,HKCR,HKCR\\CLSID";

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string SystemWow64() {
  char path[MAX_PATH] = {};
  const UINT n = GetSystemWow64DirectoryA(path, MAX_PATH);
  return n && n < MAX_PATH ? std::string(path) : std::string();
}

// Every file and folder below `root` with its size, lower case.
void ListTree(const std::string& root, std::vector<std::string>& out) {
  DirSearch search(root + "\\*");
  FindEntry entry;
  while (search.Next(entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string path = root + "\\" + entry.name;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(ToLowerAscii(path) + "\\");
      ListTree(path, out);
    } else {
      out.push_back(ToLowerAscii(path));
    }
  }
}

// A value as the 64-bit or the 32-bit program reads it: its data, or "<absent>".
std::string ReadValue(HKEY root, REGSAM view, const char* key, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return "<absent>";
  const RegKeyHandle owner(opened);
  char data[256] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
    return "<absent>";
  return data;
}

bool KeyExists(HKEY root, REGSAM view, const char* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void SetValue(HKEY root, REGSAM view, const char* key, const char* name, const std::string& data) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr), ERROR_SUCCESS);
  const RegKeyHandle owner(opened);
  ASSERT_EQ(RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1)),
            ERROR_SUCCESS);
}

void DeleteKey(HKEY root, REGSAM view, const char* key) {
  HKEY parent = nullptr;
  if (RegOpenKeyExA(root, nullptr, 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) return;
  RegDeleteTreeA(parent, key);
  if (parent != root) RegCloseKey(parent);
}

class Wow32E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SystemWow64().empty()) GTEST_SKIP() << "this Wine runs no 32-bit programs (wine32 is not installed)";
    ini = SettingsPathFor(WindowsDirectory());
    ProfileFlush(ini);
    savedIni = FileExists(ini) ? std::optional<std::string>(test::ReadBytes(ini)) : std::nullopt;
    programsX86 = Folder(CSIDL_PROGRAM_FILESX86);
    commonX86 = Folder(CSIDL_PROGRAM_FILES_COMMONX86);
    places = {programsX86, SystemWow64(), Folder(CSIDL_PROGRAMS), Folder(CSIDL_COMMON_PROGRAMS),
              Folder(CSIDL_COMMON_DESKTOPDIRECTORY)};
    RemoveInstallation();
    backup = dir.MakeDir("BACKUP");
    test::WriteBytes(ini, "[tessary]\r\nDirectory=" + backup + "\r\n");
    ProfileFlush(ini);
    // What was there before the installer: a user's value, a 32-bit program's value, a
    // shared file.
    SetValue(HKEY_CURRENT_USER, 0, kSeedKey, "Mode", "before");
    SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kSeedKey, "Channel", "stable");
    CreateDirectoryA((commonX86 + "\\Wow32Shared").c_str(), nullptr);
    test::WriteBytes(SharedFile(), "shared data, version 1");
  }

  void TearDown() override {
    if (IsSkipped()) return;
    RemoveInstallation();
    test::RemoveTree(commonX86 + "\\Wow32Shared");
    DeleteKey(HKEY_CURRENT_USER, 0, kSeedKey);
    DeleteKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kSeedKey);
    ProfileFlush(ini);
    if (savedIni) test::WriteBytes(ini, *savedIni);
    else DeleteFileA(ini.c_str());
    ProfileFlush(ini);
  }

  std::string SharedFile() const { return commonX86 + "\\Wow32Shared\\shared.dat"; }

  void RemoveInstallation() {
    test::RemoveTree(programsX86 + "\\Wow32Vendor");
    test::RemoveTree(commonX86 + "\\Wow32Vendor");
    DeleteFileA((SystemWow64() + "\\wow32lib.dll").c_str());
    test::RemoveTree(Folder(CSIDL_PROGRAMS) + "\\Wow32App");
    DeleteFileA((Folder(CSIDL_COMMON_PROGRAMS) + "\\Wow32App.lnk").c_str());
    DeleteFileA((Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Wow32App.lnk").c_str());
    DeleteKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kVendorKey);
    DeleteKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kUninstallKey);
    DeleteKey(HKEY_CURRENT_USER, 0, kVendorKey);
    for (const char* key : kClassKeys)
      for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) DeleteKey(HKEY_CLASSES_ROOT, view, key);
  }

  std::vector<std::string> Tree() const {
    std::vector<std::string> tree;
    for (const std::string& place : places) ListTree(place, tree);
    std::sort(tree.begin(), tree.end());
    return tree;
  }

  // Runs tessaryc.exe with no console to ask on; the JSON document it prints.
  Json Tessaryc(const std::vector<std::string>& args, DWORD& code, double& seconds) {
    test::ProgramRun run = test::RunProgram(test::CommandLine(test::BuildPath(TESSARYC_EXE), args), dir.path());
    code = run.code;
    seconds = run.seconds;
    EXPECT_TRUE(run.json.is_object()) << run.out << run.err;
    return std::move(run.json);
  }

  test::TempDir dir;
  std::string ini, backup, programsX86, commonX86;
  std::vector<std::string> places;
  std::optional<std::string> savedIni;
};

// What the sections of one kind found: "change what" per entry, lower case: a deep entry
// by its full path, a key by its path, a value as the report names it (its key and its
// name).
std::set<std::string> Found(const Json& report, const char* kind) {
  std::set<std::string> found;
  for (const Json& s : report["sections"]) {
    if (s["kind"] != kind) continue;
    for (const Json& e : s["entries"]) {
      const std::string what = s["kind"] == "deep"       ? s["name"].get<std::string>() + "\\" + e["name"].get<std::string>()
                               : s["kind"] == "registry" ? e["key"].get<std::string>()
                                                         : e["value"].get<std::string>();
      found.insert(ToLowerAscii(e["change"].get<std::string>() + " " + what));
    }
  }
  return found;
}

// Whether one of `found` is of `change` and holds every one of `words`.
bool Holds(const std::set<std::string>& found, const std::string& change, std::initializer_list<const char*> words) {
  return std::any_of(found.begin(), found.end(), [&](const std::string& f) {
    return StartsWithNoCase(f, change + " ") &&
           std::all_of(words.begin(), words.end(), [&](const char* w) { return ContainsNoCase(f, w); });
  });
}

TEST_F(Wow32E2eTest, TrackUndoTakesBackEverythingA32BitInstallerAdded) {
  const std::vector<std::string> before = Tree();
  DWORD code = 0;
  double seconds = 0;
  const Json doc = Tessaryc({"track", "--deep", "--values", "--branches", kBranches, "--undo", "--yes", "--json", "--",
                             test::BuildPath(WOW32APP_SETUP), "/S"},
                            code, seconds);
  std::cout << "[ track of wow32app-setup.exe with its undo: " << seconds << " s ]\n";
  ASSERT_TRUE(doc.is_object());
  EXPECT_EQ(doc["program"]["exitCode"], 0) << doc["program"].dump();

  // Each place took what Windows sent it to: the report names it there.
  const std::set<std::string> deep = Found(doc["report"], "deep");
  // A place inside another is listed with it (Common Files (x86) with Program Files (x86),
  // the Start menus with AppData and ProgramData): entries are matched by their full paths.
  for (const std::string& expected :
       {"added " + programsX86 + "\\Wow32Vendor", "added " + commonX86 + "\\Wow32Vendor",
        "updated " + SharedFile(), "added " + SystemWow64() + "\\wow32lib.dll",
        "added " + Folder(CSIDL_PROGRAMS) + "\\Wow32App", "added " + Folder(CSIDL_COMMON_PROGRAMS) + "\\Wow32App.lnk",
        "added " + Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Wow32App.lnk"})
    EXPECT_EQ(deep.count(ToLowerAscii(expected)), 1u) << expected << " not in:\n" << doc["report"].dump(1);
  const std::set<std::string> keys = Found(doc["report"], "registry");
  for (const std::string& expected : {std::string("added hkey_local_machine\\software\\wow6432node\\wow32vendor"),
                                      std::string("added hkey_local_machine\\software\\wow6432node\\microsoft\\windows\\"
                                                  "currentversion\\uninstall\\wow32app"),
                                      std::string("added hkey_current_user\\software\\wow32vendor")})
    EXPECT_EQ(keys.count(expected), 1u) << expected << " not in:\n" << doc["report"].dump(1);
  EXPECT_TRUE(Holds(keys, "added", {"\\.w32doc"})) << doc["report"].dump(1);
  EXPECT_TRUE(Holds(keys, "added", {"\\wow32app.document"})) << doc["report"].dump(1);
  // The 32-bit class is one key, found once (under HKEY_CLASSES_ROOT\Wow6432Node).
  EXPECT_EQ(std::count_if(keys.begin(), keys.end(),
                          [](const std::string& k) { return EndsWithNoCase(k, "{3f2a9c41-7b6d-4e85-9a10-c2d3e4f50617}"); }),
            1)
      << doc["report"].dump(1);
  EXPECT_TRUE(Holds(keys, "added", {"hkey_classes_root\\wow6432node\\clsid\\{3f2a9c41-7b6d-4e85-9a10-c2d3e4f50617}"}))
      << doc["report"].dump(1);
  const std::set<std::string> values = Found(doc["report"], "registryValues");
  struct ValueFound {
    const char* change;
    const char* key;
    const char* name;
  };
  for (const ValueFound& v : {ValueFound{"changed", "hkey_current_user\\software\\tessarywow32seed", "\"mode\""},
                              ValueFound{"added", "hkey_current_user\\software\\tessarywow32seed", "\"added\""},
                              ValueFound{"changed", "software\\wow6432node\\tessarywow32seed", "\"channel\""},
                              ValueFound{"added", "software\\wow6432node\\tessarywow32seed", "\"added\""}})
    EXPECT_TRUE(Holds(values, v.change, {v.key, v.name})) << v.change << " " << v.key << " " << v.name << " not in:\n"
                                                          << doc["report"].dump(1);

  // The summary names each thing once, the 32-bit places as such.
  std::multiset<std::string> summary;
  for (const Json& item : doc["summary"]["items"])
    summary.insert(item["category"].get<std::string>() + ": " + item["words"].get<std::string>());
  for (const char* expected :
       {"comServers: adds the COM server {3F2A9C41-7B6D-4E85-9A10-C2D3E4F50617}: C:\\Program Files "
        "(x86)\\Wow32Vendor\\Wow32App\\bin\\wow32ext.dll",
        "systemFiles: adds wow32lib.dll in the 32-bit system folder",
        "uninstallEntries: adds the uninstall entry \"Wow32App\"; uninstalls with C:\\Program Files "
        "(x86)\\Wow32Vendor\\Wow32App\\uninst.exe"})
    EXPECT_EQ(summary.count(expected), 1u) << expected << " not in:\n" << doc["summary"].dump(1);

  // Every undo action was carried out.
  EXPECT_EQ(doc["undo"]["notDone"], 0) << doc["undo"].dump(1);
  for (const Json& a : doc["undo"]["actions"]) EXPECT_EQ(a["outcome"], "done") << a.dump();

  // Left over: only the shared file it replaced, whose old content no backup keeps, and
  // said so (no undo action). Wine's own settings, which Wine rewrites by itself now and
  // then, are no installer's.
  std::vector<std::string> left;
  for (const Json& l : doc["leftovers"])
    if (!ContainsNoCase(l["text"].get<std::string>(), "HKEY_CURRENT_USER\\Software\\Wine\\"))
      left.push_back(l["kind"].get<std::string>() + " " + l["change"].get<std::string>() + " " +
                     ToLowerAscii(l["text"].get<std::string>()) + (l["undoable"].get<bool>() ? " undoable" : ""));
  ASSERT_EQ(left.size(), 1u) << doc["leftovers"].dump(1);
  EXPECT_EQ(left[0].rfind("deep updated ", 0), 0u) << left[0];
  EXPECT_NE(left[0].find("shared.dat"), std::string::npos) << left[0];
  EXPECT_EQ(code, 1u);

  // The machine as it was: the files and folders of every place (the replaced file
  // included, by name), the keys in both views, the values that were there before.
  const std::vector<std::string> after = Tree();
  EXPECT_EQ(after, before);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kVendorKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, 0, kVendorKey));
  for (const char* key : kClassKeys)
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, view, key)) << key;
  struct Value {
    HKEY root;
    REGSAM view;
    const char* name;
    const char* data;
  };
  for (const Value& v : {Value{HKEY_CURRENT_USER, 0, "Mode", "before"}, Value{HKEY_CURRENT_USER, 0, "Added", "<absent>"},
                         Value{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Channel", "stable"},
                         Value{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Added", "<absent>"}})
    EXPECT_EQ(ReadValue(v.root, v.view, kSeedKey, v.name), v.data) << v.name;
  EXPECT_TRUE(FileExists(SharedFile()));
}

}  // namespace
}  // namespace tessary
