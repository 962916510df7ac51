// setup.exe's install steps against the real install disk, and ostrel.exe removing
// what they installed.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <lzexpand.h>

#include <deque>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "setup_install.h"
#include "testbed.h"

namespace tessary::setup {
namespace {

struct Box {
  std::string text, caption;
  unsigned style;
};

class ScriptedUi : public SetupUi {
 public:
  int Ask(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style});
    if (answers.empty()) return kAnswerNo;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  void Status(const std::string& text) override { statuses.push_back(text); }
  void Start(const std::string& commandLine, int show) override { starts.push_back({commandLine, show}); }
  std::deque<int> answers;
  std::vector<Box> boxes;
  std::vector<std::string> statuses;
  std::vector<std::pair<std::string, int>> starts;
};

std::string Ini(const std::string& file, const char* section, const char* key) {
  char buf[300] = {};
  GetPrivateProfileStringA(section, key, "<absent>", buf, sizeof buf, file.c_str());
  return buf;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ProgramsFolder() {
  char buf[MAX_PATH] = {};
  DWORD size = sizeof buf;
  RegGetValueA(HKEY_CURRENT_USER, "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
               "Programs", RRF_RT_REG_SZ, nullptr, buf, &size);
  return buf;
}

// The uninstall entry's value, with its stored length.
std::string UninstallValue(const char* name) {
  HKEY key = nullptr;
  std::string value;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\uninstall\\Tessary", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "<absent>";
  char buf[600] = {};
  DWORD size = sizeof buf, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
      type == REG_SZ)
    value.assign(buf, size);
  RegCloseKey(key);
  return value;
}

void RemoveProductTraces() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\uninstall\\Tessary");
  std::string programs = ProgramsFolder();
  if (!programs.empty()) test::RemoveTree(programs + "\\Tessary 95");
}

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductTraces();
    GetCurrentDirectoryA(MAX_PATH, cwd_);
    // A copy of the install disk; until corvel.exe is built, a plain stand-in takes
    // its place (the LZ copy passes uncompressed files through unchanged).
    std::string built = test::BuildPath(DISK_DIR);
    ctx.sourceDir = dir.MakeDir("disk-copy");
    for (const char* name : {"SETUP.EXE", "TESSARY.EX_", "TESSARY.HL_", "SENTINOX.EX_", "README.TXT", "OSTREL.EX_",
                             "CORVEL.EX_"})
      CopyFileA((built + "\\" + name).c_str(), (ctx.sourceDir + "\\" + name).c_str(), FALSE);
    if (!std::string(CORVEL_EXE).size()) test::WriteBytes(ctx.sourceDir + "\\CORVEL.EX_", "stand-in corvel");
    ctx.settingsPath = dir / "tessary.ini";
  }
  void TearDown() override {
    SetCurrentDirectoryA(cwd_);
    RemoveProductTraces();
  }
  test::TempDir dir;
  SetupContext ctx;
  ScriptedUi ui;

 private:
  char cwd_[MAX_PATH] = {};
};

// Without a Programs shell folder there is no Start menu to hold the shortcut: the
// install goes on without one, silently, and leaves no stray folder at the root of the
// drive (where the product's uninstaller would never look for it).
TEST_F(SetupTest, WithoutAProgramsFolderTheShortcutIsLeftOut) {
  const char* shellFolders = "software\\microsoft\\windows\\currentversion\\explorer\\shell folders";
  struct RestoreValue {
    std::string value;
    const char* keyPath;
    ~RestoreValue() {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
      RegSetValueExA(key, "Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
      RegCloseKey(key);
    }
  } restore{ProgramsFolder(), shellFolders};
  ASSERT_FALSE(restore.value.empty());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, shellFolders, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "Programs");
  RegCloseKey(key);
  ASSERT_EQ(ProgramsFolder(), "");

  std::string target = dir / "Product";
  std::string stray = target.substr(0, 3) + "Tessary 95";
  ASSERT_FALSE(Exists(stray));
  ui.answers = {kAnswerYes, kAnswerNo, kAnswerNo};
  EXPECT_TRUE(OkClicked(ctx, ui, target));
  EXPECT_EQ(ui.boxes.size(), 3u);
  EXPECT_TRUE(Exists(target + "\\TESSARY.EXE"));
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Location"), target);
  EXPECT_FALSE(Exists(stray));
  test::RemoveTree(stray);
}

TEST_F(SetupTest, FreshInstallExpandsEveryFileAndWritesLinkEntryAndSettings) {
  std::string target = dir / "Product";
  ui.answers = {kAnswerYes, kAnswerNo, kAnswerNo};  // different directory; no read-me; no run
  ASSERT_TRUE(OkClicked(ctx, ui, target));

  // A first installation has no Location: the default stands in and the question comes.
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].caption, "Directory confirm");
  EXPECT_EQ(ui.boxes[0].style, kYesNo);
  EXPECT_EQ(ui.boxes[1].caption, "Install Complete");
  EXPECT_EQ(ui.boxes[1].style, kYesNo | kIconInformation);
  EXPECT_EQ(ui.boxes[2].text, "Would you like to run Tessary now?");
  EXPECT_TRUE(ui.starts.empty());

  struct Expect {
    const char* name;
    std::string original;
  };
  std::vector<Expect> files = {{"TESSARY.EXE", TESSARY_EXE}, {"TESSARY.HLP", HELP_FILE},
                               {"SENTINOX.EXE", SENTINOX_EXE}, {"README.TXT", README_FILE},
                               {"OSTREL.EXE", OSTREL_EXE}};
  if (std::string(CORVEL_EXE).size()) files.push_back({"CORVEL.EXE", CORVEL_EXE});
  else EXPECT_EQ(test::ReadBytes(target + "\\CORVEL.EXE"), "stand-in corvel");
  for (const Expect& f : files) {
    std::string original = test::ReadBytes(test::BuildPath(f.original));
    ASSERT_FALSE(original.empty()) << f.name;
    EXPECT_TRUE(test::ReadBytes(target + "\\" + f.name) == original) << f.name << " differs from the built file";
  }
  ASSERT_GE(ui.statuses.size(), 7u);
  EXPECT_EQ(ui.statuses[0], kCopying);
  EXPECT_EQ(ui.statuses[1], std::string(kCopying) + "\n" + target + "\\TESSARY.EXE");
  EXPECT_EQ(ui.statuses[6], std::string(kCopying) + "\n" + target + "\\CORVEL.EXE");

  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Location"), target);
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Directory"), target);
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Version"), "95.1.3");
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "FirstRun"), "Yes");

  EXPECT_EQ(UninstallValue("DisplayName"), std::string("Tessary 95", 11));
  EXPECT_EQ(UninstallValue("UninstallString"), target + "\\ostrel.exe" + std::string(1, '\0'));

  std::string link = ProgramsFolder() + "\\Tessary 95\\Tessary.lnk";
  ASSERT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
  CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         reinterpret_cast<void**>(&shellLink))));
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  std::wstring wide(link.begin(), link.end());
  ASSERT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
  char buf[MAX_PATH] = {};
  shellLink->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
  EXPECT_STREQ(buf, (target + "\\Tessary.exe").c_str());
  shellLink->GetWorkingDirectory(buf, MAX_PATH);
  EXPECT_STREQ(buf, target.c_str());
  shellLink->GetDescription(buf, MAX_PATH);
  EXPECT_STREQ(buf, "Tessary 95");
  file->Release();
  shellLink->Release();
  CoUninitialize();

  // The same directory again asks nothing about the directory.
  ScriptedUi again;
  EXPECT_TRUE(ConfirmDirectory(ctx, again, target));
  EXPECT_TRUE(again.boxes.empty());
  EXPECT_TRUE(ConfirmDirectory(ctx, again, target + "X") == false);
}

// The compressor's output for awkward inputs expands back through the LZ functions.
TEST(SzddCompressor, LzCopyExpandsAwkwardInputs) {
  test::TempDir dir;
  for (const char* name : {"empty", "one", "zeros", "spaces", "repeat", "random"}) {
    std::string cases = test::BuildPath(SZDD_CASES);
    std::string source = cases + "\\" + name + ".SZ_", target = dir / name;
    OFSTRUCT a{}, b{};
    INT in = LZOpenFileA(const_cast<char*>(source.c_str()), &a, OF_READ);
    ASSERT_GE(in, 0) << name;
    INT out = LZOpenFileA(const_cast<char*>(target.c_str()), &b, OF_CREATE);
    ASSERT_GE(out, 0) << name;
    EXPECT_GE(LZCopy(in, out), 0) << name;
    LZClose(in);
    LZClose(out);
    EXPECT_TRUE(test::ReadBytes(target) == test::ReadBytes(cases + "\\" + name)) << name;
  }
}

TEST_F(SetupTest, NoToTheDirectoryQuestionDoesNothing) {
  ui.answers = {kAnswerNo};
  EXPECT_FALSE(OkClicked(ctx, ui, dir / "Other"));
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_TRUE(ui.statuses.empty());
  EXPECT_EQ(GetFileAttributesA((dir / "Other").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SetupTest, DirectoryWithoutDriveGoesUnderTheRootOfC) {
  std::string relative = dir.path().substr(3) + "\\Rel";  // "tessary-tests\<test>\Rel"
  ui.answers = {kAnswerNo, kAnswerNo};
  ASSERT_TRUE(Install(ctx, ui, relative));
  EXPECT_NE(GetFileAttributesA((dir / "Rel\\TESSARY.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Location"), "C:\\" + relative);
}

TEST_F(SetupTest, MissingParentFailsWithBothMessagesAndRestoresTheDescription) {
  ui.answers = {kAnswerYes};
  EXPECT_FALSE(OkClicked(ctx, ui, dir / "no-such\\Product"));
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[1].text,
            "Unable to create tessary directory. Ensure you have entered a valid path for the installation "
            "directory.");
  EXPECT_EQ(ui.boxes[1].caption, "File error");
  EXPECT_EQ(ui.boxes[1].style, kIconWarning);
  EXPECT_EQ(ui.boxes[2].text, kInstallErrorText);
  EXPECT_EQ(ui.boxes[2].caption, "Installation Error");
  EXPECT_EQ(ui.statuses.back(), kDescription);
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Location"), "<absent>");
}

TEST_F(SetupTest, MissingSourceNamesTheTargetAndStops) {
  // A disk without CORVEL.EX_: the five files before it are copied, then the install stops.
  std::string disk = dir.MakeDir("disk");
  for (const char* name : {"TESSARY.EX_", "TESSARY.HL_", "SENTINOX.EX_", "README.TXT", "OSTREL.EX_"})
    ASSERT_TRUE(CopyFileA((ctx.sourceDir + "\\" + name).c_str(), (disk + "\\" + name).c_str(), FALSE));
  ctx.sourceDir = disk;
  EXPECT_FALSE(Install(ctx, ui, dir / "Product"));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Unable to find file to copy. Please make sure this file is on the install disk.");
  EXPECT_EQ(ui.boxes[0].caption, "CORVEL.EXE");
  EXPECT_NE(GetFileAttributesA((dir / "Product\\OSTREL.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(UninstallValue("DisplayName"), "<absent>");
}

TEST_F(SetupTest, ReinstallMovesOldKeysButKeepsUserChoices) {
  std::string target = dir / "Product";
  test::WriteBytes(ctx.settingsPath,
                   "[tessary]\r\nLocation=" + target + "\r\nDirectory=D:\\MYBACKUPS\r\nusesentinox=no\r\n"
                   "briefdescription=yes\r\nverifyalluninstall=no\r\nFirstRun=no\r\n"
                   "[sentinox]\r\nusesentinox=yes\r\n");
  ui.answers = {kAnswerNo, kAnswerYes};  // no read-me, but run it
  ASSERT_TRUE(OkClicked(ctx, ui, target));
  EXPECT_EQ(ui.boxes.size(), 2u);  // same Location: no directory question
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Directory"), "D:\\MYBACKUPS");
  EXPECT_EQ(Ini(ctx.settingsPath, "sentinox", "usesentinox"), "yes");
  EXPECT_EQ(Ini(ctx.settingsPath, "compare", "briefdescription"), "yes");
  EXPECT_EQ(Ini(ctx.settingsPath, "uninstall", "verifyalluninstall"), "no");
  for (const char* key : {"usesentinox", "briefdescription", "verifyalluninstall"})
    EXPECT_EQ(Ini(ctx.settingsPath, "tessary", key), "<absent>") << key;
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "FirstRun"), "Yes");
  // No to the read-me still offers to run, and Yes starts the installed program.
  ASSERT_EQ(ui.starts.size(), 1u);
  EXPECT_EQ(ui.starts[0].first, target + "\\Tessary.exe");
  EXPECT_EQ(ui.starts[0].second, SW_SHOWNORMAL);
}

TEST_F(SetupTest, ReadMeOpensInNotepadFromTheInstallDirectory) {
  ui.answers = {kAnswerYes, kAnswerNo};
  ASSERT_TRUE(Install(ctx, ui, dir / "Product"));
  ASSERT_EQ(ui.starts.size(), 1u);
  EXPECT_EQ(ui.starts[0].first, "notepad.exe readme.txt");
  EXPECT_EQ(ui.starts[0].second, SW_SHOWMAXIMIZED);
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_STREQ(cwd, (dir / "Product").c_str());
}

int RunAndWait(const std::string& commandLine, const std::string& workDir, DWORD ms = 60000) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &pi))
    return -1;
  CloseHandle(pi.hThread);
  DWORD code = 259;
  if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

TEST_F(SetupTest, OstrelRemovesTheProductAndNothingElse) {
  std::string target = dir / "Product";
  ui.answers = {kAnswerNo, kAnswerNo};
  ASSERT_TRUE(Install(ctx, ui, target));
  SetCurrentDirectoryA(dir.path().c_str());
  test::WriteBytes(target + "\\windir.tsb", "a backup listing\r\n");  // the user's backup stays
  std::string programs = ProgramsFolder();
  test::WriteBytes(programs + "\\Other.lnk", "not ours");

  // The Sentinox start-up shortcut named in the prefix's own settings file.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string realIni = std::string(windows) + "\\tessary.ini";
  std::string savedIni = test::ReadBytes(realIni);
  std::string sentinoxLink = dir / "Sentinox.lnk";
  test::WriteBytes(sentinoxLink, "link");
  WritePrivateProfileStringA("tessary", "LPath", sentinoxLink.c_str(), realIni.c_str());

  EXPECT_EQ(RunAndWait("\"" + target + "\\OSTREL.EXE\" /s", dir.path()), 0);
  EXPECT_EQ(GetFileAttributesA(sentinoxLink.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(realIni.c_str());
  if (!savedIni.empty()) test::WriteBytes(realIni, savedIni);
  for (const char* name : {"TESSARY.EXE", "TESSARY.HLP", "SENTINOX.EXE", "README.TXT", "CORVEL.EXE"})
    EXPECT_EQ(GetFileAttributesA((target + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  // It removes itself once it has ended.
  for (int i = 0; i < 100 && GetFileAttributesA((target + "\\OSTREL.EXE").c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);
  EXPECT_EQ(GetFileAttributesA((target + "\\OSTREL.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(test::ReadBytes(target + "\\windir.tsb"), "a backup listing\r\n");
  EXPECT_EQ(GetFileAttributesA((programs + "\\Tessary 95").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(test::ReadBytes(programs + "\\Other.lnk"), "not ours");
  DeleteFileA((programs + "\\Other.lnk").c_str());
  EXPECT_EQ(UninstallValue("DisplayName"), "<absent>");
  EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Location"), target);  // the settings file stays
}

}  // namespace
}  // namespace tessary::setup

namespace tessary::setup {
namespace {

HWND WaitForWindow(const char* caption, DWORD ms = 20000) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (HWND w = FindWindowA("#32770", caption)) return w;
    Sleep(50);
  }
  return nullptr;
}

// Presses a button of a message box or dialog in the installer's process.
void Press(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// setup.exe itself, from a disk copy, against the real settings file of the prefix.
TEST_F(SetupTest, SetupProgramInstallsThroughItsDialog) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string ini = std::string(windows) + "\\tessary.ini";
  std::string saved = test::ReadBytes(ini);
  DeleteFileA(ini.c_str());
  std::string target = dir / "ViaDialog";

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + ctx.sourceDir + "\\SETUP.EXE\"";
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, ctx.sourceDir.c_str(), &si,
                             &pi));
  CloseHandle(pi.hThread);
  HWND main = WaitForWindow("Tessary Install");
  EXPECT_NE(main, nullptr);
  if (main) {
    char text[300] = {};
    for (int i = 0; i < 100 && !GetDlgItemTextA(main, 200, text, sizeof text); ++i) Sleep(50);
    EXPECT_STREQ(text, "C:\\Program Files\\Tessary");
    GetDlgItemTextA(main, 202, text, sizeof text);
    EXPECT_STREQ(text, kDescription);
    SendDlgItemMessageA(main, 200, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
    Press(main, IDOK);
    HWND box = WaitForWindow("Directory confirm");  // no Location yet: the default stands in
    EXPECT_NE(box, nullptr);
    if (box) Press(box, IDYES);
    box = WaitForWindow("Install Complete");
    EXPECT_NE(box, nullptr);
    if (box) Press(box, IDNO);
    box = WaitForWindow("Run Now?");
    EXPECT_NE(box, nullptr);
    if (box) Press(box, IDNO);
  }
  bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  EXPECT_TRUE(ended) << "setup.exe should end after a successful install";
  EXPECT_EQ(Ini(ini, "tessary", "Location"), target);
  EXPECT_EQ(Ini(ini, "tessary", "FirstRun"), "Yes");
  EXPECT_TRUE(test::ReadBytes(target + "\\TESSARY.EXE") == test::ReadBytes(test::BuildPath(TESSARY_EXE)));

  DeleteFileA(ini.c_str());
  if (!saved.empty()) test::WriteBytes(ini, saved);
}

TEST_F(SetupTest, OstrelAsksFirstAndNoRemovesNothing) {
  std::string target = dir / "Product";
  ui.answers = {kAnswerNo, kAnswerNo};
  ASSERT_TRUE(Install(ctx, ui, target));
  SetCurrentDirectoryA(dir.path().c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + target + "\\OSTREL.EXE\"";
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &pi));
  CloseHandle(pi.hThread);
  HWND box = WaitForWindow("Tessary 95 Uninstall");
  EXPECT_NE(box, nullptr);
  if (box) Press(box, IDNO);
  bool ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  EXPECT_TRUE(ended);
  EXPECT_NE(GetFileAttributesA((target + "\\TESSARY.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(UninstallValue("DisplayName"), std::string("Tessary 95", 11));
}

TEST_F(SetupTest, CancelEndsTheProgramWithNothingDone) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + ctx.sourceDir + "\\SETUP.EXE\"";
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, ctx.sourceDir.c_str(), &si,
                             &pi));
  CloseHandle(pi.hThread);
  HWND main = WaitForWindow("Tessary Install");
  EXPECT_NE(main, nullptr);
  if (main) Press(main, IDCANCEL);
  bool ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  EXPECT_TRUE(ended);
  EXPECT_EQ(UninstallValue("DisplayName"), "<absent>");
}

}  // namespace
}  // namespace tessary::setup

namespace tessary::setup {
namespace {

bool WindowShows(HWND window, const std::string& text) {
  char buf[4096] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 1000,
                           &got))
    return false;
  return std::string(buf).find(text) != std::string::npos;
}

// True once some window of the desktop (or a child of one) shows the text.
bool WaitForText(const std::string& text) {
  struct Search {
    const std::string* text;
    bool found;
  } search{&text, false};
  for (int i = 0; i < 200 && !search.found; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EnumWindows(
        [](HWND top, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          EnumChildWindows(
              top,
              [](HWND child, LPARAM q) -> BOOL {
                auto* s2 = reinterpret_cast<Search*>(q);
                if (WindowShows(child, *s2->text)) s2->found = true;
                return !s2->found;
              },
              p);
          return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  return search.found;
}

// The generated help file opens in the platform's help engine at its contents, at the
// topics of command context numbers and at a keyword.
TEST(HelpFile, HelpEngineShowsContentsAndCommandTopics) {
  HWND owner = CreateWindowA("STATIC", "help owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::string hlp = test::BuildPath(HELP_FILE);
  ASSERT_TRUE(WinHelpA(owner, hlp.c_str(), HELP_CONTENTS, 0));
  EXPECT_TRUE(WaitForText("Tessary records what a program installation changes"));
  // Every command context number of the main window has its topic (ordered so that
  // each one changes the page shown).
  const std::pair<unsigned, const char*> commands[] = {
      {204, "Backup copies the boot and INI files"},
      {24310, "These work on the active report window"},
      {205, "Express backs up, starts the setup program"},
      {24337, "These work on the active report window"},
      {301, "Sets the backup directory, window settings"},
      {102, "Start the system's INI-file editor"},
      {302, "Pick a compare report to open it"},
      {109, "Start the system's INI-file editor"},
      {303, "Pick a report, then tick the changes to undo"},
      {24365, "These work on the active report window"},
      {304, "Compare checks the computer against the newest backup"},
      {2001, "Tessary records what a program installation changes"},
      {2002, "Click a topic or use Index"},
      {2009, "Tessary 95, version 95.1.3."},
  };
  for (auto [number, text] : commands) {
    ASSERT_TRUE(WinHelpA(owner, hlp.c_str(), HELP_CONTEXT, number));
    EXPECT_TRUE(WaitForText(text)) << number;
  }

  // Keyword topics, chosen in the help engine's index (it does not take HELP_KEY).
  auto openKeyword = [](const char* keyword) {
    HWND indexButton = nullptr;
    for (int i = 0; i < 50 && !indexButton; ++i) {
      EnumWindows(
          [](HWND top, LPARAM p) -> BOOL {
            EnumChildWindows(
                top,
                [](HWND child, LPARAM q) -> BOOL {
                  char text[32] = {};
                  GetWindowTextA(child, text, sizeof text);
                  if (std::string(text) == "&Index" && IsWindowVisible(child)) *reinterpret_cast<HWND*>(q) = child;
                  return TRUE;
                },
                p);
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&indexButton));
      if (!indexButton) Sleep(100);
    }
    if (!indexButton) return ::testing::AssertionFailure() << "no Index button";
    PostMessageA(indexButton, BM_CLICK, 0, 0);
    HWND list = nullptr, sheet = nullptr;
    for (int i = 0; i < 100 && !list; ++i) {
      Sleep(100);
      sheet = FindWindowA(nullptr, "Help topics: Tessary Help");
      if (!sheet) sheet = FindWindowA(nullptr, "Help topics: Wine Help");
      if (sheet)
        EnumChildWindows(
            sheet,
            [](HWND child, LPARAM q) -> BOOL {
              char cls[32] = {};
              GetClassNameA(child, cls, sizeof cls);
              if (std::string(cls) == "ListBox") *reinterpret_cast<HWND*>(q) = child;
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&list));
    }
    if (!list) return ::testing::AssertionFailure() << "the help index did not open";
    LRESULT item =
        SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(keyword));
    if (item < 0) return ::testing::AssertionFailure() << "no keyword " << keyword;
    SendMessageA(list, LB_SETCURSEL, item, 0);
    PostMessageA(sheet, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 50 && IsWindow(sheet) && IsWindowVisible(sheet); ++i) Sleep(100);
    return ::testing::AssertionSuccess();
  };
  // The branches choose what Compare checks; Backup records all of them.
  ASSERT_TRUE(openKeyword("Registration Database"));
  EXPECT_TRUE(WaitForText("Choose the registry branches that Compare checks for new keys"));
  EXPECT_TRUE(WaitForText("Backup always records the key names of all seven branches"));
  // Likewise the standard directories; the user's own are listed and compared.
  ASSERT_TRUE(openKeyword("Directories"));
  EXPECT_TRUE(WaitForText("Choose which standard directories Compare checks for added and updated files."));
  EXPECT_TRUE(WaitForText("Backup lists all of them, whatever you choose here."));

  WinHelpA(owner, hlp.c_str(), HELP_QUIT, 0);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace tessary::setup

// The install meets a failing file operation at each one it performs, in turn, while it
// upgrades an older installation: the failure is reported, every installed file, the
// shortcut and the settings file are the older ones or the new ones whole (a user's
// setting is never lost), nothing is left beside them, and the next install succeeds.
namespace tessary::setup {
namespace {

class SetupFaults : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    // A small disk: plain stand-ins for the programs, and a compressed help file.
    ctx.sourceDir = dir.MakeDir("small-disk");
    for (const FileEntry& entry : kFiles)
      test::WriteBytes(ctx.sourceDir + "\\" + entry.source, std::string("new ") + entry.target + "\r\n");
    const std::string cases = test::BuildPath(SZDD_CASES);
    ASSERT_TRUE(CopyFileA((cases + "\\repeat.SZ_").c_str(), (ctx.sourceDir + "\\TESSARY.HL_").c_str(), FALSE));
    newHelp = test::ReadBytes(cases + "\\repeat");
    target = dir / "Product";
    link = ProgramsFolder() + "\\Tessary 95\\Tessary.lnk";
  }
  // The installation being upgraded: its files, its shortcut and the settings of an
  // older version, whose keys this install moves to their own sections.
  void Older() {
    test::RemoveTree(target);
    CreateDirectoryA(target.c_str(), nullptr);
    for (const FileEntry& entry : kFiles) test::WriteBytes(target + "\\" + entry.target, Old(entry.target));
    CreateDirectoryA((ProgramsFolder() + "\\Tessary 95").c_str(), nullptr);
    test::WriteBytes(link, "an older shortcut");
    ProfileFlush(ctx.settingsPath);
    test::WriteBytes(ctx.settingsPath, "[tessary]\r\nLocation=" + target +
                                           "\r\nDirectory=D:\\MYBACKUPS\r\nusesentinox=yes\r\nbriefdescription=yes\r\n"
                                           "verifyalluninstall=no\r\nFirstRun=no\r\nVersion=95.1.2\r\n"
                                           "[compare]\r\nKeepBlank=no\r\n");
  }
  static std::string Old(const std::string& name) { return "old " + name + "\r\n"; }
  std::string New(const std::string& name) const {
    return name == "TESSARY.HLP" ? newHelp : "new " + name + "\r\n";
  }
  bool Run(ScriptedUi& seen) {
    const bool ok = OkClicked(ctx, seen, target);
    ProfileFlush(ctx.settingsPath);
    return ok;
  }
  // What a setting reads in either place it may be in while it moves.
  std::string Moved(const char* key, const char* section) {
    const std::string moved = Ini(ctx.settingsPath, section, key);
    return moved != "<absent>" ? moved : Ini(ctx.settingsPath, "tessary", key);
  }
  static std::multiset<std::string> Lines(const std::string& text) {
    std::multiset<std::string> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 2)
      lines.insert(text.substr(at, (end = text.find("\r\n", at)) - at));
    return lines;
  }

  std::string target, link, newHelp;
};

TEST_F(SetupFaults, EveryFileOperationThatFailsIsReportedAndLosesNothing) {
  Older();
  ScriptedUi first;
  ASSERT_TRUE(Run(first));
  for (const FileEntry& entry : kFiles) ASSERT_EQ(test::ReadBytes(target + "\\" + entry.target), New(entry.target));
  const std::string settings = test::ReadBytes(ctx.settingsPath), newLink = test::ReadBytes(link);
  ASSERT_EQ(Ini(ctx.settingsPath, "sentinox", "usesentinox"), "yes");
  ASSERT_EQ(Ini(ctx.settingsPath, "tessary", "Version"), kVersion);
  ASSERT_NE(newLink, "an older shortcut");

  Older();
  const auto points = test::InjectionPoints([&] {
    ScriptedUi ui;
    Run(ui);
  });
  // The shortcut's operations: its folder in the Start menu, the link and its side file.
  const std::string linkFolder = link.substr(0, link.rfind('\\'));
  auto forShortcut = [&](const test::InjectionPoint& point) {
    return point.path.find(link) == 0 || point.path == linkFolder;
  };
  bool shortcutSeen = false;
  for (const test::InjectionPoint& point : points) shortcutSeen = shortcutSeen || point.path.find(link) == 0;
  EXPECT_TRUE(shortcutSeen) << "the shortcut is not written through the platform";
  ASSERT_GT(points.size(), 40u);
  for (const test::InjectionPoint& point : points) {
    SCOPED_TRACE(test::Describe(point));
    Older();
    test::FaultPlan plan;
    plan.target = point;
    ScriptedUi seen;
    bool ok;
    {
      test::ScopedFaults faults(plan);
      ok = Run(seen);
    }
    ASSERT_EQ(plan.failures, 1);
    if (forShortcut(point)) {
      // The shortcut fails silently, and the install goes on. Its folder is there already:
      // a failure to make it again keeps nothing from being saved.
      EXPECT_TRUE(ok);
      if (point.path != linkFolder) {
        EXPECT_EQ(test::ReadBytes(link), "an older shortcut");
      }
    } else {
      EXPECT_FALSE(ok);
      ASSERT_GE(seen.boxes.size(), 2u);
      const Box& reason = seen.boxes[seen.boxes.size() - 2];
      EXPECT_TRUE(reason.text.rfind("Couldn't copy this file.", 0) == 0 ||
                  reason.text == "Unable to write the settings file. Make sure the disk is not full.")
          << reason.text;
      EXPECT_EQ(seen.boxes.back().text, kInstallErrorText);
      const std::string shortcut = test::ReadBytes(link);
      EXPECT_TRUE(shortcut == "an older shortcut" || shortcut.size() == newLink.size());
    }
    for (const FileEntry& entry : kFiles) {
      const std::string now = test::ReadBytes(target + "\\" + entry.target);
      EXPECT_TRUE(now == Old(entry.target) || now == New(entry.target)) << entry.target << " is cut short";
    }
    for (const std::string& folder : {target, dir.path(), ProgramsFolder() + "\\Tessary 95"}) {
      DirSearch search(folder + "\\*.new");
      FindEntry e;
      EXPECT_FALSE(search.Next(e)) << folder << "\\" << e.name << " stays behind";
    }
    const std::string now = test::ReadBytes(ctx.settingsPath);
    EXPECT_EQ(now.compare(now.size() - 2, 2, "\r\n"), 0) << now;
    EXPECT_NE(now.find("[compare]\r\n"), std::string::npos) << now;
    EXPECT_EQ(Ini(ctx.settingsPath, "tessary", "Directory"), "D:\\MYBACKUPS") << now;
    EXPECT_EQ(Moved("usesentinox", "sentinox"), "yes") << now;
    EXPECT_EQ(Moved("briefdescription", "compare"), "yes") << now;
    EXPECT_EQ(Moved("verifyalluninstall", "uninstall"), "no") << now;

    ScriptedUi next;
    EXPECT_TRUE(Run(next));
    for (const FileEntry& entry : kFiles) EXPECT_EQ(test::ReadBytes(target + "\\" + entry.target), New(entry.target));
    EXPECT_EQ(Lines(test::ReadBytes(ctx.settingsPath)), Lines(settings));
    EXPECT_EQ(test::ReadBytes(link).size(), newLink.size());
  }
  std::cout << "[          ] " << points.size() << " injection points\n";
}

// The entry in the list of removable programs is written through the platform (the
// key, then its two values), where the seam sees it; a refused write leaves the
// install standing, as a system that refuses the entry always did.
TEST_F(SetupFaults, TheUninstallEntryGoesThroughThePlatformAndIsNoReasonToFail) {
  Older();
  const auto points = test::InjectionPoints(
      [&] {
        ScriptedUi ui;
        Run(ui);
      },
      {FileOp::Registry});
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].path, kUninstallSubkey);
  EXPECT_EQ(points[1].path, "DisplayName");
  for (const test::InjectionPoint& point : points) {
    SCOPED_TRACE(test::Describe(point));
    Older();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\uninstall\\Tessary");
    test::FaultPlan plan;
    plan.target = point;
    ScriptedUi seen;
    bool ok;
    {
      test::ScopedFaults faults(plan);
      ok = Run(seen);
    }
    EXPECT_EQ(plan.failures, 1);
    EXPECT_TRUE(ok);
    // "<absent>": no key; empty: no such value.
    EXPECT_EQ(UninstallValue("DisplayName") == std::string("Tessary 95", 11), point.nth == 3);
    EXPECT_EQ(UninstallValue("UninstallString").empty() || UninstallValue("UninstallString") == "<absent>",
              point.nth != 2);  // each value is written whatever became of the other
  }
}

}  // namespace
}  // namespace tessary::setup
