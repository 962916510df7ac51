// tessaryc track --undo of installers that keep records of themselves: a Windows Installer
// package (msiexec registers the product and caches the package) and a setup program that
// leaves its own uninstaller behind. Each is tracked by the real tessaryc.exe and undone,
// and the machine must read as before: no file, key or value of it left, a value it
// changed back to its old data, and the package installable again.
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <iterator>
#include <optional>

#include <nlohmann/json.hpp>

#include "core/startup_logic.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/profile.h"
#include "program_run.h"
#include "testbed.h"

namespace tessary {
namespace {

using Json = nlohmann::json;

const char* const kProductCode = "{5E1A7C3B-2D4F-4A61-9B8E-0C7D6F5A4B31}";
const char* const kSharedKey = "SOFTWARE\\TessaryMsiShared";
const char* const kBefore = "before MsiApp";

// Every key the package and the uninstaller-leaving installer make, and Windows
// Installer's records of the product (the product code {5E1A7C3B-...} and the upgrade
// code {8F2B4D6A-...} in their packed forms).
const char* const kInstalledKeys[] = {
    "SOFTWARE\\MsiVendor",
    "SOFTWARE\\Classes\\.tmsi",
    "SOFTWARE\\Classes\\MsiApp.Document",
    "SOFTWARE\\Classes\\Installer\\Products\\B3C7A1E5F4D216A4B9E8C0D7F6A5B413",
    "SOFTWARE\\Classes\\Installer\\Features\\B3C7A1E5F4D216A4B9E8C0D7F6A5B413",
    "SOFTWARE\\Classes\\Installer\\UpgradeCodes\\A6D4B2F8E3C1F5B47A9D0E1F2A3B4C5D",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\A6D4B2F8E3C1F5B47A9D0E1F2A3B4C5D",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
    "B3C7A1E5F4D216A4B9E8C0D7F6A5B413",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5E1A7C3B-2D4F-4A61-9B8E-0C7D6F5A4B31}",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninsApp",
};
const char* const kUserKey = "Software\\MsiVendor";

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<std::string> StringValue(HKEY root, const char* path, const char* name) {
  char data[512] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

// The names of a key's subkeys, sorted; the registration lists of Windows Installer.
std::vector<std::string> SubKeys(HKEY root, const char* path) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(ToUpperAscii(name));
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end());
  return names;
}

// Every file and folder below `root`, lower case.
void ListTree(const std::string& root, std::vector<std::string>& out) {
  DirSearch search(root + "\\*");
  FindEntry entry;
  while (search.Next(entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    out.push_back(ToLowerAscii(root + "\\" + entry.name));
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(root + "\\" + entry.name, out);
  }
}

std::string StartMenuPrograms() {
  char path[MAX_PATH] = {};
  GetEnvironmentVariableA("APPDATA", path, MAX_PATH);
  return std::string(path) + "\\Microsoft\\Windows\\Start Menu\\Programs";
}

using test::ProgramRun;
using test::RunProgram;

class InstallerRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini = SettingsPathFor(WindowsDirectory());
    ProfileFlush(ini);
    if (FileExists(ini)) savedIni = test::ReadBytes(ini);
    RemoveInstallation();
    backup = dir.MakeDir("BACKUP");
    test::WriteBytes(ini, "[tessary]\r\nDirectory=" + backup + "\r\n");
    ProfileFlush(ini);
  }

  void TearDown() override {
    RemoveInstallation();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSharedKey);
    if (madeInstaller) RemoveDirectoryA(Installer().c_str());
    if (savedIni) test::WriteBytes(ini, *savedIni);
    else DeleteFileA(ini.c_str());
    ProfileFlush(ini);
  }

  static std::string Installer() { return WindowsDirectory() + "\\Installer"; }

  // Whatever a run that failed half-way left: the product uninstalled by Windows
  // Installer itself, then its files and keys.
  void RemoveInstallation() {
    if (MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT)
      RunProgram(SystemDirectory() + "\\msiexec.exe /x " + kProductCode + " /qn", dir.path());
    for (const char* folder : {"MsiVendor", "Common Files\\MsiVendor", "UninsVendor"})
      test::RemoveTree(std::string("C:\\Program Files\\") + folder);
    test::RemoveTree(StartMenuPrograms() + "\\MsiApp");
    for (const char* key : kInstalledKeys) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
    RegDeleteTreeA(HKEY_CURRENT_USER, kUserKey);
  }

  // The places the installers write to, sorted.
  static std::vector<std::string> Tree() {
    std::vector<std::string> tree;
    ListTree("C:\\Program Files", tree);
    ListTree(StartMenuPrograms(), tree);
    ListTree(Installer(), tree);
    std::sort(tree.begin(), tree.end());
    return tree;
  }

  // Windows Installer's lists of what is installed.
  static std::vector<std::vector<std::string>> Registrations() {
    std::vector<std::vector<std::string>> lists;
    for (const char* key :
         {"SOFTWARE\\Classes\\Installer\\Products", "SOFTWARE\\Classes\\Installer\\Features",
          "SOFTWARE\\Classes\\Installer\\UpgradeCodes", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components"})
      lists.push_back(SubKeys(HKEY_LOCAL_MACHINE, key));
    return lists;
  }

  static std::string Diff(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    return test::ListDiff(before, after);
  }

  // `tessaryc track --undo` of `program` (a command line) in the complete mode: every
  // action done, nothing left over, the places and Windows Installer's lists as before.
  Json TrackAndUndo(const std::string& name, const std::string& program) {
    const std::vector<std::string> tree = Tree();
    const auto registrations = Registrations();
    const ProgramRun run =
        RunProgram("\"" + test::BuildPath(TESSARYC_EXE) + "\" track --undo --yes --json -- " + program, dir.path());
    std::cout << "[ timing   ] a full track --undo of " << name << " took " << run.seconds << " s\n";
    EXPECT_EQ(run.code, 0u) << run.out << run.err;
    const Json doc = Json::parse(run.out, nullptr, false);
    EXPECT_FALSE(doc.is_discarded()) << run.out << run.err;
    if (doc.is_discarded()) return doc;
    EXPECT_EQ(doc["program"]["exitCode"], 0) << doc["program"].dump();
    EXPECT_EQ(doc["nothingLeftOver"], true) << doc["leftovers"].dump(1);
    EXPECT_EQ(doc["undo"]["notDone"], 0) << doc["undo"].dump(1);
    for (const Json& a : doc["undo"]["actions"]) EXPECT_EQ(a["outcome"], "done") << a.dump();
    const std::vector<std::string> after = Tree();
    EXPECT_EQ(after, tree) << "changed by the installation and its undo:\n" << Diff(tree, after);
    EXPECT_EQ(Registrations(), registrations);
    for (const char* key : kInstalledKeys) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserKey));
    return doc;
  }

  test::TempDir dir;
  std::string ini, backup;
  std::optional<std::string> savedIni;
  bool madeInstaller = false;
};

// A package installed by msiexec: its files, shortcut, keys, values and file association
// go, the value it changed has its old data again, and Windows Installer's records of it
// (registration keys, Uninstall key, cached package) go too, so that the product reads as
// not installed and installs again.
TEST_F(InstallerRecordsTest, WindowsInstallerPackageIsUndoneWithItsRecords) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSharedKey, "Mode", REG_SZ, kBefore, sizeof "before MsiApp"),
            ERROR_SUCCESS);
  ASSERT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  // As on any machine that ever ran a package, the cache folder is there already: only
  // its deep listing sees the package copied into it.
  madeInstaller = CreateDirectoryA(Installer().c_str(), nullptr);
  const std::string install = SystemDirectory() + "\\msiexec.exe /i " + test::BuildPath(MSIAPP_PACKAGE) + " /qn";
  const Json doc = TrackAndUndo("msiapp.msi", install);
  if (doc.is_discarded()) return;

  // What the report saw: the package's own places and the installer's records of it.
  std::string lines;
  for (const Json& a : doc["actions"]) lines += ToUpperAscii(a["line"].get<std::string>()) + "\n";
  for (const std::string& seen : std::vector<std::string>{"REMOVEFILE:MSIVENDOR  (DIR)>FROM:C:\\PROGRAM FILES\n",
                           "REMOVEFILE:MSIVENDOR  (DIR)>FROM:C:\\PROGRAM FILES\\COMMON FILES\n",
                           ".MSI>FROM:" + ToUpperAscii(Installer()) + "\n",
                           "HKEY_CLASSES_ROOT\\.TMSI>", "HKEY_CURRENT_USER\\SOFTWARE\\MSIVENDOR>",
                           "\\CURRENTVERSION\\UNINSTALL\\{5E1A7C3B-2D4F-4A61-9B8E-0C7D6F5A4B31}>",
                           "REG_VALUE_RESTORE:MODE>"})
    EXPECT_NE(lines.find(seen), std::string::npos) << seen << " not in\n" << lines;
  EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kSharedKey, "Mode"), std::optional<std::string>(kBefore));
  EXPECT_FALSE(DirectoryExists(StartMenuPrograms() + "\\MsiApp"));
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_UNKNOWN);

  // Installed again, as on a machine that never had it.
  const ProgramRun again = RunProgram(install, dir.path());
  EXPECT_EQ(again.code, 0u) << again.out << again.err;
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  EXPECT_TRUE(FileExists("C:\\Program Files\\MsiVendor\\MsiApp\\msiapp.exe"));
  EXPECT_TRUE(FileExists("C:\\Program Files\\Common Files\\MsiVendor\\msirt.dll"));
  EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kSharedKey, "Mode"), std::optional<std::string>("changed by MsiApp"));
}

// A setup program that leaves its own uninstaller (unins000.exe, its data file and the
// Uninstall key naming it) is undone with all of it.
TEST_F(InstallerRecordsTest, AnInstallersOwnUninstallerIsUndoneWithIt) {
  const Json doc = TrackAndUndo("uninsapp-setup.exe", test::BuildPath(UNINSAPP_SETUP) + " /S");
  if (doc.is_discarded()) return;
  EXPECT_FALSE(DirectoryExists("C:\\Program Files\\UninsVendor"));
  bool key = false;
  for (const Json& a : doc["actions"])
    key = key || EndsWithNoCase(a["line"].get<std::string>(), "\\Uninstall\\UninsApp>FROM:REG.DAT");
  EXPECT_TRUE(key) << doc["actions"].dump(1);
}

}  // namespace
}  // namespace tessary
