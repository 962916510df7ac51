// A whole Sentinox pass of the real tessary.exe: a start request in the settings file
// of the Windows directory makes it compare, back up, prune the old Sentinox reports
// and quit, as AutoOpenSNC = "no" asks.
#include <gtest/gtest.h>

#include "core/startup.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "testbed.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

struct Key {
  const char* section;
  const char* key;
};
constexpr Key kTouched[] = {{"sentinox", "RunBackup"},   {"sentinox", "KeepLastSNC"},     {"sentinox", "LastSNC"},
                            {"sentinox", "AutoOpenSNC"}, {"sentinox", "ConfirmSNCDelete"}, {"sentinox", "LastSNCPath"},
                            {"tessary", "Directory"},    {"registry", "CompSentinox"},     {"tessary", "FirstRun"}};

// Keeps the settings file of the Windows directory as it was.
class SettingsGuard {
 public:
  explicit SettingsGuard(std::string ini) : ini_(std::move(ini)) {
    for (const Key& k : kTouched) saved_.push_back(ProfileRead(ini_, k.section, k.key, "\x01", 512));
  }
  ~SettingsGuard() {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i] == "\x01") {
        EXPECT_TRUE(ProfileDeleteKey(ini_, kTouched[i].section, kTouched[i].key));
      } else {
        EXPECT_TRUE(ProfileWrite(ini_, kTouched[i].section, kTouched[i].key, saved_[i]));
      }
    }
    ProfileFlush(ini_);
  }

 private:
  std::string ini_;
  std::vector<std::string> saved_;
};

TEST(SentinoxPass, PrunesTheOldestReportsAndQuits) {
  std::string ini = SettingsPathFor(WindowsDirectory());
  SettingsGuard guard(ini);
  test::TempDir dir;
  std::string backup = dir.MakeDir("BACKUP");
  for (int i = 1; i <= 12; ++i) {
    char base[16];
    std::snprintf(base, sizeof base, "S%02d", i);
    for (const char* ext : {".SNC", ".TSU", ".LOG"}) {
      std::string path = backup + "\\" + base + ext;
      test::WriteBytes(path, "x");
      test::SetLastWrite(path, 1997, 3, i, 10, 0, 0);
    }
  }
  EXPECT_TRUE(ProfileWrite(ini, "tessary", "Directory", backup));
  EXPECT_TRUE(ProfileDeleteKey(ini, "tessary", "FirstRun"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "RunBackup", "yes"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "KeepLastSNC", "yes"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "LastSNC", "10"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "ConfirmSNCDelete", "no"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "AutoOpenSNC", "no"));
  EXPECT_TRUE(ProfileWrite(ini, "registry", "CompSentinox", "yes"));
  ProfileFlush(ini);

  ChildProcess tessary;
  ASSERT_TRUE(tessary.Start("\"" + test::BuildPath(TESSARY_EXE) + "\"", SW_SHOWMINNOACTIVE));
  if (WaitForSingleObject(tessary.handle(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(tessary.handle(), 99);
    FAIL() << "the Sentinox pass did not end by itself within a minute";
  }
  EXPECT_EQ(ProfileRead(ini, "sentinox", "RunBackup", "<absent>", 16), "<absent>");
  // A new report of this pass, if any, is the newest; the two oldest are gone in any case.
  int reports = 0;
  DirSearch search(backup + "\\*.SNC");
  FindEntry entry;
  while (search.Next(entry)) ++reports;
  EXPECT_EQ(reports, 10);
  for (const char* gone : {"S01.SNC", "S01.TSU", "S02.SNC", "S02.TSU"}) EXPECT_FALSE(FileExists(backup + "\\" + gone));
  for (const char* kept : {"S01.LOG", "S02.LOG", "S12.SNC", "S12.TSU"}) EXPECT_TRUE(FileExists(backup + "\\" + kept));
}

TEST(SentinoxPass, ASecondPassInOneMinuteKeepsTheFirstReportAndEnds) {
  std::string ini = SettingsPathFor(WindowsDirectory());
  SettingsGuard guard(ini);
  test::TempDir dir;
  std::string backup = dir.MakeDir("BACKUP");
  for (const char* base : {"config", "autoexec", "msdos", "win", "system", "protocol", "desktop", "fontdir", "infdir",
                           "helpdir", "sysdir", "windir", "startdir"})
    test::WriteBytes(backup + "\\" + base + ".snb", "");
  // The reports of a pass earlier in this minute, and in the next one should the
  // minute turn before the pass names its report.
  std::vector<std::string> earlier;
  FILETIME utc;
  GetSystemTimeAsFileTime(&utc);
  for (int minute = 0; minute < 2; ++minute) {
    ULARGE_INTEGER t{{utc.dwLowDateTime, utc.dwHighDateTime}};
    t.QuadPart += static_cast<ULONGLONG>(minute) * 60 * 10000000;
    FILETIME shifted{t.LowPart, t.HighPart}, local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&shifted, &local);
    FileTimeToSystemTime(&local, &st);
    char name[16];
    std::snprintf(name, sizeof name, "%02d%02d%02d%02d", st.wMonth, st.wDay, st.wHour, st.wMinute);
    earlier.push_back(name);
    test::WriteBytes(backup + "\\" + name + ".SNC", "earlier report");
    test::WriteBytes(backup + "\\" + name + ".TSU", "earlier actions");
  }
  EXPECT_TRUE(ProfileWrite(ini, "tessary", "Directory", backup));
  EXPECT_TRUE(ProfileDeleteKey(ini, "tessary", "FirstRun"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "RunBackup", "yes"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "KeepLastSNC", "no"));
  EXPECT_TRUE(ProfileWrite(ini, "sentinox", "AutoOpenSNC", "no"));
  EXPECT_TRUE(ProfileWrite(ini, "registry", "CompSentinox", "yes"));
  ProfileFlush(ini);

  ChildProcess tessary;
  ASSERT_TRUE(tessary.Start("\"" + test::BuildPath(TESSARY_EXE) + "\"", SW_SHOWMINNOACTIVE));
  if (WaitForSingleObject(tessary.handle(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(tessary.handle(), 99);
    FAIL() << "the Sentinox pass did not end by itself within a minute";
  }
  for (const std::string& name : earlier) {
    EXPECT_EQ(test::ReadBytes(backup + "\\" + name + ".SNC"), "earlier report");
    EXPECT_EQ(test::ReadBytes(backup + "\\" + name + ".TSU"), "earlier actions");
  }
  // The new report takes a name of its own, after the date and time.
  std::string report = ProfileRead(ini, "sentinox", "LastSNCPath", "", 250);
  ASSERT_TRUE(FileExists(report)) << report;
  std::string name = report.substr(report.find_last_of('\\') + 1);
  EXPECT_TRUE(name == earlier[0] + "_2.SNC" || name == earlier[1] + "_2.SNC") << name;
  EXPECT_TRUE(FileExists(ActionFilePathFor(report)));
}

}  // namespace
}  // namespace tessary
