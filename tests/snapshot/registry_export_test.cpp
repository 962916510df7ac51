// The registry snapshot: branch walk, left-out names, file handling and the exports.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>

#include "platform/files.h"
#include "platform/registry.h"
#include "snapshot/registry_export.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;

// A branch rooted at a test key (opened and owned by the caller).
RegistryBranch TestBranch(HKEY root, const char* subkey, const char* leftOut) {
  return RegistryBranch{"test", root, "TEST", subkey, leftOut, "TEST", &settings::kCuruser};
}

// Creates a chain of keys one level at a time, each relative to its parent.
void CreateChain(HKEY parent, const std::vector<std::string>& names) {
  HKEY current = parent;
  for (const std::string& name : names) {
    HKEY next = nullptr;
    ASSERT_EQ(RegCreateKeyA(current, name.c_str(), &next), ERROR_SUCCESS) << name.size();
    if (current != parent) RegCloseKey(current);
    current = next;
  }
  if (current != parent) RegCloseKey(current);
}

class BranchWalk : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::TempRegKey key;
  test::ScriptedProgressFactory progresses;
  std::unique_ptr<Progress> progress = progresses.Open("walk");
  RegKey Root() { return RegKey::Open(key.root(), key.path()); }
};

TEST_F(BranchWalk, DepthFirstLinesRelativeToTheRootLeavingOutTheTopLevelName) {
  key.Create("AppEvents\\Schemes\\Apps");
  key.Create("AppEvents\\Schemes\\Names");
  key.Create("Key With Blanks\\  two  spaces ");
  key.Create("SOFTWARE\\Vendor");
  key.Create("Zed\\software\\inner");  // the name is left out at the top level only
  RegKey root = Root();
  ASSERT_TRUE(root);
  std::string out = dir / "curuser.TSB";
  test::WriteBytes(out, "an older snapshot\r\n");
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "", "software"), out, *progress));
  EXPECT_EQ(ReadBytes(out),
            "AppEvents\r\n"
            "AppEvents\\Schemes\r\n"
            "AppEvents\\Schemes\\Apps\r\n"
            "AppEvents\\Schemes\\Names\r\n"
            "Key With Blanks\r\n"
            "Key With Blanks\\  two  spaces \r\n"
            "Zed\r\n"
            "Zed\\software\r\n"
            "Zed\\software\\inner\r\n");
}

TEST_F(BranchWalk, SubkeyBranchAndItsLeftOutName) {
  key.Create("SOFTWARE\\Classes\\.txt");
  key.Create("SOFTWARE\\Vendor\\CLASSES");
  key.Create("Other");
  RegKey root = Root();
  std::string out = dir / "software.TSB";
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "SOFTWARE", "CLASSES"), out, *progress));
  EXPECT_EQ(ReadBytes(out), "Vendor\r\nVendor\\CLASSES\r\n");

  // A branch whose key is missing leaves its file empty.
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "CLSID", ""), out, *progress));
  EXPECT_TRUE(FileExists(out));
  EXPECT_EQ(ReadBytes(out), "");

  // A file that cannot be created fails the branch.
  EXPECT_FALSE(WriteBranchFile(TestBranch(root.get(), "", ""), dir / "missing\\x.TSB", *progress));
}

TEST_F(BranchWalk, LongNamesAndDeepPathsAreWalkedWhole) {
  // Names far beyond the usual sizes and a path longer than the registry's path limit:
  // every key is opened relative to its parent, and the sibling after the long name
  // is still listed.
  std::string longName(255, 'L');
  std::string level(120, 'd');
  CreateChain(Root().get(), {"a", longName, "child"});
  CreateChain(Root().get(), {"b", level + "1", level + "2", level + "3", level + "4"});
  CreateChain(Root().get(), {"c"});
  RegKey root = Root();
  std::string out = dir / "deep.TSB";
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "", ""), out, *progress));
  std::string deep = "b\\" + level + "1\\" + level + "2\\" + level + "3\\" + level + "4";
  EXPECT_EQ(ReadBytes(out), "a\r\n"
                            "a\\" + longName + "\r\n"
                            "a\\" + longName + "\\child\r\n"
                            "b\r\n"
                            "b\\" + level + "1\r\n"
                            "b\\" + level + "1\\" + level + "2\r\n"
                            "b\\" + level + "1\\" + level + "2\\" + level + "3\r\n" +
                            deep + "\r\n"
                            "c\r\n");
}

// Creates `parent`\`name` where the name may hold a NUL (which the ANSI calls cannot
// pass), or deletes it; through the native calls, with a counted name.
using NtCreateKeyFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG, PUNICODE_STRING, ULONG, PULONG);
using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
bool NativeKey(HKEY parent, const std::string& name, bool remove) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto create = reinterpret_cast<NtCreateKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateKey")));
  auto del = reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
  if (!create || !del) return false;
  std::wstring wide(name.begin(), name.end());
  UNICODE_STRING counted;
  counted.Buffer = wide.data();
  counted.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &counted, 0, parent, nullptr);
  HANDLE key = nullptr;
  if (create(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr) != 0) return false;
  bool ok = !remove || del(key) == 0;
  CloseHandle(key);
  return ok;
}

TEST_F(BranchWalk, NamesThatCannotBeOneLineAreLeftOutWithTheirSubtrees) {
  // A line feed, a carriage return, a Ctrl-Z or a NUL in a key's name would split or
  // cut its line when the snapshot is read back, and the pieces would read as the
  // paths of other keys ("TESSARYVICTIM", or the sibling "nul"). Such a key and its
  // subtree are left out; the walk goes on with its siblings.
  key.Create("x\nTESSARYVICTIM\\inner");
  key.Create("cr\rY");
  key.Create("ctlz\x1aQ");
  key.Create("nul");
  key.Create("plain\\below");
  RegKey root = Root();
  ASSERT_TRUE(root);
  ASSERT_TRUE(NativeKey(root.get(), std::string("nul\0VIC", 7), false));
  std::string out = dir / "curuser.TSB";
  std::vector<std::string> unwritable;
  EXPECT_TRUE(WriteBranchFile(TestBranch(root.get(), "", ""), out, *progress, &unwritable));
  EXPECT_TRUE(NativeKey(root.get(), std::string("nul\0VIC", 7), true));
  // The caller learns which keys were left out (the subtree's root only), names whole.
  std::sort(unwritable.begin(), unwritable.end());
  EXPECT_EQ(unwritable, (std::vector<std::string>{"cr\rY", "ctlz\x1aQ", std::string("nul\0VIC", 7),
                                                  "x\nTESSARYVICTIM"}));
  std::string text = ReadBytes(out);
  EXPECT_EQ(text.find("TESSARYVICTIM"), std::string::npos) << text;
  EXPECT_EQ(text.find("VIC\r"), std::string::npos) << text;
  EXPECT_EQ(text.find('\x1a'), std::string::npos) << text;
  // What is left are the ordinary keys, each on its own line, once.
  std::string sorted;
  {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      ASSERT_NE(end, std::string::npos) << text;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) sorted += line + "|";
  }
  EXPECT_EQ(sorted, "nul|plain|plain\\below|") << text;
}

TEST_F(BranchWalk, LargeBranchIsWrittenWhole) {
  // More than one write buffer of lines.
  RegKey root = Root();
  std::string pad(200, 'k');
  for (int i = 0; i < 400; ++i) CreateChain(root.get(), {pad + std::to_string(1000 + i)});
  std::string out = dir / "big.TSB";
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "", ""), out, *progress));
  std::string expected;
  for (int i = 0; i < 400; ++i) expected += pad + std::to_string(1000 + i) + "\r\n";
  EXPECT_EQ(ReadBytes(out), expected);
  EXPECT_GE(progresses.pumps, 6);  // messages go through while the branch is walked
}

TEST(RegistryBranches, TableInWritingOrder) {
  const char* bases[] = {"curuser", "locmach", "software", "classes", "clsid", "users", "crconfig"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(kRegistryBranches[i].fileBase, bases[i]);
  EXPECT_STREQ(kRegistryBranches[1].leftOut, "SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[2].subkey, "SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[2].leftOut, "CLASSES");
  EXPECT_STREQ(kRegistryBranches[2].progressText, "HKEY_LOCAL_MACHINE\\SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[3].leftOut, "CLSID");
  EXPECT_STREQ(kRegistryBranches[4].subkey, "CLSID");
  EXPECT_EQ(kRegistryBranches[6].compareSwitch, &settings::kCCrConfig);
}

class RegistryExports : public test::HostTest {};

TEST_F(RegistryExports, SentinoxBackupWithCompSentinoxWritesNothing) {
  for (const char* value : {"", "YES"}) {  // the default is "yes"
    if (*value) Set(settings::kCompSentinox, value);
    EXPECT_TRUE(ExportRegistryForBackup(host, RunMode::Sentinox));
    for (const RegistryBranch& b : kRegistryBranches)
      EXPECT_FALSE(PathExists(backupDir + "\\" + b.fileBase + ".SNB")) << b.fileBase;
  }
  EXPECT_TRUE(host.progress.events.empty());
}

TEST_F(RegistryExports, CompareExportWritesOnlyEnabledBranches) {
  EXPECT_TRUE(ExportRegistryForCompare(host));
  for (const RegistryBranch& b : kRegistryBranches)
    EXPECT_FALSE(PathExists(backupDir + "\\" + b.fileBase + ".TST")) << b.fileBase;

  Set(settings::kCCrConfig, "Yes");
  Set(settings::kCUsers, "no");
  host.progress.events.clear();
  EXPECT_TRUE(ExportRegistryForCompare(host));
  EXPECT_TRUE(FileExists(backupDir + "\\crconfig.TST"));
  EXPECT_FALSE(PathExists(backupDir + "\\users.TST"));
  EXPECT_EQ(host.progress.events, (std::vector<std::string>{"open:Please wait...",
                                                            "main:Preparing to Compare Registry.",
                                                            "detail:HKEY_CURRENT_CONFIG", "close"}));
}

TEST_F(RegistryExports, BackupExportWritesAllSevenBranches) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ExportRegistryForBackup(host, RunMode::Direct));
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("full registry export: %.1f s\n", seconds);
  for (const RegistryBranch& b : kRegistryBranches)
    EXPECT_TRUE(FileExists(backupDir + "\\" + b.fileBase + ".TSB")) << b.fileBase;
  EXPECT_EQ(host.progress.Mains(), (std::vector<std::string>{"Backing up Registry."}));
  EXPECT_EQ(host.progress.Details(),
            (std::vector<std::string>{"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\SOFTWARE",
                                      "HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT\\CLSID", "HKEY_USERS",
                                      "HKEY_CURRENT_CONFIG"}));
  std::string locmach = ReadBytes(backupDir + "\\locmach.TSB");
  std::string software = ReadBytes(backupDir + "\\software.TSB");
  std::string classes = ReadBytes(backupDir + "\\classes.TSB");
  // The left-out subtrees are covered by their own branches.
  EXPECT_EQ(("\r\n" + locmach).find("\r\nSoftware"), std::string::npos);
  EXPECT_EQ(("\r\n" + locmach).find("\r\nSOFTWARE"), std::string::npos);
  EXPECT_NE(locmach.find("System\r\n"), std::string::npos);
  EXPECT_NE(software.find("Microsoft\r\n"), std::string::npos);
  EXPECT_EQ(("\r\n" + software).find("\r\nClasses"), std::string::npos);
  EXPECT_EQ(("\r\n" + classes).find("\r\nCLSID"), std::string::npos);
  EXPECT_NE(ReadBytes(backupDir + "\\curuser.TSB").find("Software\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tessary
