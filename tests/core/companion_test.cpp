// sentinox.exe, run for real: it writes the start request into tessary.ini of the
// Windows directory, starts tessary.exe from its own folder, and stays until its
// "Sentinox" window is closed.
#include <gtest/gtest.h>

#include "core/startup.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "testbed.h"
#include "window_probe.h"

namespace tessary {
namespace {

TEST(SentinoxCompanion, RequestsAPassStartsTessaryAndClosesOnRequest) {
  test::TempDir dir;
  ASSERT_TRUE(CopyFileA(test::BuildPath(SENTINOX_EXE).c_str(), (dir / "sentinox.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(test::BuildPath(FAKE_TESSARY_EXE).c_str(), (dir / "tessary.exe").c_str(), FALSE));
  std::string ini = SettingsPathFor(WindowsDirectory());
  EXPECT_TRUE(ProfileDeleteKey(ini, "sentinox", "RunBackup"));

  ChildProcess companion;
  ASSERT_TRUE(companion.Start("\"" + (dir / "sentinox.exe") + "\"", SW_HIDE));
  // The stand-in records the request it found when it started.
  for (int i = 0; i < 200 && !FileExists(dir / "started.txt"); ++i) Sleep(50);
  Sleep(100);
  EXPECT_EQ(test::ReadBytes(dir / "started.txt"), "yes");
  EXPECT_TRUE(TakeStartRequest(ini));

  HWND window = nullptr;
  for (int i = 0; i < 100 && !(window = FindWindowA("Sentinox", "Sentinox")); ++i) Sleep(50);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(companion.Running());
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(companion.handle(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(companion.ExitCode(), 0u);
}

TEST(SentinoxCompanion, AStartThatFailsTakesTheRequestBack) {
  // Without tessary.exe beside it the companion cannot start the pass; its request must
  // not wait in tessary.ini for the user's next start.
  test::TempDir dir;
  ASSERT_TRUE(CopyFileA(test::BuildPath(SENTINOX_EXE).c_str(), (dir / "sentinox.exe").c_str(), FALSE));
  std::string ini = SettingsPathFor(WindowsDirectory());
  EXPECT_TRUE(ProfileDeleteKey(ini, "sentinox", "RunBackup"));
  struct RequestGuard {
    std::string ini;
    ~RequestGuard() { EXPECT_TRUE(ProfileDeleteKey(ini, "sentinox", "RunBackup")); }
  } guard{ini};

  ChildProcess companion;
  ASSERT_TRUE(companion.Start("\"" + (dir / "sentinox.exe") + "\"", SW_HIDE));
  HWND box = nullptr;
  test::WaitFor([&] { return (box = FindWindowA("#32770", "Sentinox")) != nullptr; }, 10000);
  EXPECT_NE(box, nullptr) << "the companion says that the start failed";
  EXPECT_EQ(ProfileRead(ini, "sentinox", "RunBackup", "<absent>", 16), "<absent>");
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  HWND window = nullptr;
  test::WaitFor([&] { return (window = FindWindowA("Sentinox", "Sentinox")) != nullptr; }, 5000);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(companion.handle(), 10000) != WAIT_OBJECT_0) {
    TerminateProcess(companion.handle(), 99);
    ADD_FAILURE() << "the companion did not end";
  }
}

}  // namespace
}  // namespace tessary
