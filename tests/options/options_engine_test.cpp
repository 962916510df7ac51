// Loading and saving the three option dialogs, tracking on and off, without windows.
#include <gtest/gtest.h>

#include "options/option_bindings.h"
#include "options/options_engine.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include <set>

#include "fault_plan.h"
#include "platform/files.h"
#include "testbed.h"

namespace tessary {
namespace {

const char* const kDir2Message =
    "Directory #2 is invalid. Ensure you specify the drive and full path, and don't place a backslash on the end.";

class FakeCompanions : public CompanionControl {
 public:
  std::string StartupFolder() override { return startup; }
  unsigned Start(const std::string& commandLine) override {
    started.push_back(commandLine);
    return startResult;
  }
  bool CompanionRunning() override { return running; }
  void CloseCompanion() override { ++closes; }
  bool RemoveShortcut(const std::string& path) override {
    removed.push_back(path);
    return !shortcutStays;
  }

  std::string startup = "C:\\windows\\Start Menu\\Programs\\StartUp";
  unsigned startResult = 33;
  bool running = false;
  bool shortcutStays = false;
  int closes = 0;
  std::vector<std::string> started, removed;
};

class OptionsTest : public test::HostTest {
 protected:
  std::string Get(const char* section, const char* key) {
    return ProfileRead(host.state.SettingsFilePath, section, key, "<absent>", 300);
  }
};

// ---- The binding tables ----

// Each row binds its own control and field, reads its own setting into its own field,
// and writes the setting it reads (a row bound to another key, or two rows to one
// field, would show or save the wrong box).
template <class Form, std::size_t N>
void CheckBindings(const Settings& s, const CheckBinding<Form> (&table)[N]) {
  for (std::size_t r = 0; r < N; ++r) {
    const CheckBinding<Form>& row = table[r];
    SCOPED_TRACE(std::string(row.read.section) + " " + row.read.key);
    for (std::size_t q = 0; q < r; ++q) {
      EXPECT_NE(table[q].control, row.control);
      EXPECT_FALSE(table[q].field == row.field);
    }
    ProfileFlush(s.path());
    static_cast<void>(DeleteFileChecked(s.path()));
    for (std::size_t q = 0; q < N; ++q) s.Write(table[q].read, q == r ? table[q].on : table[q].off);
    Form loaded;
    LoadChecks(s, table, loaded);
    for (std::size_t q = 0; q < N; ++q) EXPECT_EQ(loaded.*table[q].field, q == r) << table[q].read.key;

    ProfileFlush(s.path());
    static_cast<void>(DeleteFileChecked(s.path()));
    Form only{};
    for (std::size_t q = 0; q < N; ++q) only.*table[q].field = q == r;
    for (int group = 0; group < 10; ++group) WriteChecks(s, table, only, group);
    if (row.written == Written::OwnStep) {
      EXPECT_EQ(s.Read(row.read, "<absent>", 20), "<absent>");
    } else {
      EXPECT_TRUE(EqualsNoCase(s.Read(row.read), row.on)) << s.Read(row.read);
    }
  }
}

TEST_F(OptionsTest, EveryBindingReadsAndWritesItsOwnSetting) {
  const Settings s = host.AppSettings();
  CheckBindings(s, kDirsChecks);
  CheckBindings(s, kRegistryChecks);
  CheckBindings(s, kSetupChecks);
}

// ---- Directories to Compare ----

TEST_F(OptionsTest, FreshDirectoriesAreAllOnAndEmpty) {
  DirsForm f = LoadDirsForm(settings());
  EXPECT_TRUE(f.win && f.sys && f.roots && f.prog && f.fonts && f.inf && f.help);
  for (const auto& o : f.optional) EXPECT_EQ(o, "");
}

TEST_F(OptionsTest, MissingSecondDirectorySavesFirstAndSwitchesOnly) {
  Set(settings::kOptDir[1], "C:\\OLD2");
  Set(settings::kOptDir[2], "C:\\OLD3");
  std::string one = dir.MakeDir("ONE");
  DirsForm f;
  f.roots = false;
  f.help = false;
  f.optional = {one + "\\", dir / "MISSING", dir.path(), "", ""};
  host.prompter.Answer(id::kOk);
  EXPECT_FALSE(SaveDirsForm(settings(), host.prompter, f, nullptr));
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, kDir2Message);
  EXPECT_EQ(host.prompter.boxes[0].caption, "Invalid Path.");
  EXPECT_EQ(Get("Directories", "Opt1"), one);  // saved without its backslash
  EXPECT_EQ(Get("Directories", "Roots"), "no");
  EXPECT_EQ(Get("Directories", "Help"), "no");
  EXPECT_EQ(Get("Directories", "Win"), "yes");
  EXPECT_EQ(Get("Directories", "Opt2"), "C:\\OLD2");
  EXPECT_EQ(Get("Directories", "Opt3"), "C:\\OLD3");
}

TEST_F(OptionsTest, BlankSlotsFilesAndDriveRootsPass) {
  std::string file = dir / "a.txt";
  test::WriteBytes(file, "x");
  DirsForm f;
  f.optional = {"C:\\", "", file, "", dir.path() + "\\"};
  EXPECT_TRUE(SaveDirsForm(settings(), host.prompter, f, nullptr));
  EXPECT_EQ(Get("Directories", "Opt1"), "C:\\");
  EXPECT_EQ(Get("Directories", "Opt2"), "");  // the key stays, empty
  EXPECT_EQ(Get("Directories", "Opt3"), file);
  EXPECT_EQ(Get("Directories", "Opt5"), dir.path());
  EXPECT_EQ(LoadDirsForm(settings()).optional[4], dir.path());
}

// ---- Branches to Compare in Registry ----

TEST_F(OptionsTest, RegistryDefaultsAndTheHiddenDynDataRoundTrip) {
  RegistryForm fresh = LoadRegistryForm(settings());
  EXPECT_TRUE(fresh.showProgress && fresh.compSentinox);
  EXPECT_FALSE(fresh.curuser || fresh.cusers || fresh.clocmach || fresh.csoftware || fresh.cclasses ||
               fresh.cclsid || fresh.ccrconfig || fresh.cdyndata);

  Set(settings::kCDynData, "YES");
  RegistryForm f = LoadRegistryForm(settings());
  EXPECT_TRUE(f.cdyndata);
  f.cclsid = true;  // CLSID without its parent branch is accepted
  f.compSentinox = false;
  SaveRegistryForm(settings(), f);
  EXPECT_EQ(Get("registry", "CDynData"), "yes");
  EXPECT_EQ(Get("registry", "CClsid"), "yes");
  EXPECT_EQ(Get("registry", "CClasses"), "no");
  EXPECT_EQ(Get("registry", "CompSentinox"), "no");
  EXPECT_NE(test::ReadBytes(host.state.SettingsFilePath).find("curuser=no"), std::string::npos);
}

// Recording values is off by default; a settings file that never had the key is written
// as it always was, and the key appears only once it has been on.
TEST_F(OptionsTest, RecordValuesIsOffByDefaultAndAbsentUntilTurnedOn) {
  EXPECT_FALSE(LoadRegistryForm(settings()).values);
  RegistryForm f = LoadRegistryForm(settings());
  SaveRegistryForm(settings(), f);
  const std::string keysOnly = test::ReadBytes(host.state.SettingsFilePath);
  EXPECT_EQ(ToLowerAscii(keysOnly).find("recordvalues"), std::string::npos) << keysOnly;
  SaveRegistryForm(settings(), f);
  EXPECT_EQ(test::ReadBytes(host.state.SettingsFilePath), keysOnly);

  f.values = true;
  SaveRegistryForm(settings(), f);
  EXPECT_EQ(Get("registry", "RecordValues"), "yes");
  EXPECT_TRUE(LoadRegistryForm(settings()).values);
  f.values = false;
  SaveRegistryForm(settings(), f);
  EXPECT_EQ(Get("registry", "RecordValues"), "no");
  EXPECT_FALSE(LoadRegistryForm(settings()).values);
}

// ---- Options ----

TEST_F(OptionsTest, OpeningReadsDefaultsAndTheRetentionBox) {
  Set(settings::kDirectory, dir.path());
  SetupForm f = LoadSetupForm(host);
  EXPECT_EQ(host.state.BackupDirectory, dir.path());
  EXPECT_EQ(f.backupTo, dir.path());
  EXPECT_TRUE(f.nameCompare && f.keepBlank && f.verifyAll && f.dllDepend && f.confirmSncDelete);
  EXPECT_FALSE(f.useSentinox || f.keepLastSnc || f.brief || f.showMax || f.largeIcon);
  EXPECT_EQ(f.numberBox, "");  // retention off: the box is empty

  Set(settings::kKeepLastSNC, "Yes");
  Set(settings::kDefaultName, "date");
  f = LoadSetupForm(host);
  EXPECT_EQ(f.numberBox, "40");
  EXPECT_FALSE(f.nameCompare);
  Set(settings::kLastSNC, "123456");
  EXPECT_EQ(LoadSetupForm(host).numberBox, "1234");
}

// Compare takes DefaultName "Compare" in any letter case; so does the dialog, whose OK
// would otherwise turn the user's "compare" into "date".
TEST_F(OptionsTest, DefaultNameCompareInAnyCaseStaysCompare) {
  FakeCompanions companions;
  for (const char* value : {"compare", "COMPARE", "Compare"}) {
    Set(settings::kDefaultName, value);
    SetupForm f = LoadSetupForm(host);
    EXPECT_TRUE(f.nameCompare) << value;
    EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
    EXPECT_EQ(Get("compare", "DefaultName"), "Compare") << value;
  }
  Set(settings::kDefaultName, "date");
  EXPECT_FALSE(LoadSetupForm(host).nameCompare);
}

TEST_F(OptionsTest, OutOfRangeNumberStopsTheSaveUntilTheSecondOk) {
  FakeCompanions companions;
  Set(settings::kShowMax, "no");
  Set(settings::kLastSNC, "25");
  SetupForm f = LoadSetupForm(host);
  f.backupTo = dir.path();
  f.keepLastSnc = true;
  f.numberBox = "500";
  f.showMax = true;
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::StayOpen);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Number of SNC files retained must be at least 10, and no more than 200. Resetting to default of 40.");
  EXPECT_EQ(f.numberBox, "40");
  EXPECT_EQ(Get("sentinox", "KeepLastSNC"), "yes");
  EXPECT_EQ(Get("sentinox", "LastSNC"), "25");
  EXPECT_EQ(Get("tessary", "ShowMax"), "no");
  EXPECT_EQ(Get("tessary", "Directory"), "<absent>");
  EXPECT_TRUE(companions.started.empty());

  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  EXPECT_EQ(Get("sentinox", "LastSNC"), "40");
  EXPECT_EQ(Get("tessary", "ShowMax"), "yes");
  EXPECT_EQ(Get("tessary", "Directory"), dir.path());
  EXPECT_EQ(host.state.BackupDirectory, dir.path());
}

TEST_F(OptionsTest, UncheckedRetentionKeepsTheOldNumberAndWritesEverySwitch) {
  FakeCompanions companions;
  Set(settings::kLastSNC, "77");
  SetupForm f = LoadSetupForm(host);
  f.backupTo = "C:\\ELSEWHERE";
  f.nameCompare = false;
  f.brief = true;
  f.keepBlank = false;
  f.excludeIni = true;
  f.verifyAll = false;
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  EXPECT_TRUE(host.prompter.boxes.empty());
  EXPECT_EQ(Get("sentinox", "KeepLastSNC"), "no");
  EXPECT_EQ(Get("sentinox", "LastSNC"), "77");
  EXPECT_EQ(Get("compare", "DefaultName"), "date");
  EXPECT_EQ(Get("compare", "BriefDescription"), "yes");
  EXPECT_EQ(Get("compare", "KeepBlank"), "no");
  EXPECT_EQ(Get("compare", "ExcludeIni"), "yes");
  EXPECT_EQ(Get("compare", "ExcludeGrp"), "no");
  EXPECT_EQ(Get("uninstall", "VerifyAllUninstall"), "no");
  EXPECT_EQ(Get("uninstall", "DLLDepend"), "yes");
  EXPECT_EQ(Get("sentinox", "ConfirmSNCDelete"), "yes");
  EXPECT_EQ(Get("tessary", "Directory"), "C:\\ELSEWHERE");
  // Tracking off on every OK: the shortcut is removed even though it was never on.
  EXPECT_EQ(Get("sentinox", "UseSentinox"), "no");
  ASSERT_EQ(companions.removed.size(), 1u);
  EXPECT_EQ(companions.removed[0], companions.startup + "\\sentinox.lnk");
}

// Deep tracking is off until the box is checked: an OK with it off never writes the key,
// so a settings file of before keeps its bytes; once on, unchecking writes "no".
TEST_F(OptionsTest, DeepTrackingIsOffUntilCheckedAndOnlyThenWritten) {
  FakeCompanions companions;
  SetupForm f = LoadSetupForm(host);
  EXPECT_FALSE(f.deepTracking);
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  EXPECT_EQ(Get("tessary", "DeepTracking"), "<absent>");
  f.deepTracking = true;
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  EXPECT_EQ(Get("tessary", "DeepTracking"), "yes");
  EXPECT_TRUE(LoadSetupForm(host).deepTracking);
  f.deepTracking = false;
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  EXPECT_EQ(Get("tessary", "DeepTracking"), "no");
  EXPECT_FALSE(LoadSetupForm(host).deepTracking);
}

TEST_F(OptionsTest, IconNoticesOnlyWhenTheChoiceChanges) {
  FakeCompanions companions;
  SetupForm f = LoadSetupForm(host);
  f.largeIcon = true;
  host.prompter.Answer(id::kOk);
  SaveSetupForm(host, f, companions, nullptr);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].caption, "Large icons enabled.");
  EXPECT_EQ(host.prompter.boxes[0].text, "Large Icons will be shown the next time you start Tessary.");
  EXPECT_EQ(Get("tessary", "LargeIcon"), "yes");

  SaveSetupForm(host, f, companions, nullptr);  // unchanged: no notice
  EXPECT_EQ(host.prompter.boxes.size(), 1u);

  f.largeIcon = false;
  host.prompter.Answer(id::kOk);
  SaveSetupForm(host, f, companions, nullptr);
  ASSERT_EQ(host.prompter.boxes.size(), 2u);
  EXPECT_EQ(host.prompter.boxes[1].caption, "Small icons enabled.");
  EXPECT_EQ(Get("tessary", "LargeIcon"), "no");
}

TEST_F(OptionsTest, EnablingWritesTheShortcutKeysStartsCorvelAndNotifiesOncePerEnabling) {
  FakeCompanions companions;
  Set(settings::kLocation, "C:\\Program Files\\Tessary");
  SetupForm f = LoadSetupForm(host);
  f.useSentinox = true;
  host.prompter.Answer(id::kOk);
  SaveSetupForm(host, f, companions, nullptr);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Sentinox will be run the next time you start Windows.");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Sentinox Enabled");
  EXPECT_EQ(Get("sentinox", "UseSentinox"), "yes");
  EXPECT_EQ(Get("sentinox", "EnableMessage"), "yes");
  EXPECT_EQ(Get("tessary", "LPath"), companions.startup + "\\Sentinox.lnk");
  EXPECT_EQ(Get("tessary", "WorkDir"), "C:\\Program Files\\Tessary");
  EXPECT_EQ(Get("tessary", "LDesc"), "Sentinox");
  EXPECT_EQ(Get("tessary", "EXEPath"), "C:\\Program Files\\Tessary\\sentinox.exe");
  ASSERT_EQ(companions.started.size(), 1u);
  EXPECT_EQ(companions.started[0], "\"C:\\Program Files\\Tessary\\corvel.exe\"");

  SaveSetupForm(host, f, companions, nullptr);  // on again: no second notice
  EXPECT_EQ(host.prompter.boxes.size(), 1u);

  f.useSentinox = false;
  SaveSetupForm(host, f, companions, nullptr);
  EXPECT_EQ(Get("sentinox", "EnableMessage"), "<absent>");
  f.useSentinox = true;
  host.prompter.Answer(id::kOk);
  SaveSetupForm(host, f, companions, nullptr);  // off and on again: the notice returns
  EXPECT_EQ(host.prompter.boxes.size(), 2u);
}

TEST_F(OptionsTest, NoNoticeWhileTheCompanionRunsAndAFailedStartIsReported) {
  FakeCompanions companions;
  companions.running = true;
  companions.startResult = 2;
  SetupForm f = LoadSetupForm(host);
  f.useSentinox = true;
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::Saved);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Unable to create link. Make sure you haven't deleted any Tessary Executables");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Error");
  EXPECT_EQ(Get("sentinox", "EnableMessage"), "<absent>");
  EXPECT_EQ(Get("uninstall", "VerifyAllUninstall"), "yes");  // the rest is still saved
  // Without Location the programs are looked for in the current directory.
  EXPECT_EQ(Get("tessary", "WorkDir"), CurrentDirectory());
}

TEST_F(OptionsTest, DisablingClosesARunningCompanion) {
  FakeCompanions companions;
  companions.running = true;
  companions.startup = "";  // no Startup folder: the root of the current drive
  Set(settings::kEnableMessage, "yes");
  SetupForm f = LoadSetupForm(host);
  SaveSetupForm(host, f, companions, nullptr);
  EXPECT_EQ(companions.closes, 1);
  EXPECT_EQ(companions.removed, std::vector<std::string>{"\\sentinox.lnk"});
  EXPECT_EQ(Get("sentinox", "EnableMessage"), "<absent>");
}

// A start-up shortcut that cannot be removed would start Sentinox with Windows again:
// turning tracking off says so and the dialog stays open.
TEST_F(OptionsTest, AShortcutThatStaysIsNoDisabling) {
  FakeCompanions companions;
  companions.shortcutStays = true;
  SetupForm f = LoadSetupForm(host);
  f.useSentinox = false;
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(SaveSetupForm(host, f, companions, nullptr), SetupSave::StayOpen);
  ASSERT_EQ(host.prompter.boxes.size(), 1u);
  EXPECT_EQ(host.prompter.boxes[0].caption, "File error");
  EXPECT_EQ(companions.removed.size(), 1u);
}

// The real companion control: a window of the companion's class and title is found
// and closed; the shortcut is deleted.
LRESULT CALLBACK CompanionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(SystemCompanionsTest, FindsAndClosesTheCompanionWindowAndDeletesTheShortcut) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CompanionWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Sentinox";
  RegisterClassA(&wc);
  SystemCompanions companions;
  EXPECT_FALSE(companions.CompanionRunning());
  HWND window = CreateWindowA("Sentinox", "Sentinox", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(companions.CompanionRunning());
  companions.CloseCompanion();
  MSG msg;
  for (int i = 0; i < 50 && IsWindow(window); ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(companions.CompanionRunning());

  test::TempDir dir;
  std::string link = dir / "sentinox.lnk";
  test::WriteBytes(link, "link");
  EXPECT_TRUE(companions.RemoveShortcut(link));
  EXPECT_FALSE(FileExists(link));
  EXPECT_TRUE(companions.RemoveShortcut(link));  // gone already: nothing happens
}

// OK of the Options dialog meets a settings file that cannot be written at each file
// operation in turn: the dialog says so and stays open, the file is never cut short,
// and the next OK saves.
TEST_F(OptionsTest, EverySettingsWriteThatFailsIsReportedAndCutsNothingShort) {
  class AnsweringHost : public test::FakeHost {
   public:
    Prompter& Prompts() override { return answers; }
    test::AnsweringPrompter answers;
  };
  const std::string original = "[tessary]\r\nDirectory=C:\\OLD\r\nLocation=C:\\APP\r\n[compare]\r\nKeepBlank=no\r\n";
  FakeCompanions companions;
  auto save = [&](test::AnsweringPrompter* seen) {
    AnsweringHost h;
    h.state = host.state;
    SetupForm f = LoadSetupForm(h);
    f.backupTo = "C:\\NEW";
    f.brief = true;
    const SetupSave result = SaveSetupForm(h, f, companions, nullptr);
    if (seen) *seen = h.answers;
    return result;
  };
  test::WriteBytes(host.state.SettingsFilePath, original);
  ASSERT_EQ(save(nullptr), SetupSave::Saved);
  const std::string saved = test::ReadBytes(host.state.SettingsFilePath);
  test::WriteBytes(host.state.SettingsFilePath, original);
  const auto points = test::InjectionPoints([&] { save(nullptr); });
  ASSERT_GT(points.size(), 30u);
  for (const test::InjectionPoint& point : points) {
    SCOPED_TRACE(test::Describe(point));
    test::WriteBytes(host.state.SettingsFilePath, original);
    test::FaultPlan plan;
    plan.target = point;
    test::AnsweringPrompter seen;
    SetupSave result;
    {
      test::ScopedFaults faults(plan);
      result = save(&seen);
    }
    EXPECT_EQ(result, SetupSave::StayOpen);
    ASSERT_FALSE(seen.boxes.empty());
    EXPECT_EQ(seen.boxes.back().text, kSettingsNotSaved);
    const std::string now = test::ReadBytes(host.state.SettingsFilePath);
    EXPECT_EQ(now.compare(now.size() - 2, 2, "\r\n"), 0) << now;
    for (const char* section : {"[tessary]\r\n", "[compare]\r\n"}) EXPECT_NE(now.find(section), std::string::npos) << now;
    EXPECT_FALSE(PathExists(host.state.SettingsFilePath + ".new"));
    EXPECT_EQ(save(nullptr), SetupSave::Saved);
    // The same entries (a save that stopped part-way may have put some in another order).
    auto sorted = [](const std::string& text) {
      std::multiset<std::string> lines;
      for (std::size_t at = 0, end; at < text.size(); at = end + 2) lines.insert(text.substr(at, (end = text.find("\r\n", at)) - at));
      return lines;
    };
    EXPECT_EQ(sorted(test::ReadBytes(host.state.SettingsFilePath)), sorted(saved));
  }
  std::cout << "[          ] " << points.size() << " injection points\n";
}

}  // namespace
}  // namespace tessary
