// What no uninstall action may take: the keys Windows needs, the folders Windows or
// Tessary needs, and what lies behind a link inside a tree being removed.
#include <gtest/gtest.h>

#include <map>

#include "platform/files.h"
#include "platform/folders.h"
#include "testbed.h"
#include "uninstall/logic/protected_keys.h"

namespace tessary {
namespace {

TEST(ProtectedKeys, EveryListedKeyInEverySpelling) {
  for (const char* key : {
           "HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE\\SYSTEM", "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet",
           "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
           "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control", "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002",
           "HKEY_LOCAL_MACHINE\\SAM", "HKEY_LOCAL_MACHINE\\SECURITY", "HKEY_LOCAL_MACHINE\\HARDWARE",
           "HKEY_USERS\\.DEFAULT", "HKEY_USERS\\S-1-5-21-1-2-3-1000", "HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes",
           "HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER\\Control Panel", "HKEY_CURRENT_USER\\Environment",
           "HKEY_CLASSES_ROOT\\CLSID", "HKEY_CLASSES_ROOT\\Interface", "HKEY_CLASSES_ROOT\\TypeLib",
           "HKEY_CLASSES_ROOT\\AppID", "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
           "HKEY_CURRENT_USER\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
           "HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
           "HKEY_USERS\\S-1-5-18\\Control Panel", "HKEY_USERS\\S-1-5-21-1-2-3-1000_Classes\\CLSID",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\TypeLib",
           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\Interface",
           "HKEY_CURRENT_USER\\Software\\Classes\\CLSID",
           // other spellings: letter case, short roots, the registry's own names, empty pieces
           "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run", "HKLM\\SOFTWARE",
           "HKCU\\SOFTWARE\\MICROSOFT", "HKCR\\clsid", "HKU\\.default", "\\REGISTRY\\MACHINE\\SOFTWARE\\Classes\\CLSID",
           "\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000\\Software", "\\REGISTRY\\Machine\\System\\CurrentControlSet\\Services",
           "HKEY_LOCAL_MACHINE\\\\SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE\\", "HKEY_CURRENT_USER\\Software\\\\Microsoft",
           // whole roots
           "HKEY_LOCAL_MACHINE", "HKEY_USERS\\"})
    EXPECT_TRUE(IsProtectedKey(key)) << key;
}

TEST(ProtectedKeys, WhatInstallersAddIsNotProtected) {
  for (const char* key : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor", "HKEY_CURRENT_USER\\Software\\NewVendor\\NewApp",
                          "HKEY_CLASSES_ROOT\\.nwa", "HKEY_CLASSES_ROOT\\NewApp.Document",
                          "HKEY_CLASSES_ROOT\\CLSID\\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}",
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NewApp",
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\newapp.exe",
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\NewVendor",
                          "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\NewDriver",
                          "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSetX", "HKEY_USERS\\.DEFAULT\\Software\\NewVendor",
                          "HKEY_CURRENT_CONFIG\\Software\\NewVendor", "HKEY_NOWHERE\\SOFTWARE", "SOFTWARE"})
    EXPECT_FALSE(IsProtectedKey(key)) << key;
}

// The list is closed under parents: deleting the parent of a protected key would delete
// that key with it.
TEST(ProtectedKeys, EveryParentOfAListedKeyIsListedToo) {
  for (std::string key : ProtectedKeyList()) {
    for (std::size_t at; (at = key.find('*')) != std::string::npos;) key.replace(at, 1, "S-1-5-18");
    ASSERT_TRUE(IsProtectedKey(key)) << key;
    const std::string parent = key.substr(0, key.rfind('\\'));
    EXPECT_TRUE(parent.find('\\') == std::string::npos || IsProtectedKey(parent)) << parent;
  }
}

TEST(ProtectedFolders, TheSystemsAndTessarysOwn) {
  test::TempDir dir;
  const std::string backup = dir.MakeDir("BACKUP");
  const std::vector<std::string> folders = ProtectedFolders({backup});
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string exeFolder = std::string(exe).substr(0, std::string(exe).rfind('\\'));
  char shortName[MAX_PATH] = {};
  GetShortPathNameA("C:\\Program Files", shortName, MAX_PATH);
  for (const std::string& path :
       {WindowsDirectory(), SystemDirectory(), std::string("C:\\"), std::string("D:\\"), std::string("C:\\Program Files"),
        std::string(shortName), std::string("C:\\PROGRAM FILES (X86)"), std::string("C:\\ProgramData"),
        std::string("C:\\users"), WindowsDirectory() + "\\Fonts", exeFolder, backup, dir.path()})
    EXPECT_TRUE(RemovesProtectedFolder(path, folders)) << path;
  for (const std::string& path : {dir.MakeDir("APP"), WindowsDirectory() + "\\NEWAPP", std::string("C:\\Program Files\\NewVendor")})
    EXPECT_FALSE(RemovesProtectedFolder(path, folders)) << path;
}

// The walk before a tree is deleted: links go as links, and nothing behind one is listed.
// (Wine cannot make junctions or symbolic links, so the folder listing is a stand-in.)
TEST(TreeRemoval, LinksAreRemovedAsLinksAndNeverEntered) {
  auto entry = [](const char* name, DWORD attributes) {
    FindEntry e;
    e.name = name;
    e.attributes = attributes;
    return e;
  };
  const DWORD link = FILE_ATTRIBUTE_REPARSE_POINT;
  std::map<std::string, std::vector<FindEntry>> tree{
      {"C:\\APP",
       {entry("a.txt", FILE_ATTRIBUTE_ARCHIVE), entry("SUB", FILE_ATTRIBUTE_DIRECTORY),
        entry("file-link", link | FILE_ATTRIBUTE_ARCHIVE)}},
      {"C:\\APP\\SUB", {entry("JUNCTION", link | FILE_ATTRIBUTE_DIRECTORY), entry("b.txt", 0)}},
      {"C:\\APP\\SUB\\JUNCTION", {entry("VICTIM", FILE_ATTRIBUTE_DIRECTORY)}},
  };
  std::vector<std::string> listed, removed;
  auto list = [&](const std::string& folder) {
    listed.push_back(folder);
    return tree[folder];
  };
  auto remove = [&](const std::string& path, bool isDirectory) {
    removed.push_back(path + (isDirectory ? " (dir)" : ""));
    return true;
  };
  EXPECT_TRUE(RemoveLinksBelow("C:\\APP", list, remove));
  EXPECT_EQ(listed, (std::vector<std::string>{"C:\\APP", "C:\\APP\\SUB"}));
  EXPECT_EQ(removed, (std::vector<std::string>{"C:\\APP\\SUB\\JUNCTION (dir)", "C:\\APP\\file-link"}));
  // A link that will not go stops the walk: the tree must then stay.
  listed.clear();
  EXPECT_FALSE(RemoveLinksBelow("C:\\APP", list, [](const std::string&, bool) { return false; }));
  EXPECT_EQ(listed, (std::vector<std::string>{"C:\\APP", "C:\\APP\\SUB"}));
}

}  // namespace
}  // namespace tessary
