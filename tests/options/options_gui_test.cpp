// The three option dialogs opened for real from their templates: controls, texts,
// enabling rules, the directory browser and OK.
#include <gtest/gtest.h>

#include <vector>

#include "options/dirs_dlg.h"
#include "options/registry_dlg.h"
#include "options/setup_dlg.h"
#include "options/dirs_ids.h"
#include "options/registry_ids.h"
#include "options/setup_ids.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "testbed.h"
#include "window_probe.h"

namespace tessary {
namespace {

class NoCompanions : public CompanionControl {
 public:
  std::string StartupFolder() override { return "C:\\nowhere"; }
  unsigned Start(const std::string&) override { return 33; }
  bool CompanionRunning() override { return false; }
  void CloseCompanion() override {}
  bool RemoveShortcut(const std::string&) override { return true; }
};

std::string Text(HWND dlg, int id) {
  char buf[512] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
void Click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const auto& l : lines)
    if (l == line) return true;
  return false;
}

class OptionsGuiTest : public test::HostTest {};

TEST_F(OptionsGuiTest, OptionsDialogOpensWithItsTextsAndRules) {
  std::string base = dir.MakeDir("BASE");
  dir.MakeDir("BASE\\SUB");
  Set(settings::kDirectory, base);
  NoCompanions companions;
  TSetupDlg dlg(nullptr, host, companions);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  char caption[64] = {};
  GetWindowTextA(h, caption, sizeof caption);
  EXPECT_STREQ(caption, "Tessary Options");
  EXPECT_EQ(Text(h, IDC_SETUP_AUTOTRACK), "Enable &AutoTracking");
  EXPECT_EQ(Text(h, IDC_SETUP_KEEPLABEL), "Sentinox (*.SNC) Files.");
  EXPECT_EQ(Text(h, IDC_SETUP_NAMEDATE), "Date/&Time (mmddhhmm)");
  EXPECT_EQ(Text(h, IDC_SETUP_UPDATEDGROUP), "Don't report UPDATED:");
  EXPECT_EQ(Text(h, IDC_SETUP_LARGEICON), "Lar&ge Icons on toolbar");
  EXPECT_EQ(Text(h, IDCANCEL), "CANCEL");
  EXPECT_EQ(Text(h, IDC_SETUP_BACKUPTO), base);
  EXPECT_TRUE(Checked(h, IDC_SETUP_NAMECOMPARE));
  Click(h, 9);
  ASSERT_EQ(host.help.calls.size(), 1u);
  EXPECT_EQ(host.help.calls[0].keyword, "Tessary Options");
  EXPECT_TRUE(Checked(h, IDC_SETUP_KEEPBLANK));
  // Tracking off: the five Sentinox controls are disabled.
  for (int id : {IDC_SETUP_KEEPCOUNT, IDC_SETUP_KEEPLATEST, IDC_SETUP_KEEPLABEL, IDC_SETUP_AUTOOPEN,
                 IDC_SETUP_CONFIRMDEL})
    EXPECT_FALSE(Enabled(h, id)) << id;
  Click(h, IDC_SETUP_AUTOTRACK);
  EXPECT_TRUE(Enabled(h, IDC_SETUP_KEEPLATEST));
  EXPECT_TRUE(Enabled(h, IDC_SETUP_AUTOOPEN));
  EXPECT_FALSE(Enabled(h, IDC_SETUP_KEEPCOUNT));  // only while "Only keep Latest" is checked
  Click(h, IDC_SETUP_KEEPLATEST);
  EXPECT_TRUE(Enabled(h, IDC_SETUP_KEEPCOUNT));
  EXPECT_TRUE(Enabled(h, IDC_SETUP_CONFIRMDEL));
  EXPECT_EQ(Text(h, IDC_SETUP_KEEPCOUNT), "40");

  // The browser lists subdirectories in brackets and the fixed drives.
  HWND list = GetDlgItem(h, IDC_SETUP_BROWSER);
  auto lines = test::ListItems(list);
  EXPECT_TRUE(Contains(lines, "[SUB]"));
  EXPECT_TRUE(Contains(lines, "[..]"));
  EXPECT_TRUE(Contains(lines, "C:\\"));
  EXPECT_FALSE(Contains(lines, "[.]"));
  // A double click on [SUB], then on [..], then on C:\ follows the path.
  auto open = [&](const std::string& line) {
    LRESULT i = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(line.c_str()));
    ASSERT_NE(i, LB_ERR) << line;
    SendMessageA(list, LB_SETCURSEL, i, 0);
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_SETUP_BROWSER, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  };
  open("[SUB]");
  EXPECT_EQ(Text(h, IDC_SETUP_BACKUPTO), base + "\\SUB");
  open("[..]");
  EXPECT_EQ(Text(h, IDC_SETUP_BACKUPTO), base);
  open("C:\\");
  EXPECT_EQ(Text(h, IDC_SETUP_BACKUPTO), "C:\\");
  EXPECT_TRUE(Contains(test::ListItems(list), "[windows]"));

  // OK with "500": the message, the box back at 40, the dialog still open.
  SetDlgItemTextA(h, IDC_SETUP_KEEPCOUNT, "500");
  host.prompter.Answer(id::kOk);
  Click(h, IDOK);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(Text(h, IDC_SETUP_KEEPCOUNT), "40");
  host.prompter.Answer(id::kOk);  // the tracking notice
  Click(h, IDOK);
  EXPECT_FALSE(IsWindow(h));
  Settings s = settings();
  EXPECT_EQ(s.Read(settings::kDirectory), "C:\\");
  EXPECT_EQ(s.Read(settings::kUseSentinox), "yes");
  EXPECT_EQ(s.Read(settings::kLastSNC), "40");
}

TEST_F(OptionsGuiTest, DirectoriesDialogShowsThePathsAndStaysOpenOnABadEntry) {
  Set(settings::kDirInf, "no");
  Set(settings::kOptDir[0], dir.path());
  TDirsDlg dlg(nullptr, host);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(Text(h, IDC_DIRS_WINLABEL), WindowsDirectory());
  EXPECT_EQ(Text(h, IDC_DIRS_SYSLABEL), SystemDirectory());
  EXPECT_EQ(Text(h, IDC_DIRS_ROOTS), "All Root Directories");
  EXPECT_EQ(Text(h, IDC_DIRS_HELP), "Windows\\Help");
  EXPECT_TRUE(Checked(h, IDC_DIRS_WIN));
  EXPECT_FALSE(Checked(h, IDC_DIRS_INF));
  EXPECT_EQ(Text(h, IDC_DIRS_OPT1), dir.path());
  Click(h, 9);
  ASSERT_EQ(host.help.calls.size(), 1u);
  EXPECT_EQ(host.help.calls[0].keyword, "Directories");
  SetDlgItemTextA(h, IDC_DIRS_OPT1 + 2, (dir / "missing").c_str());
  host.prompter.Answer(id::kOk);
  Click(h, IDOK);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text.substr(0, 14), "Directory #3 i");
  EXPECT_TRUE(IsWindow(h));
  SetDlgItemTextA(h, IDC_DIRS_OPT1 + 2, "");
  Click(h, IDOK);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(OptionsGuiTest, RegistryDialogHidesDynDataButKeepsIt) {
  Set(settings::kCDynData, "yes");
  TRegistryDlg dlg(nullptr, host);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  char caption[64] = {};
  GetWindowTextA(h, caption, sizeof caption);
  EXPECT_STREQ(caption, "Branches to Compare in Registry");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_REGISTRY_DYNDATA)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_REGISTRY_CLASSES)));
  EXPECT_EQ(Text(h, IDC_REGISTRY_CLASSES), "HKEY_CLASSES_ROOT(and sub-branches, except:)");
  EXPECT_EQ(Text(h, IDC_REGISTRY_SENTINOX), "Don't Compare registry in Sentinox mode");
  EXPECT_TRUE(Checked(h, IDC_REGISTRY_PROGRESS));
  EXPECT_TRUE(Checked(h, IDC_REGISTRY_SENTINOX));
  EXPECT_FALSE(Checked(h, IDC_REGISTRY_CURUSER));
  Click(h, 9);
  ASSERT_EQ(host.help.calls.size(), 1u);
  EXPECT_EQ(host.help.calls[0].keyword, "Registration Database");
  Click(h, IDC_REGISTRY_CLSID);
  Click(h, IDOK);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(settings().Read(settings::kCDynData), "yes");
  EXPECT_EQ(settings().Read(settings::kCClsid), "yes");
  EXPECT_EQ(settings().Read(settings::kCClasses), "no");
  EXPECT_EQ(settings().Read(settings::kRecordValues), "no");
}

TEST_F(OptionsGuiTest, RegistryDialogTurnsRecordingValuesOnAndOff) {
  TRegistryDlg dlg(nullptr, host);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_REGISTRY_VALUES)));
  EXPECT_EQ(Text(h, IDC_REGISTRY_VALUES), "Record values and their data (and put them back)");
  EXPECT_FALSE(Checked(h, IDC_REGISTRY_VALUES));
  Click(h, IDC_REGISTRY_VALUES);
  Click(h, IDOK);
  EXPECT_EQ(settings().Read(settings::kRecordValues), "yes");
  TRegistryDlg again(nullptr, host);
  h = again.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(Checked(h, IDC_REGISTRY_VALUES));
  Click(h, IDC_REGISTRY_VALUES);
  Click(h, IDOK);
  EXPECT_EQ(settings().Read(settings::kRecordValues), "no");
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// Run by hand (--gtest_also_run_disabled_tests) to refresh the user guide's picture;
// it writes C:\tessary-tests\options.bmp.
TEST_F(OptionsGuiTest, DISABLED_Screenshot) {
  Set(settings::kDirectory, "C:\\windows");
  Set(settings::kUseSentinox, "yes");
  Set(settings::kKeepLastSNC, "yes");
  NoCompanions companions;
  TSetupDlg dlg(nullptr, host, companions);
  HWND h = dlg.CreateModeless();
  ASSERT_NE(h, nullptr);
  SetForegroundWindow(h);
  for (int i = 0; i < 50; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  EXPECT_TRUE(test::SaveWindowPicture(h, "C:\\tessary-tests\\options.bmp"));
}

}  // namespace
}  // namespace tessary
