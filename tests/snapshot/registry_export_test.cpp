// The registry snapshot: branch walk, left-out names, file handling and the exports.
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
