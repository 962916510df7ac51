// The registry snapshot: branch walk, left-out names, file handling and the exports.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sha256.h"
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

// SOFTWARE\Wow6432Node\Classes holds the 32-bit programs' classes that
// HKEY_CLASSES_ROOT\Wow6432Node shows: the SOFTWARE branch leaves them out, keys and
// values, so that a class a 32-bit installer registers is found once. A Classes key
// anywhere else stays.
TEST_F(BranchWalk, SoftwareLeavesOutThe32BitClassesBelowWow6432Node) {
  key.Create("SOFTWARE\\Classes\\.txt");
  key.Create("SOFTWARE\\Wow6432Node\\Classes\\CLSID\\{X}");
  key.Create("SOFTWARE\\Wow6432Node\\Vendor\\Classes");
  key.Create("SOFTWARE\\Vendor\\Wow6432Node\\Classes");
  RegKey root = Root();
  RegistryBranch branch = TestBranch(root.get(), "SOFTWARE", "CLASSES");
  branch.leftOutBelowWow = "CLASSES";
  const std::string out = dir / "software.TSB", values = dir / "software_val.TSB";
  ASSERT_TRUE(WriteBranchFile(branch, out, *progress, nullptr, values));
  const std::string kept =
      "Vendor\r\nVendor\\Wow6432Node\r\nVendor\\Wow6432Node\\Classes\r\n"
      "Wow6432Node\r\nWow6432Node\\Vendor\r\nWow6432Node\\Vendor\\Classes\r\n";
  EXPECT_EQ(ReadBytes(out), kept);
  EXPECT_EQ(ReadBytes(values).find("CLSID"), std::string::npos) << ReadBytes(values);
  // Without the name, the branch holds them.
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "SOFTWARE", "CLASSES"), out, *progress));
  EXPECT_NE(ReadBytes(out).find("Wow6432Node\\Classes\\CLSID\\{X}\r\n"), std::string::npos);
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

TEST_F(BranchWalk, ValuesAreWrittenInTheSameWalkAsTheKeys) {
  // Values created in the order the registry lists them (Wine keeps them sorted).
  RegKey root = Root();
  key.Create("A\\Sub");
  key.Create("B");
  key.Create("x\nY");  // left out of both files, values and all
  const RegKey a = RegKey::OpenForValues(root.get(), "A"), b = RegKey::OpenForValues(root.get(), "B");
  const RegKey hidden = RegKey::OpenForValues(root.get(), "x\nY");
  ASSERT_TRUE(a && b && hidden);
  ASSERT_TRUE(test::SetRawValue(root.get(), u"", REG_SZ, test::Utf16Bytes(std::u16string(u"root\0", 5))));
  ASSERT_TRUE(test::SetRawValue(a.get(), u"Count", REG_DWORD, std::string("\x07\0\0\0", 4)));
  ASSERT_TRUE(test::SetRawValue(a.get(), u"tab\tname", REG_SZ, test::Utf16Bytes(u"no end")));
  ASSERT_TRUE(test::SetRawValue(b.get(), u"Big", REG_BINARY, std::string(70000, 'b')));
  ASSERT_TRUE(test::SetRawValue(b.get(), u"List", REG_MULTI_SZ, test::Utf16Bytes(std::u16string(u"x\0y\0\0", 5))));
  ASSERT_TRUE(test::SetRawValue(hidden.get(), u"Secret", REG_SZ, test::Utf16Bytes(u"s")));
  const std::string keys = dir / "t.TSB", values = dir / "t_val.TSB", keysOnly = dir / "only.TSB";
  std::vector<std::string> unwritable;
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "", ""), keys, *progress, &unwritable, values));
  EXPECT_EQ(unwritable, std::vector<std::string>{"x\nY"});
  EXPECT_EQ(ReadBytes(keys), "A\r\nA\\Sub\r\nB\r\n");
  EXPECT_EQ(ReadBytes(values), "TESSARY REGISTRY VALUES 1\r\n"
                               "\t\tREG_SZ\t\"root\r\n"
                               "A\r\n"
                               "\tCount\tREG_DWORD\t:07000000\r\n"
                               "\ttab%0009name\tREG_SZ\t'no end\r\n"
                               "A\\Sub\r\n"
                               "B\r\n"
                               "\tBig\tREG_BINARY\t*70000:" + Sha256Hex(std::string(70000, 'b')) + "\r\n"
                               "\tList\tREG_MULTI_SZ\t\"x%0000y%0000\r\n");
  // The key snapshot is the one a walk without values writes.
  ASSERT_TRUE(WriteBranchFile(TestBranch(root.get(), "", ""), keysOnly, *progress));
  EXPECT_EQ(ReadBytes(keysOnly), ReadBytes(keys));
  // A value file that cannot be made fails the branch.
  EXPECT_FALSE(WriteBranchFile(TestBranch(root.get(), "", ""), keys, *progress, nullptr, dir / "missing\\v.TSB"));
}

TEST(RegistryBranches, TableInWritingOrder) {
  const char* bases[] = {"curuser", "locmach", "software", "classes", "clsid", "users", "crconfig"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(kRegistryBranches[i].fileBase, bases[i]);
  EXPECT_STREQ(kRegistryBranches[1].leftOut, "SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[2].subkey, "SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[2].leftOut, "CLASSES");
  EXPECT_STREQ(kRegistryBranches[2].progressText, "HKEY_LOCAL_MACHINE\\SOFTWARE");
  EXPECT_STREQ(kRegistryBranches[2].leftOutBelowWow, "CLASSES");
  for (int i : {0, 1, 3, 4, 5, 6}) EXPECT_STREQ(kRegistryBranches[i].leftOutBelowWow, "") << i;
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

// Names of the backup directory's files, sorted.
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  DirSearch search(dir + "\\*");
  FindEntry entry;
  while (search.Next(entry))
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(RegistryExports, BackupWithoutValuesWritesTheSetAsBeforeAndDropsOlderValueFiles) {
  // What an earlier backup with values left behind.
  for (const char* stale : {"curuser_val.TSB", "services.TSB", "services_val.TSB", "userenv.TSB", "users_val.SNB"})
    test::WriteBytes(backupDir + "\\" + stale, "TESSARY REGISTRY VALUES 1\r\n");
  EXPECT_TRUE(ExportRegistryForBackup(host, RunMode::Direct));
  DeleteValueSnapshots(backupDir, "TSB");  // as a backup run does once the set is in place
  EXPECT_EQ(FilesIn(backupDir), (std::vector<std::string>{"classes.TSB", "clsid.TSB", "crconfig.TSB", "curuser.TSB",
                                                           "locmach.TSB", "software.TSB", "users.TSB",
                                                           "users_val.SNB"}));  // another mode's set stays
  const std::string curuser = ReadBytes(backupDir + "\\curuser.TSB");
  // With values the key snapshots are byte for byte the same; the value files come beside them.
  Set(settings::kRecordValues, "yes");
  host.progress.events.clear();
  EXPECT_TRUE(ExportRegistryForBackup(host, RunMode::Direct));
  EXPECT_EQ(ReadBytes(backupDir + "\\curuser.TSB"), curuser);
  EXPECT_EQ(FilesIn(backupDir),
            (std::vector<std::string>{"classes.TSB", "classes_val.TSB", "clsid.TSB", "clsid_val.TSB", "crconfig.TSB",
                                      "crconfig_val.TSB", "curuser.TSB", "curuser_val.TSB", "locmach.TSB",
                                      "locmach_val.TSB", "services.TSB", "services_val.TSB", "software.TSB",
                                      "software_val.TSB", "sysenv.TSB", "sysenv_val.TSB", "userenv.TSB",
                                      "userenv_val.TSB", "users.TSB", "users_val.SNB", "users_val.TSB"}));
  EXPECT_EQ(host.progress.Details(),
            (std::vector<std::string>{"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\SOFTWARE",
                                      "HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT\\CLSID", "HKEY_USERS",
                                      "HKEY_CURRENT_CONFIG", "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
                                      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                      "HKEY_CURRENT_USER\\Environment"}));
  for (const char* base : {"curuser", "services", "sysenv", "userenv"})
    EXPECT_EQ(ReadBytes(backupDir + "\\" + base + "_val.TSB").rfind("TESSARY REGISTRY VALUES 1\r\n", 0), 0u) << base;
  // The system's environment has its PATH, and the user's environment is a key of its own.
  EXPECT_NE(ReadBytes(backupDir + "\\sysenv_val.TSB").find("\r\n\tPATH\tREG_"), std::string::npos);
  EXPECT_NE(ReadBytes(backupDir + "\\curuser_val.TSB").find("\r\nEnvironment\r\n"), std::string::npos);
}

TEST_F(RegistryExports, CompareExportRecordsValuesOfItsBranchesAndTheValueBranchesNoneHolds) {
  Set(settings::kCuruser, "yes");
  Set(settings::kRecordValues, "yes");
  EXPECT_TRUE(ExportRegistryForCompare(host));
  EXPECT_EQ(FilesIn(backupDir), (std::vector<std::string>{"curuser.TST", "curuser_val.TST", "services.TST",
                                                           "services_val.TST", "sysenv.TST", "sysenv_val.TST"}));
  for (const std::string& f : FilesIn(backupDir)) DeleteFileA((backupDir + "\\" + f).c_str());
  // The caller's switch comes before the setting, both ways.
  EXPECT_TRUE(ExportRegistryForCompare(host, nullptr, ValuesSwitch::Off));
  EXPECT_EQ(FilesIn(backupDir), std::vector<std::string>{"curuser.TST"});
  DeleteFileA((backupDir + "\\curuser.TST").c_str());
  Set(settings::kRecordValues, "no");
  Set(settings::kCuruser, "no");
  Set(settings::kCLocmach, "yes");
  EXPECT_TRUE(ExportRegistryForCompare(host, nullptr, ValuesSwitch::On));
  EXPECT_EQ(FilesIn(backupDir), (std::vector<std::string>{"locmach.TST", "locmach_val.TST", "userenv.TST",
                                                           "userenv_val.TST"}));
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
