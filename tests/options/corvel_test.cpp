// corvel.exe, run for real: it makes the shortcut named by the settings file of the
// Windows directory, and says why when it cannot.
#include <gtest/gtest.h>

#include "core/startup.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "testbed.h"

namespace tessary {
namespace {

class CorvelTest : public ::testing::Test {
 protected:
  CorvelTest() : ini_(SettingsPathFor(WindowsDirectory())) {
    for (const char* key : kKeys) saved_.push_back(ProfileRead(ini_, "tessary", key, "\x01", 1024));
  }
  ~CorvelTest() override {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i] == "\x01") {
        EXPECT_TRUE(ProfileDeleteKey(ini_, "tessary", kKeys[i]));
      } else {
        EXPECT_TRUE(ProfileWrite(ini_, "tessary", kKeys[i], saved_[i]));
      }
    }
    ProfileFlush(ini_);
  }
  DWORD RunCorvel() {
    ProfileFlush(ini_);
    ChildProcess corvel;
    EXPECT_TRUE(corvel.Start("\"" + test::BuildPath(CORVEL_EXE) + "\" /s", SW_HIDE));
    EXPECT_EQ(WaitForSingleObject(corvel.handle(), 30000), WAIT_OBJECT_0);
    return corvel.ExitCode();
  }

  static constexpr const char* kKeys[4] = {"LPath", "EXEPath", "WorkDir", "LDesc"};
  std::string ini_;
  std::vector<std::string> saved_;
  test::TempDir dir_;
};

TEST_F(CorvelTest, MakesTheShortcutTheSettingsDescribe) {
  std::string link = dir_ / "Sentinox.lnk";
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "LPath", link));
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "EXEPath", dir_ / "sentinox.exe"));
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "WorkDir", dir_.path()));
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "LDesc", "Sentinox"));
  EXPECT_EQ(RunCorvel(), 0u);
  ASSERT_TRUE(FileExists(link));
  // A shell link starts with its header size and the shell-link class id.
  std::string bytes = test::ReadBytes(link);
  ASSERT_GE(bytes.size(), 20u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x4c\0\0\0", 4));
}

TEST_F(CorvelTest, FailsWithAReasonWhenTheSettingsAreMissing) {
  EXPECT_TRUE(ProfileDeleteKey(ini_, "tessary", "LPath"));
  EXPECT_TRUE(ProfileDeleteKey(ini_, "tessary", "EXEPath"));
  EXPECT_EQ(RunCorvel(), 2u);
}

TEST_F(CorvelTest, FailsWhenTheShortcutCannotBeSaved) {
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "LPath", dir_ / "no-such-folder\\Sentinox.lnk"));
  EXPECT_TRUE(ProfileWrite(ini_, "tessary", "EXEPath", dir_ / "sentinox.exe"));
  EXPECT_EQ(RunCorvel(), 4u);
}

}  // namespace
}  // namespace tessary
