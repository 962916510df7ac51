// The registry section: the unchanged-snapshot test, exact lookups, the report and
// action lines, missing snapshots and disabled branches.
#include <gtest/gtest.h>

#include "compare/compare_run.h"
#include "compare/logic/compare_text.h"
#include "compare/logic/registry_logic.h"
#include "compare/registry_compare.h"
#include "snapshot/registry_export.h"
#include "platform/files.h"
#include "section_test.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class RegistryCompareTest : public test::SectionRunTest {
 protected:
  void Snapshot(const std::string& name, const std::string& content) { WriteBytes(backupDir + "\\" + name, content); }
};

constexpr const char* kAllDisabled =
    "================\r\nRegistry keys ADDED:\r\n- - - - -\r\n"
    "***User has disabled compare of: HKEY_CURRENT_USER Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_LOCAL_MACHINE Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_LOCAL_MACHINE\\SOFTWARE Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_CLASSES_ROOT Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_CLASSES_ROOT\\CLSID Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_USERS Registry Branch.\r\n"
    "***User has disabled compare of: HKEY_CURRENT_CONFIG Registry Branch.\r\n"
    "================\r\n";

TEST_F(RegistryCompareTest, AllBranchesDisabledByDefault) {
  Snapshot("stale.TST", "x");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(ReadBytes(run.reportPath), kAllDisabled);
  EXPECT_EQ(ReadBytes(run.actionPath), "");
  EXPECT_FALSE(FileExists(backupDir + "\\stale.TST"));  // every TST goes at the end
}

TEST_F(RegistryCompareTest, ReportsNewKeysOfTheSoftwareBranchInWalkOrder) {
  Set(settings::kCSoftware, "yes");
  Set(settings::kCClsid, "YES");
  Snapshot("software.TSB", "Microsoft\r\nMicrosoft\\Windows\r\nVendor\r\n");
  Snapshot("software.TST", "Microsoft\r\nNewVendor\r\nNewVendor\\NewApp\r\nMicrosoft\\Windows\r\nVENDOR\r\n");
  Snapshot("clsid.TSB", "{1}\r\n{2}\r\n");
  Snapshot("clsid.TST", "{1}\r\n");  // a key deleted last: unchanged
  Snapshot("keep.TSTX", "not a compare snapshot");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  std::string expected = kAllDisabled;
  expected.replace(expected.find("***User has disabled compare of: HKEY_LOCAL_MACHINE\\SOFTWARE"),
                   std::string("***User has disabled compare of: HKEY_LOCAL_MACHINE\\SOFTWARE Registry Branch.\r\n").size(),
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\r\n"
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\\NewApp\r\n"
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR\r\n");
  expected.erase(expected.find("***User has disabled compare of: HKEY_CLASSES_ROOT\\CLSID"),
                 std::string("***User has disabled compare of: HKEY_CLASSES_ROOT\\CLSID Registry Branch.\r\n").size());
  EXPECT_EQ(ReadBytes(run.reportPath), expected);
  EXPECT_EQ(ReadBytes(run.actionPath),
            "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor>FROM:REG.DAT\r\n"
            "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\\NewApp>FROM:REG.DAT\r\n"
            "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR>FROM:REG.DAT\r\n");
  EXPECT_FALSE(FileExists(backupDir + "\\software.TST"));
  EXPECT_TRUE(FileExists(backupDir + "\\software.TSB"));
  EXPECT_TRUE(FileExists(backupDir + "\\keep.TSTX"));
}

TEST_F(RegistryCompareTest, CaseOnlyChangeIsUnchangedWhenItIsTheOnlyChange) {
  Set(settings::kCuruser, "yes");
  Snapshot("curuser.TSB", "Software\r\nSoftware\\Vendor\r\n");
  Snapshot("curuser.TST", "Software\r\nSoftware\\VENDOR\r\n");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  std::string expected = kAllDisabled;
  expected.erase(expected.find("***User has disabled compare of: HKEY_CURRENT_USER "),
                 std::string("***User has disabled compare of: HKEY_CURRENT_USER Registry Branch.\r\n").size());
  EXPECT_EQ(ReadBytes(run.reportPath), expected);
}

TEST_F(RegistryCompareTest, SentinoxRunsReadTheSentinoxSnapshot) {
  host.state.RunMode = RunMode::Sentinox;
  Set(settings::kCUsers, "yes");
  Snapshot("users.TSB", "");
  Snapshot("users.SNB", ".DEFAULT\r\n");
  Snapshot("users.TST", ".DEFAULT\r\n");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(ReadBytes(run.actionPath), "");
}

TEST_F(RegistryCompareTest, MissingSnapshotEndsTheSectionBeforeWritingAnything) {
  Set(settings::kCuruser, "yes");
  Set(settings::kCLocmach, "yes");
  Snapshot("curuser.TSB", "A\r\n");
  Snapshot("curuser.TST", "A\r\nB\r\n");
  Snapshot("locmach.TST", "HARDWARE\r\n");  // its backup is gone
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Unable to find locmach.TST/locmach.TSB/locmach.SNB in the Tessary compare directory. Please ensure this "
            "file has not been deleted.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Registry Compare (Local_Machine) File Error");
  EXPECT_EQ(ReadBytes(run.reportPath), "");
  EXPECT_EQ(ReadBytes(run.actionPath), "");
  EXPECT_TRUE(FileExists(backupDir + "\\curuser.TST"));  // left in place

  std::remove((backupDir + "\\curuser.TST").c_str());
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(host.prompter.boxes[1].caption, "Registry Compare (Current_User) File Error");
  EXPECT_EQ(host.prompter.boxes[1].text,
            "Unable to find CURUSER.TST/CURUSER.TSB/CURUSER.SNB in the Tessary compare directory. Please ensure this "
            "file has not been deleted.");
}

TEST_F(RegistryCompareTest, ShowProgressChoosesWhichPathsAreShown) {
  Set(settings::kCUsers, "yes");
  Set(settings::kShowProgress, "no");
  Snapshot("users.TSB", "A\r\n");
  Snapshot("users.TST", "A\r\nA\\B\r\nC\r\n");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_FALSE(run.showRegistryKeys);
  std::vector<std::string> details = host.progress.Details();
  EXPECT_NE(std::find(details.begin(), details.end(), "C"), details.end());
  EXPECT_EQ(std::find(details.begin(), details.end(), "A\\B"), details.end());
  EXPECT_NE(std::find(details.begin(), details.end(), "HKEY_CURRENT_CONFIG"), details.end());
}

TEST_F(RegistryCompareTest, CancelIsSeenWhenTheSectionHasFinished) {
  Set(settings::kCUsers, "yes");
  Snapshot("users.TSB", "A\r\n");
  Snapshot("users.TST", "A\r\nNEW\r\n");
  host.progress.cancelAt = 1;
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Cancelled);
  // The walk itself is not cut short.
  EXPECT_EQ(ReadBytes(run.actionPath), "REG_DAT_REMOVE:HKEY_USERS\\NEW>FROM:REG.DAT\r\n");
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// Against the live registry of the test prefix: a program that creates
// NewVendor\NewApp below a key of the current user.
TEST_F(RegistryCompareTest, FindsKeysCreatedSinceTheBackup) {
  test::TempRegKey base;
  base.Create("Vendor\\OldApp");
  Set(settings::kCuruser, "yes");
  ExportRegistryForCompare(host);
  ASSERT_TRUE(MoveFileA((backupDir + "\\curuser.TST").c_str(), (backupDir + "\\curuser.TSB").c_str()));
  base.Create("NewVendor\\NewApp");
  base.Create("VENDOR\\OldApp\\Deeper");

  EXPECT_EQ(CompareRegistry(run), SectionResult::Done);
  const std::string prefix = "HKEY_CURRENT_USER\\" + base.path() + "\\";
  std::string report = ReadBytes(run.reportPath);
  EXPECT_NE(report.find(prefix + "NewVendor\r\n" + prefix + "NewVendor\\NewApp\r\n"), std::string::npos) << report;
  // The branch enumerates the existing "Vendor" key under its stored name.
  EXPECT_NE(report.find(prefix + "Vendor\\OldApp\\Deeper\r\n"), std::string::npos) << report;
  std::string actions = ReadBytes(run.actionPath);
  EXPECT_NE(actions.find("REG_DAT_REMOVE:" + prefix + "NewVendor>FROM:REG.DAT\r\nREG_DAT_REMOVE:" + prefix +
                         "NewVendor\\NewApp>FROM:REG.DAT\r\n"),
            std::string::npos)
      << actions;
  EXPECT_EQ(actions.find(prefix + "Vendor\\OldApp>"), std::string::npos);
  EXPECT_FALSE(FileExists(backupDir + "\\curuser.TST"));
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// A key whose name holds a line feed cannot be one line of a snapshot. Written raw,
// "x<LF>TESSARYVICTIM" read back as the key "x" below the test key and the top-level
// key TESSARYVICTIM of the current user, which the report offered for deletion.
TEST_F(RegistryCompareTest, AKeyNameWithALineBreakIsLeftOutAndNamesNoOtherKey) {
  test::TempRegKey base;
  base.Create("Vendor");
  Set(settings::kCuruser, "yes");
  ExportRegistryForCompare(host);
  ASSERT_TRUE(MoveFileA((backupDir + "\\curuser.TST").c_str(), (backupDir + "\\curuser.TSB").c_str()));
  base.Create("Vendor\\x\nTESSARYVICTIM\\deeper");
  base.Create("NewVendor");

  EXPECT_EQ(CompareRegistry(run), SectionResult::Done);
  const std::string prefix = "HKEY_CURRENT_USER\\" + base.path() + "\\";
  // The new ordinary key is reported and undone as before; the other is only named,
  // in a form that stays on one line, and gets no action.
  EXPECT_EQ(ReadBytes(run.actionPath), "REG_DAT_REMOVE:" + prefix + "NewVendor>FROM:REG.DAT\r\n");
  std::string report = ReadBytes(run.reportPath);
  EXPECT_NE(report.find(prefix + "NewVendor\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find(std::string(kLeftOutPrefix) + prefix + "Vendor\\x<0A>TESSARYVICTIM\r\n"), std::string::npos)
      << report;
  EXPECT_EQ(report.find("deeper"), std::string::npos) << report;
  EXPECT_EQ(report.find("\r\nTESSARYVICTIM"), std::string::npos) << report;
  EXPECT_EQ(report.find("HKEY_CURRENT_USER\\TESSARYVICTIM"), std::string::npos) << report;
}

TEST_F(RegistryCompareTest, LeftOutKeysAreNamedAlsoInAnUnchangedBranch) {
  // The snapshots agree (the key is in neither), yet the key was compared with nothing:
  // the report says so in its branch's part, in walk order after the added keys.
  Set(settings::kCUsers, "yes");
  Snapshot("users.TSB", "A\r\n");
  Snapshot("users.TST", "A\r\n");
  UnwritableKeys unwritable;
  unwritable[5] = {"A\\line\r\nbreak", std::string("nul\0x", 5)};
  EXPECT_EQ(CompareRegistrySnapshots(run, &unwritable), SectionResult::Done);
  std::string expected = kAllDisabled;
  expected.replace(expected.find("***User has disabled compare of: HKEY_USERS "),
                   std::string("***User has disabled compare of: HKEY_USERS Registry Branch.\r\n").size(),
                   std::string(kLeftOutPrefix) + "HKEY_USERS\\A\\line<0D><0A>break\r\n" + kLeftOutPrefix +
                       "HKEY_USERS\\nul<00>x\r\n");
  EXPECT_EQ(ReadBytes(run.reportPath), expected);
  EXPECT_EQ(ReadBytes(run.actionPath), "");
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

const std::string kValuesHead = "TESSARY REGISTRY VALUES 1\r\n";

class RegistryValuesCompareTest : public RegistryCompareTest {
 protected:
  // The current user's branch with one key added, one value of each kind changed, added
  // and deleted; the value branches the current user's setting does not cover are the
  // same at both times.
  void Snapshots() {
    Set(settings::kCuruser, "yes");
    Snapshot("curuser.TSB", "Software\r\nSoftware\\Vendor\r\n");
    Snapshot("curuser.TST", "Software\r\nSoftware\\NewApp\r\nSoftware\\Vendor\r\n");
    Snapshot("curuser_val.TSB", kValuesHead +
                                    "Software\r\n"
                                    "Software\\Vendor\r\n"
                                    "\tMode\tREG_SZ\t\"old\r\n"
                                    "\tLevel\tREG_DWORD\t:02000000\r\n"
                                    "\tBig\tREG_BINARY\t*70000:" + std::string(64, 'a') + "\r\n");
    Snapshot("curuser_val.TST", kValuesHead +
                                    "Software\r\n"
                                    "Software\\NewApp\r\n"
                                    "\tInKeyAdded\tREG_SZ\t\"x\r\n"
                                    "Software\\Vendor\r\n"
                                    "\tMode\tREG_EXPAND_SZ\t\"new\r\n"
                                    "\t\tREG_MULTI_SZ\t\"a%0000b%0000\r\n");
    for (const char* base : {"services", "sysenv"})
      for (const char* ext : {".TSB", ".TST"}) {
        Snapshot(std::string(base) + ext, "A\r\n");
        Snapshot(std::string(base) + "_val" + ext, kValuesHead + "A\r\n\tv\tREG_SZ\t\"same\r\n");
      }
  }
  static std::string KeysOnly() {
    std::string expected = kAllDisabled;
    expected.replace(expected.find("***User has disabled compare of: HKEY_CURRENT_USER "),
                     std::string("***User has disabled compare of: HKEY_CURRENT_USER Registry Branch.\r\n").size(),
                     "HKEY_CURRENT_USER\\Software\\NewApp\r\n");
    return expected;
  }
};

TEST_F(RegistryValuesCompareTest, ValuesAddedChangedAndDeletedAreReportedAfterTheKeysWithTheirActions) {
  Set(settings::kRecordValues, "yes");
  Snapshots();
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  const std::string vendor = "HKEY_CURRENT_USER\\Software\\Vendor";
  EXPECT_EQ(Report(), KeysOnly() +
                          "Registry values ADDED:\r\n- - - - -\r\n" +
                          vendor + " (Default) = REG_MULTI_SZ, 10 bytes: \"a\", \"b\"\r\n"
                          "- - - - -\r\nRegistry values CHANGED:\r\n- - - - -\r\n" +
                          vendor + " \"Mode\"\r\n"
                          "FROM:  REG_SZ, 8 bytes: \"old\"\r\n"
                          "TO:    REG_EXPAND_SZ, 8 bytes: \"new\"\r\n"
                          "- - - - -\r\nRegistry values DELETED:\r\n- - - - -\r\n" +
                          vendor + " \"Level\" = REG_DWORD, 4 bytes: 0x00000002 (2)\r\n" +
                          vendor + " \"Big\" = REG_BINARY, 70000 bytes (SHA-256 aaaaaaaaaaaaaaaa...), not restorable\r\n"
                          "================\r\n");
  EXPECT_EQ(Actions(), "REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\NewApp>FROM:REG.DAT\r\n"
                       "REG_VALUE_REMOVE:>TYPE:REG_MULTI_SZ>SIZE:10>DATA:\"a%0000b%0000>FROM:" + vendor + "\r\n"
                       "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:" + vendor + "\r\n"
                       "REG_VALUE_RESTORE:Level>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:" + vendor + "\r\n");
  for (const char* f : {"curuser.TST", "curuser_val.TST", "services_val.TST", "sysenv.TST"})
    EXPECT_FALSE(FileExists(backupDir + "\\" + f)) << f;
}

// With the summary on, every finding is handed over with the action that undoes it:
// the values of an added key with none (the key's removal takes them), a value whose old
// data was not kept whole with none.
TEST_F(RegistryValuesCompareTest, TheSummaryReceivesEveryFindingWithItsAction) {
  Set(settings::kRecordValues, "yes");
  Snapshots();
  run.summarize = true;
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  const std::string user = "HKEY_CURRENT_USER\\Software\\";
  std::vector<std::string> got;
  for (const InstallFinding& f : run.findings)
    got.push_back(std::to_string(static_cast<int>(f.kind)) + "|" + f.path + "|" + f.name + "|" + f.data + "|" +
                  f.oldData + "|" + f.action.substr(0, f.action.find(':')));
  EXPECT_EQ(got, (std::vector<std::string>{
                     "0|" + user + "NewApp||||REG_DAT_REMOVE",
                     "1|" + user + "Vendor||a; b||REG_VALUE_REMOVE",
                     "2|" + user + "Vendor|Mode|new|old|REG_VALUE_RESTORE",
                     "3|" + user + "Vendor|Level|2||REG_VALUE_RESTORE",
                     "3|" + user + "Vendor|Big|(70000 bytes, not kept whole)||",
                     "1|" + user + "NewApp|InKeyAdded|x||",
                 }));
  // Without it, nothing is gathered.
  run.summarize = false;
  run.findings.clear();
  Snapshots();
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_TRUE(run.findings.empty());
}

// The SOFTWARE branch no longer walks the 32-bit classes below Wow6432Node (HKEY_CLASSES_ROOT
// shows them): a backup made while it did holds values there that today's snapshot lacks.
// They are not gone, and nothing is proposed to put them back; a 32-bit program's own key
// beside them still is.
TEST_F(RegistryValuesCompareTest, AnOlderBackupsClassesBelowWow6432NodeAreNoDeletedValues) {
  Set(settings::kRecordValues, "yes");
  Set(settings::kCSoftware, "yes");
  Snapshot("software.TSB", "Wow6432Node\r\nWow6432Node\\Classes\r\nWow6432Node\\Classes\\.w32\r\nWow6432Node\\Vendor\r\n");
  Snapshot("software.TST", "Wow6432Node\r\nWow6432Node\\Vendor\r\n");
  Snapshot("software_val.TSB", kValuesHead +
                                   "Wow6432Node\r\n"
                                   "Wow6432Node\\Classes\r\n"
                                   "Wow6432Node\\Classes\\.w32\r\n\t\tREG_SZ\t\"W32.Doc\r\n"
                                   "Wow6432Node\\Vendor\r\n\tMode\tREG_SZ\t\"old\r\n");
  Snapshot("software_val.TST", kValuesHead + "Wow6432Node\r\nWow6432Node\\Vendor\r\n");
  for (const char* base : {"services", "sysenv"})
    for (const char* ext : {".TSB", ".TST"}) {
      Snapshot(std::string(base) + ext, "");
      Snapshot(std::string(base) + "_val" + ext, kValuesHead);
    }
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(Report().find("Classes"), std::string::npos) << Report();
  EXPECT_NE(Report().find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor \"Mode\""), std::string::npos) << Report();
  EXPECT_EQ(Actions(), "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor\r\n");
}

// A run whose only change is a value is no run without changes.
TEST_F(RegistryValuesCompareTest, AValueChangeAloneIsAChange) {
  Set(settings::kRecordValues, "yes");
  Set(settings::kCuruser, "yes");
  Snapshot("curuser.TSB", "Software\r\n");
  Snapshot("curuser.TST", "Software\r\n");
  Snapshot("curuser_val.TSB", kValuesHead + "Software\r\n\tMode\tREG_SZ\t\"old\r\n");
  Snapshot("curuser_val.TST", kValuesHead + "Software\r\n\tMode\tREG_SZ\t\"old\r\n");
  for (const char* base : {"services", "sysenv"})
    for (const char* ext : {".TSB", ".TST"}) {
      Snapshot(std::string(base) + ext, "");
      Snapshot(std::string(base) + "_val" + ext, kValuesHead);
    }
  run.noChangesFound = true;
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_TRUE(run.noChangesFound) << Report();

  Snapshot("curuser.TST", "Software\r\n");
  Snapshot("curuser_val.TST", kValuesHead + "Software\r\n\tMode\tREG_SZ\t\"new\r\n");
  for (const char* base : {"services", "sysenv"}) {
    Snapshot(std::string(base) + ".TST", "");
    Snapshot(std::string(base) + "_val.TST", kValuesHead);
  }
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_FALSE(run.noChangesFound) << Report();
}

// With values off, the section is what it always was, to the byte, whatever value files
// lie about; the caller's switch (the command line's) wins over the setting either way.
TEST_F(RegistryValuesCompareTest, ValuesOffLeavesTheSectionByteForByteAsWithoutThem) {
  Snapshots();
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(Report(), KeysOnly());
  EXPECT_EQ(Actions(), "REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\NewApp>FROM:REG.DAT\r\n");

  Set(settings::kRecordValues, "yes");
  run.values = ValuesSwitch::Off;
  WriteBytes(run.reportPath, "");
  WriteBytes(run.actionPath, "");
  Snapshots();
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(Report(), KeysOnly());
  EXPECT_EQ(Actions(), "REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\NewApp>FROM:REG.DAT\r\n");

  Set(settings::kRecordValues, "no");
  run.values = ValuesSwitch::On;
  WriteBytes(run.reportPath, "");
  WriteBytes(run.actionPath, "");
  Snapshots();
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_NE(Report().find("Registry values CHANGED:"), std::string::npos) << Report();
}

// Value snapshots an older backup left beside a set recorded without them are not the
// set's: never held against today's values (no old value is put back over a newer one).
TEST_F(RegistryValuesCompareTest, OnlyTheValueSnapshotsTheSetsRecordNamesAreCompared) {
  Set(settings::kRecordValues, "yes");
  Snapshots();
  const BackupRecord record{true, {{"curuser.TSB", *FileSize(backupDir + "\\curuser.TSB")}}};
  WriteBytes(backupDir + "\\complete.tsb", FormatBackupRecord(record));
  run.setFiles = BackupSetFiles::Read(backupDir, "tsb");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  EXPECT_EQ(Actions(), "REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\NewApp>FROM:REG.DAT\r\n");
  EXPECT_NE(Report().find("***Values were not recorded at backup for: HKEY_CURRENT_USER Registry Branch.\r\n"),
            std::string::npos) << Report();
  EXPECT_EQ(Report().find("Mode"), std::string::npos) << Report();
}

// A backup taken without values: the keys are compared as ever, and the values part
// says which branches it could not compare.
TEST_F(RegistryValuesCompareTest, ABackupWithoutValuesIsNamedInTheValuesPart) {
  Set(settings::kRecordValues, "yes");
  Set(settings::kCuruser, "yes");
  Snapshot("curuser.TSB", "Software\r\n");
  Snapshot("curuser.TST", "Software\r\n");
  Snapshot("curuser_val.TST", kValuesHead + "Software\r\n");
  EXPECT_EQ(CompareRegistrySnapshots(run), SectionResult::Done);
  const std::string report = Report();
  EXPECT_NE(report.find("================\r\n"
                        "***Values were not recorded at backup for: HKEY_CURRENT_USER Registry Branch.\r\n"
                        "***Values were not recorded at backup for: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services "
                        "Registry Branch.\r\n"
                        "***Values were not recorded at backup for: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\"
                        "Session Manager\\Environment Registry Branch.\r\n"
                        "Registry values ADDED:\r\n- - - - -\r\n- - - - -\r\n"),
            std::string::npos) << report;
  EXPECT_EQ(Actions(), "");
}

}  // namespace
}  // namespace tessary
