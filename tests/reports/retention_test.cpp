// Retention of Sentinox reports: the keep count, the exchange ordering and the
// deletions with their questions.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/commands.h"
#include "platform/files.h"
#include "reports/logic/retention_logic.h"
#include "platform/files.h"
#include "uninstall/logic/compare_file_names.h"
#include "uninstall/logic/action_file.h"
#include "testbed.h"

namespace tessary {
namespace {

class RetentionTest : public test::HostTest {
 protected:
  // Twelve reports 01..12, report NN written on day NN, each with its .tsu, its evidence
  // (.tse) and .log.
  void MakeReports(int count) {
    for (int i = 1; i <= count; ++i) {
      char base[16];
      std::snprintf(base, sizeof base, "S%02d", i);
      for (const char* ext : {".SNC", ".TSU", ".tse", ".LOG"}) {
        std::string path = backupDir + "\\" + base + ext;
        test::WriteBytes(path, "x");
        test::SetLastWrite(path, 1997, 3, i, 10, 0, 0);
      }
    }
  }
  bool Has(const std::string& name) { return FileExists(backupDir + "\\" + name); }
  int CountReports() {
    int n = 0;
    DirSearch s(backupDir + "\\*.SNC");
    FindEntry e;
    while (s.Next(e)) ++n;
    return n;
  }
};

TEST_F(RetentionTest, InvalidSettingsDeleteNothingSilently) {
  MakeReports(12);
  Set(settings::kKeepLastSNC, "yes");
  Set(settings::kConfirmSNCDelete, "no");
  for (const char* value : {"9", "201", "abc", ""}) {
    Set(settings::kLastSNC, value);
    PruneSentinoxReports(host);
    EXPECT_EQ(CountReports(), 12) << value;
  }
  Set(settings::kLastSNC, "10");
  Set(settings::kKeepLastSNC, "no");
  PruneSentinoxReports(host);
  EXPECT_EQ(CountReports(), 12);
  EXPECT_TRUE(host.prompter.boxes.empty());
}

TEST_F(RetentionTest, KeepsTheTenNewestAndTheLogsOfTheDeleted) {
  MakeReports(12);
  Set(settings::kKeepLastSNC, "YES");
  Set(settings::kLastSNC, "10");
  Set(settings::kConfirmSNCDelete, "no");
  PruneSentinoxReports(host);
  EXPECT_EQ(CountReports(), 10);
  for (const char* gone : {"S01.SNC", "S01.TSU", "S01.tse", "S02.SNC", "S02.TSU", "S02.tse"})
    EXPECT_FALSE(Has(gone)) << gone;
  for (const char* kept : {"S01.LOG", "S02.LOG", "S03.SNC", "S03.TSU", "S03.tse", "S12.SNC"}) EXPECT_TRUE(Has(kept)) << kept;
  EXPECT_TRUE(host.prompter.boxes.empty());
  PruneSentinoxReports(host);  // at the limit: nothing more
  EXPECT_EQ(CountReports(), 10);
}

TEST_F(RetentionTest, AsksForEachOldReportAndCancelStopsAtOnce) {
  MakeReports(13);
  Set(settings::kKeepLastSNC, "yes");
  Set(settings::kLastSNC, "10");
  host.prompter.Answer(id::kNo).Answer(id::kCancel);
  PruneSentinoxReports(host);
  EXPECT_EQ(CountReports(), 13);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  const auto& box = host.prompter.boxes[0];
  EXPECT_EQ(box.text,
            "This file is tagged for automatic deletion with the 'Keep only latest...' option.\n"
            "This dialog can be disabled through the 'Confirm SNC Deletions' Option.\n"
            "Delete this file?");
  EXPECT_EQ(box.caption, backupDir + "\\S03.SNC");  // the newest of the three past the limit
  EXPECT_EQ(box.style, mb::kYesNoCancel);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(host.prompter.boxes[1].caption, backupDir + "\\S02.SNC");

  host.prompter.Answer(id::kYes).Answer(id::kNo).Answer(id::kYes);
  PruneSentinoxReports(host);
  EXPECT_FALSE(Has("S03.SNC"));
  EXPECT_TRUE(Has("S02.SNC"));
  EXPECT_FALSE(Has("S01.SNC"));
  EXPECT_FALSE(Has("S01.TSU"));
}

TEST_F(RetentionTest, OnlyNamesEndingInSncAreReports) {
  // "*.SNC" also finds names whose short alias ends in ".SNC" ("OLD.SNCX" is "OLD~1.SNC"
  // on a disk with short names); those are no reports and retention leaves them alone.
  MakeReports(11);
  for (const char* other : {"OLD.SNCX", "OLDER.snc1", "OLD.SNC.BAK"}) {
    test::WriteBytes(backupDir + "\\" + other, "not a report");
    test::SetLastWrite(backupDir + "\\" + other, 1990, 1, 1, 0, 0, 0);
  }
  // A later pass of the same minute as S11 carries a suffix and is still a report.
  test::WriteBytes(backupDir + "\\S11_2.SNC", "x");
  test::SetLastWrite(backupDir + "\\S11_2.SNC", 1997, 3, 11, 10, 0, 2);
  Set(settings::kKeepLastSNC, "yes");
  Set(settings::kLastSNC, "10");
  Set(settings::kConfirmSNCDelete, "no");
  PruneSentinoxReports(host);
  for (const char* other : {"OLD.SNCX", "OLDER.snc1", "OLD.SNC.BAK"}) EXPECT_TRUE(Has(other)) << other;
  for (const char* gone : {"S01.SNC", "S01.TSU", "S02.SNC", "S02.TSU"}) EXPECT_FALSE(Has(gone)) << gone;
  for (const char* kept : {"S03.SNC", "S11.SNC", "S11_2.SNC"}) EXPECT_TRUE(Has(kept)) << kept;
}

TEST_F(RetentionTest, ReportListsShowOnlyNamesEndingInTheirExtension) {
  // The View and UnInstall lists search "*.tsc" and "*.snc" too: the short aliases of
  // longer extensions must not make other files look like reports.
  for (const char* name : {"A.TSC", "B.snc", "A.TSCX", "B.SNC1", "C.TSC.BAK"}) test::WriteBytes(backupDir + "\\" + name, "");
  auto listed = CompareFileList(FileNamesMatching, backupDir, true, true);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"A.TSC", "B.snc\tSentinox Compare File"}));
}

TEST_F(RetentionTest, HiddenReportsAreNeitherCountedNorDeleted) {
  MakeReports(11);
  test::SetAttributes(backupDir + "\\S01.SNC", FILE_ATTRIBUTE_HIDDEN);
  if (!(GetFileAttributesA((backupDir + "\\S01.SNC").c_str()) & FILE_ATTRIBUTE_HIDDEN))
    GTEST_SKIP() << "this file system keeps no hidden attribute";
  Set(settings::kKeepLastSNC, "yes");
  Set(settings::kLastSNC, "10");
  Set(settings::kConfirmSNCDelete, "no");
  PruneSentinoxReports(host);
  EXPECT_TRUE(Has("S01.SNC"));
  EXPECT_TRUE(Has("S02.SNC"));
  host.state.BackupDirectory = dir / "missing";
  PruneSentinoxReports(host);  // a missing directory: nothing, no message
}

}  // namespace
}  // namespace tessary
