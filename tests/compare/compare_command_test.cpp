// The Compare command with the real dialog: a Sentinox pass runs it by itself; an
// interactive user presses OK (or Cancel) in it.
#include <windows.h>

#include <atomic>
#include <thread>

#include "core/commands.h"
#include "compare/compare_dlg.h"
#include "platform/files.h"
#include "resources/ids.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class CompareCommandTest : public test::HostTest {
 protected:
  CompareCommandTest() : winDir(dir.MakeDir("WIN")) {
    host.state.WindowsDirectory = winDir;
    WriteBytes(winDir + "\\win.ini", "[TessA]\r\n");
    WriteBytes(winDir + "\\system.ini", "[TessS]\r\n");
    WriteBytes(backupDir + "\\startdir.tsb", "");  // the Start Menu section always reads it
  }
  // Presses a button of the "Compare" dialog once it shows.
  void PressWhenShown(int button) {
    presser = std::thread([button] {
      for (int i = 0; i < 500; ++i) {
        HWND dialog = FindWindowA(nullptr, "Compare");
        if (dialog && IsWindowVisible(dialog)) {
          PostMessageA(dialog, WM_COMMAND, button, 0);
          return;
        }
        Sleep(10);
      }
    });
  }
  ~CompareCommandTest() override {
    if (presser.joinable()) presser.join();
  }
  std::string winDir;
  std::thread presser;
};

TEST_F(CompareCommandTest, SentinoxPassRunsByItselfAndContinuesThePass) {
  host.state.SentinoxPass = true;
  host.state.RunMode = RunMode::Sentinox;
  for (const char* base : {"config", "autoexec", "msdos", "win", "system", "protocol", "desktop", "fontdir", "infdir",
                           "helpdir", "sysdir", "windir", "startdir"})
    WriteBytes(backupDir + "\\" + base + ".snb", "");
  CompareCommand(host);
  const std::string report = backupDir + "\\12070905.SNC";
  EXPECT_TRUE(FileExists(report));
  EXPECT_FALSE(host.state.SentinoxPass);
  EXPECT_EQ(settings().Read(settings::kLastSNCPath), report);
  EXPECT_EQ(host.commands, std::vector<Command>{Command::Backup});
  EXPECT_TRUE(host.opened.empty());
}

TEST_F(CompareCommandTest, InteractiveOkOpensTheReportAndCancelWritesNothing) {
  PressWhenShown(IDOK);
  CompareCommand(host);
  presser.join();
  const std::string report = backupDir + "\\COMPARE.TSC";
  EXPECT_EQ(host.opened, std::vector<std::string>{report});

  DeleteFileA(report.c_str());
  PressWhenShown(IDCANCEL);
  CompareCommand(host);
  presser.join();
  EXPECT_FALSE(FileExists(report));
  EXPECT_EQ(host.opened.size(), 1u);
}

}  // namespace
}  // namespace tessary
