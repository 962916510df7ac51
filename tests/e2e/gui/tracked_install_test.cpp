// Tracked installations from end to end: the real tessary.exe, worked through its windows
// as a user would, takes a backup, a real installer changes the machine, Compare writes
// the report and the action file, and Uninstall undoes what it can.
//
// What the program tracks, and so what a report may hold:
// - the boot files C:\autoexec.bat, C:\config.sys, C:\msdos.sys (lines, no undo);
// - win.ini, system.ini and protocol.ini of the Windows folder (entries, undone);
// - the names of the entries directly in the Windows, System (the 16-bit
//   C:\windows\system, not system32), Fonts, Inf and Help folders, C:\Program Files, the
//   Start-menu programs folder, the desktop and the root of C: (new entries are undone,
//   updated files are only reported; nothing below a new folder is listed);
// - new registry keys of the branches switched on in [registry]. HKEY_CLASSES_ROOT is
//   Wine's view of HKEY_LOCAL_MACHINE\Software\Classes, which the SOFTWARE branch leaves
//   out, so class keys show once, under HKEY_CLASSES_ROOT (CLSID keys under its own
//   branch). Values are not compared: only new keys count.
// Everything else an installer does (its temporary files, system32) must not appear.
// With deep tracking on (ModernAppDeepRoundTrip), the deep sections after those add the
// places of today's installers with all their subfolders, system32 among them.
//
// Set TESSARY_E2E_PRINT=1 to have the tests print each report and uninstall log, and
// TESSARY_GUIDE_SHOTS=1 to save pictures of the windows for the user guide (as BMP
// files in the build folder's guide-shots folder; scripts/guide-shots turns them into
// docs/guide/*.png).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/tree_walk.h"
#include "resources/ids.h"
#include "snapshot/deep_places.h"
#include "shell/progress_ids.h"
#include "tessary_process.h"
#include "testbed.h"
#include "uninstall/find_dll_ids.h"
#include "uninstall/list_ids.h"
#include "uninstall/uninstall_ids.h"

namespace tessary {
namespace {

using test::TessaryProcess;
using test::WaitFor;

bool EnvOn(const char* name) {
  const char* v = std::getenv(name);
  return v && *v && std::string(v) != "0";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

// A shell folder of the current user as the program finds it.
std::string ShellFolder(const char* value, const std::string& fallback) {
  HKEY key = nullptr;
  std::string result;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_READ, &key) == ERROR_SUCCESS) {
    char data[256] = {};
    DWORD size = sizeof data - 1, type = 0;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
      result = data;
    RegCloseKey(key);
  }
  return result.empty() ? fallback : result;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Packed DOS date and time in the report's form: "15:00  3 Dec 1996".
std::string ReportDate(DosDateTime d) {
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  CivilTime t = UnpackDos(d);
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d  %d %s %d", t.hour, t.minute, t.day,
                t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "?", t.year);
  return text;
}

// The report with what varies from run to run made comparable: the lines of each
// directory block are sorted (the file system decides their order), and the free-space
// lines, whose figures depend on the host disk, are checked for their form and dropped.
std::vector<std::string> Comparable(const std::string& report) {
  std::vector<std::string> in = Lines(report), out;
  static const std::regex kFree(
      "(Increase|Decrease) in free disk space on drive [C-Z]:  [0-9,]+ Bytes\\. Free before: -?[0-9,]+\\. "
      "Free now: -?[0-9,]+\\.");
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (std::regex_match(in[i], kFree)) continue;
    if (in[i].rfind("* * ", 0) == 0) continue;
    out.push_back(in[i]);
    if (in[i] == "===============" && i + 1 < in.size() && in[i + 1].size() > 10 &&
        in[i + 1].substr(in[i + 1].size() - 10) == " Directory") {
      out.push_back(in[++i]);
      std::size_t first = out.size();
      while (i + 1 < in.size() && in[i + 1] != "===============" && in[i + 1] != "- - - - -" &&
             in[i + 1].rfind("--", 0) != 0)
        out.push_back(in[++i]);
      std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
    }
  }
  return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// A message box or dialog the program showed while a command ran, and the answer given.
struct Shown {
  std::string caption, text;
  std::vector<std::string> list;  // the DLL Dependencies dialog's referring files
};

// The machine state a test changes, saved before and put back after, so that the suite
// can run twice in a row: the settings file, the INI and boot files, the files the
// installers write and what an uninstall leaves behind by design.
class MachineGuard {
 public:
  void SaveFile(const std::string& path) {
    ProfileFlush(path);
    files_.push_back({path, FileExists(path), test::ReadBytes(path)});
  }
  void RemoveAfter(const std::string& path) { trees_.push_back(path); }
  // Whether a file saved with SaveFile was there when it was saved.
  bool Existed(const std::string& path) const {
    for (const Saved& f : files_)
      if (EqualsNoCase(f.path, path)) return f.existed;
    return false;
  }
  void DeleteKeyAfter(HKEY root, const std::string& path) { keys_.push_back({root, path}); }
  ~MachineGuard() {
    for (const auto& [root, path] : keys_) RegDeleteTreeA(root, path.c_str());
    for (const std::string& t : trees_) test::RemoveTree(t);
    for (const Saved& f : files_) {
      ProfileFlush(f.path);
      if (f.existed) {
        test::SetAttributes(f.path, FILE_ATTRIBUTE_NORMAL);
        test::WriteBytes(f.path, f.bytes);
      } else {
        test::SetAttributes(f.path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.path.c_str());
      }
      ProfileFlush(f.path);
    }
  }

 private:
  struct Saved {
    std::string path;
    bool existed;
    std::string bytes;
  };
  std::vector<Saved> files_;
  std::vector<std::string> trees_;
  std::vector<std::pair<HKEY, std::string>> keys_;
};

class TrackedInstall : public ::testing::Test {
 protected:
  TrackedInstall() {
    win_ = WindowsDirectory();
    ini_ = win_ + "\\tessary.ini";
    startMenu_ = ShellFolder("Programs", win_ + "\\Start Menu\\Programs");
    desktop_ = ShellFolder("Desktop", win_ + "\\Desktop");
    for (const std::string& f :
         {ini_, win_ + "\\win.ini", win_ + "\\system.ini", win_ + "\\protocol.ini", std::string("C:\\autoexec.bat"),
          std::string("C:\\config.sys"), win_ + "\\win.uib", win_ + "\\system.uib", win_ + "\\protocol.uib",
          win_ + "\\system.tsd", std::string("C:\\msdos.uib")})
      guard_.SaveFile(f);
    backup_ = dir_.MakeDir("BACKUP");
    shots_ = EnvOn("TESSARY_GUIDE_SHOTS");
    print_ = EnvOn("TESSARY_E2E_PRINT");
  }

  // A settings file of the test's own: the backup directory and the registry branches.
  void WriteSettings(const std::string& extra = {}) {
    ProfileFlush(ini_);
    test::WriteBytes(ini_, "[tessary]\r\nDirectory=" + backup_ + "\r\n" + extra);
    ProfileFlush(ini_);
  }

  void Shot(HWND hwnd, const std::string& name) {
    if (!shots_ || !hwnd) return;
    Sleep(400);
    std::string dir = test::BuildPath(GUIDE_SHOTS_DIR);
    CreateDirectoryA(dir.c_str(), nullptr);
    test::SaveWindowPicture(hwnd, dir + "\\" + name + ".bmp");
  }

  // Backup from the menu command, confirmed in the Backup dialog.
  void Backup(TessaryProcess& app) {
    app.Command(CM_BACKUP);
    HWND dialog = app.WaitBox("Backup");
    ASSERT_NE(dialog, nullptr) << "no Backup dialog";
    EXPECT_EQ(test::TextOf(GetDlgItem(dialog, 337)), ToUpperAscii(backup_));
    Shot(dialog, "backup-dialog");
    TessaryProcess::Press(dialog, IDOK);
    ASSERT_TRUE(WaitForBackup(app)) << "the backup did not finish: " << test::TextOf(app.Box());
    EXPECT_TRUE(FileExists(backup_ + "\\windir.tsb"));
  }

  // A backup has ended when the status bar shows it and no dialog is left open.
  static bool WaitForBackup(TessaryProcess& app) {
    HWND status = FindWindowExA(app.frame(), nullptr, "msctls_statusbar32", nullptr);
    return WaitFor(
        [&] {
          return app.Box() == nullptr && IsWindowEnabled(app.frame()) &&
                 test::TextOf(status).rfind("LAST BACKUP IN:", 0) == 0;
        },
        120000);
  }

  // Runs an installer silently from its B: path and waits for it.
  static void Install(const std::string& setup) {
    ChildProcess installer;
    ASSERT_TRUE(installer.Start("\"" + test::BuildPath(setup) + "\" /S", SW_SHOWNORMAL));
    ASSERT_EQ(WaitForSingleObject(installer.handle(), 60000), WAIT_OBJECT_0) << "installer did not end";
    EXPECT_EQ(installer.ExitCode(), 0u);
  }

  // Confirms an open Compare dialog and waits for the report's viewer.
  HWND ConfirmCompare(TessaryProcess& app, HWND dialog) {
    EXPECT_EQ(test::TextOf(GetDlgItem(dialog, 210)), "COMPARE");
    TessaryProcess::Press(dialog, IDOK);
    HWND viewer = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (viewer = app.Viewer(Report())) != nullptr; }, 120000))
        << "no report viewer; open: " << test::TextOf(app.Box());
    return viewer;
  }

  HWND Compare(TessaryProcess& app) {
    app.Command(CM_COMPARE);
    HWND dialog = app.WaitBox("Compare");
    EXPECT_NE(dialog, nullptr) << "no Compare dialog";
    return dialog ? ConfirmCompare(app, dialog) : nullptr;
  }

  // Uninstall from the report: every action selected, each question answered. The DLL
  // Dependencies dialog gets `dllAnswer`, a directory question `treeAnswer`; `order`
  // receives the list's entries (the run's order), and everything shown is returned.
  std::vector<Shown> Uninstall(TessaryProcess& app, std::vector<std::string>& order, int dllAnswer = IDC_FINDDLL_YES,
                               int treeAnswer = IDYES,
                               const std::function<int(const std::string&)>& verifyAnswer = nullptr) {
    std::vector<Shown> shown;
    app.Command(CM_UNINSTALL);
    HWND chooser = app.WaitBox("UnInstall");
    EXPECT_NE(chooser, nullptr) << "no UnInstall dialog";
    if (!chooser) return shown;
    HWND list = GetDlgItem(chooser, IDC_UNINSTALL_LIST);
    EXPECT_EQ(test::ListItems(list), std::vector<std::string>{"COMPARE.TSC"});
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    TessaryProcess::Press(chooser, IDOK);
    HWND actions = app.WaitBox("Uninstall Actions");
    EXPECT_NE(actions, nullptr) << "no Uninstall Actions dialog";
    if (!actions) return shown;
    HWND entries = GetDlgItem(actions, IDC_LIST_ACTIONS);
    HWND dllCheck = GetDlgItem(actions, IDC_LIST_DLLDEPEND);
    dllCheckOffered_ = IsWindowEnabled(dllCheck) && SendMessageA(dllCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // The list holds the action file's lines in upper case, in the list's own order.
    std::vector<std::string> expected = Lines(ToUpperAscii(test::ReadBytes(ActionFile())));
    order = test::ListItems(entries);
    EXPECT_EQ(Sorted(order), Sorted(expected));
    TessaryProcess::Press(actions, IDC_LIST_SELECTALL);
    EXPECT_TRUE(WaitFor([&] {
      return SendMessageA(entries, LB_GETSELCOUNT, 0, 0) == static_cast<LRESULT>(expected.size());
    }));
    Shot(actions, "uninstall-actions");
    TessaryProcess::Press(actions, IDOK);

    bool complete = false;
    bool finished = WaitFor(
        [&] {
          for (HWND box : test::TopWindows(app.pid(), "#32770")) {
            std::string caption = test::TextOf(box);
            if (caption == "Uninstall Actions" || caption == "Dll Dependancy Check" || caption == "Please wait...")
              continue;
            // A progress window caught before its caption is set (its detail line may show
            // first) asks nothing: pressing it would cancel its step.
            if (GetDlgItem(box, IDC_PROGRESS_DETAIL)) continue;
            Shown s{caption, test::StaticTexts(box), {}};
            // A box caught between its creation and its first texts (a progress window
            // gets its caption just after it shows) is looked at again on the next round.
            if (caption.empty() && s.text.empty()) continue;
            int answer = IDOK;
            if (caption == "DLL Dependencies") {
              s.text = test::TextOf(GetDlgItem(box, IDC_FINDDLL_PATH));
              s.list = test::ListItems(GetDlgItem(box, IDC_FINDDLL_LIST));
              answer = dllAnswer;
            } else if (caption == "Verify this action:") {
              answer = verifyAnswer ? verifyAnswer(s.text) : IDYES;
            } else if (s.text.rfind("This directory, all its files", 0) == 0) {
              answer = treeAnswer;
            } else if (caption == "Uninstall Complete") {
              answer = IDYES;
              complete = true;
            }
            shown.push_back(s);
            TessaryProcess::Press(box, answer);
            WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
            return false;
          }
          return complete && app.Box("Uninstall Actions") == nullptr && IsWindowEnabled(app.frame());
        },
        180000);
    EXPECT_TRUE(finished) << "the uninstall did not end";
    return shown;
  }

  std::string Report() const { return backup_ + "\\COMPARE.TSC"; }
  std::string ActionFile() const { return backup_ + "\\COMPARE.tsu"; }
  std::string Log() const { return backup_ + "\\COMPARE.log"; }

  void PrintIfAsked() const {
    if (!print_) return;
    std::cout << "===== " << Report() << "\n" << test::ReadBytes(Report()) << "\n===== " << Log() << "\n"
              << test::ReadBytes(Log()) << std::flush;
  }

  test::TempDir dir_;
  MachineGuard guard_;
  std::string win_, ini_, startMenu_, desktop_, backup_;
  bool shots_ = false, print_ = false;
  bool dllCheckOffered_ = false;  // "Check DLL Dependencies" was enabled and checked
};

// The fixed text that opens every full report.
std::vector<std::string> Header(const std::string& report) {
  return {"Tessary configuration file comparison file.",
          report,
          "========================================",
          "Every line in your current configuration files is compared to every",
          "line in your backup files, with all differences noted below.",
          "For the Autoexec.bat and Config.sys files, any changes will be reflected",
          "in two sections; added/changed and deleted/changed. Any lines that appear",
          "in both sections have changed, those in just the added section were",
          "added, and those just in the deleted section were deleted.",
          "If you have multi-boot config.sys and autoexec.bat, the block",
          "where the change occurred will also be noted (Like :DOS, :WINDOWS etc)",
          "",
          "For your Win.ini and System.ini, changes will be shown as",
          "FROM: (showing the original value of the entry)",
          "TO: (showing the new value of the entry",
          "ADDED: (this line has been added)",
          "DELETED: (this line has been removed)",
          "The section where this change occurred will also be noted.",
          "",
          "Any files that have been added or changed in your root, Windows or",
          "Windows System directories will also be listed. Files that have been",
          "updated (changed/replaced) will also show the date and time of the new file.",
          };
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
  to.insert(to.end(), lines.begin(), lines.end());
}

// "UPDATED: " lines as the report writes them: a short name gets extra tabs.
std::string Updated(const std::string& name, DosDateTime now, DosDateTime old) {
  std::string line = "UPDATED: " + name;
  if (name.size() < 7) {
    line += "\t";
    if (name.find("ini") != std::string::npos) line += "\t";
  }
  return line + "\tNEW:" + ReportDate(now) + "\tOLD:" + ReportDate(old);
}

// Whether two paths name the same folder (Wine may hold two folders whose names differ
// only in case, and then picks one by the spelling asked for).
bool SameFolder(const std::string& a, const std::string& b) {
  auto id = [](const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string("?") + path;
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
  };
  return id(a) == id(b);
}

// The log block of one run: the heading, the date line, then the given lines.
void ExpectLog(const std::string& log, const std::vector<std::string>& lines) {
  std::vector<std::string> got = Lines(log);
  ASSERT_GE(got.size(), 2u) << log;
  EXPECT_EQ(got[0], "-----------UNINSTALL LOG FOR:");
  EXPECT_TRUE(std::regex_match(got[1], std::regex("[0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [ 0-9][0-9]:[0-9]{2}:[0-9]{2}")))
      << got[1];
  EXPECT_EQ(std::vector<std::string>(got.begin() + 2, got.end()), lines);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

// The NewApp installer taken the long way, in named steps: every registry branch it
// touches switched on, Backup from the menu, the installation, Compare, an uninstall of
// every action with Yes to every question, and the machine checked afterwards.
class TrackedNewApp : public TrackedInstall {
 protected:
  // The machine as the installer is to find it, the settings, and what the test must put
  // back afterwards.
  void PrepareMachine() {
    // The 16-bit System folder of a Windows 95 machine; Wine's prefix may lack it.
    if (!DirectoryExists(system_)) {
      CreateDirectoryA(system_.c_str(), nullptr);
      guard_.RemoveAfter(system_);
    }
    // Entries the installer changes and deletes, and a file it replaces.
    EXPECT_TRUE(ProfileWrite(winIni_, "TessaryE2E", "Mode", "old"));
    EXPECT_TRUE(ProfileWrite(winIni_, "TessaryE2E", "Obsolete", "1"));
    EXPECT_TRUE(ProfileWrite(sysIni_, "386Enh", "MinTimeSlice", "20"));
    EXPECT_TRUE(ProfileWrite(sysIni_, "386Enh", "KeyBufferDelay", ".5"));
    EXPECT_TRUE(ProfileWrite(protIni_, "NetTrans", "Lana", "0"));
    EXPECT_TRUE(ProfileWrite(protIni_, "NetTrans", "Stale", "yes"));
    // Files changed within two seconds of the backup would have the same packed DOS time
    // and count as unchanged: date the tracked files back.
    for (const std::string& f : {winIni_, sysIni_, protIni_, autoexec_, config_}) {
      ProfileFlush(f);
      test::SetLastWrite(f, 1996, 12, 7, 9, 5, 10);
    }
    guard_.SaveFile(common_);
    test::WriteBytes(common_, "NewApp common data, version 1");
    test::SetLastWrite(common_, 1996, 12, 7, 9, 5, 10);
    for (const std::string& t : {std::string("C:\\Program Files\\NewVendor"), win_ + "\\newapp.ini",
                                 system_ + "\\newapp.drv", win_ + "\\fonts\\newapp.fon", desktop_ + "\\NewApp.lnk",
                                 startMenu_ + "\\NewApp"})
      guard_.RemoveAfter(t);
    guard_.DeleteKeyAfter(HKEY_LOCAL_MACHINE, "SOFTWARE\\NewVendor");
    guard_.DeleteKeyAfter(HKEY_CURRENT_USER, "Software\\NewVendor");
    guard_.DeleteKeyAfter(HKEY_CLASSES_ROOT, ".nwa");
    guard_.DeleteKeyAfter(HKEY_CLASSES_ROOT, "NewApp.Document");
    guard_.DeleteKeyAfter(HKEY_CLASSES_ROOT, "CLSID\\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}");
    // Five branches compared, two switched off (they show as disabled).
    WriteSettings(
        "[registry]\r\nCuruser=yes\r\nCLocmach=yes\r\nCSoftware=yes\r\nCClasses=yes\r\nCClsid=yes\r\n"
        "CUsers=no\r\nCCrConfig=no\r\n");
    for (const std::string& f : {winIni_, sysIni_, protIni_, autoexec_, config_}) before_[f] = test::ReadBytes(f);
    // Backup lists the Fonts folder as "\fonts", Compare as "\FONTS": in a prefix with
    // both "Fonts" and "fonts" those are two folders, and the font goes untracked.
    fontsTracked_ = SameFolder(win_ + "\\fonts", win_ + "\\FONTS");
  }

  // Backup from the menu, then the installer, with the tracked files' times either side.
  void BackupAndInstall(TessaryProcess& app) {
    MoveWindow(app.frame(), 0, 0, 760, 520, TRUE);
    ASSERT_NO_FATAL_FAILURE(Backup(app));
    Shot(app.frame(), "main-window");
    for (const std::string& f : {winIni_, sysIni_, protIni_, common_, autoexec_, config_})
      old_[f] = FileDosDateTime(f).value_or(DosDateTime{});
    ASSERT_NO_FATAL_FAILURE(Install(NEWAPP_SETUP));
    for (const std::string& f : {winIni_, sysIni_, protIni_, common_, autoexec_, config_})
      now_[f] = FileDosDateTime(f).value_or(DosDateTime{});
  }

  // Compare from the menu: the viewer shows the report, and the report holds every
  // change in a tracked place and nothing else.
  void CompareAndExpectReport(TessaryProcess& app) {
    HWND viewer = Compare(app);
    ASSERT_NE(viewer, nullptr);
    if (shots_) {
      ShowWindow(viewer, SW_MAXIMIZE);
      // Past the explanatory header, to the findings.
      SendMessageA(FindWindowExA(viewer, nullptr, "tessaryEditFile", nullptr), EM_LINESCROLL, 0, 26);
      Shot(app.frame(), "compare-report");
    }
    const std::string report = test::ReadBytes(Report());
    EXPECT_EQ(app.ViewerText(viewer), report);

    std::vector<std::string> expected = Header(ToUpperAscii(Report()));
    Append(expected, {"====================", "AUTOEXEC.BAT File", "Lines added or modified:", "SET NEWAPP=C:\\NEWAPP",
                      "====================", "CONFIG.SYS File", "Lines added or modified:",
                      "DEVICE=C:\\NEWAPP\\NEWAPP.SYS", "====================",
                      "MSDOS.SYS - No changes made (File has same date/time)"});
    Append(expected, {"====================", "WIN.INI", "------", "Lines Added or Changed:", "- - -", "[TessaryE2E]",
                      "FROM:  Mode=old", "TO:    Mode=new", "[NewApp]", "ADDED: Path=C:\\NEWAPP", "------",
                      "Lines Deleted (or ignored with ';'):", "- - -", "[TessaryE2E]", "DELETED: Obsolete=1"});
    Append(expected, {"====================", "SYSTEM.INI", "------", "Lines Added or Changed:", "- - -", "[386Enh]",
                      "FROM:  MinTimeSlice=20", "TO:    MinTimeSlice=40", "ADDED: device=newapp.386", "------",
                      "Lines Deleted (or ignored with ';'):", "- - -", "[386Enh]", "DELETED: KeyBufferDelay=.5"});
    Append(expected, {"====================", "PROTOCOL.INI", "------", "Lines Added or Changed:", "- - -",
                      "[NetTrans]", "FROM:  Lana=0", "TO:    Lana=1", "[NewNet]", "ADDED: Driver=newnet.sys", "------",
                      "Lines Deleted (or ignored with ';'):", "- - -", "[NetTrans]", "DELETED: Stale=yes"});
    Append(expected, {"================", "Registry keys ADDED:", "- - - - -"});
    Append(expected, keys_);
    Append(expected, {"***User has disabled compare of: HKEY_USERS Registry Branch.",
                      "***User has disabled compare of: HKEY_CURRENT_CONFIG Registry Branch.", "================"});
    Append(expected, {"===============", win_ + " Directory"});
    Append(expected, Sorted({"ADDED  : newapp.ini", Updated("newapp-common.dat", now_[common_], old_[common_]),
                             Updated("protocol.ini", now_[protIni_], old_[protIni_]),
                             Updated("system.ini", now_[sysIni_], old_[sysIni_]),
                             Updated("win.ini", now_[winIni_], old_[winIni_])}));
    Append(expected, {"===============", win_ + "\\SYSTEM Directory", "ADDED  : newapp.drv"});
    if (fontsTracked_) Append(expected, {"===============", win_ + "\\FONTS Directory", "ADDED  : newapp.fon"});
    Append(expected, {"===============", "C:\\Program Files Directory", "ADDED  : NewVendor  (DIR)"});
    Append(expected, {"===============", startMenu_ + " Directory", "ADDED  : NewApp  (DIR)"});
    Append(expected, {"===============", desktop_ + " Directory", "ADDED  : NewApp.lnk"});
    Append(expected, {"===============", "C:\\ Directory"});
    Append(expected, Sorted({Updated("autoexec.bat", now_[autoexec_], old_[autoexec_]),
                             Updated("config.sys", now_[config_], old_[config_])}));
    Append(expected, {"- - - - -", "- - - - -"});
    EXPECT_EQ(Join(Comparable(report)), Join(expected));
  }

  // One undo action per undoable change.
  void ExpectActionFile() {
    actions_ = {"CHANGE:Mode=new>TO:old>IN:WIN.INI[TessaryE2E]",
                "REMOVE:Path=C:\\NEWAPP>FROM:WIN.INI[NewApp]",
                "ADD:Obsolete=1>TO:WIN.INI[TessaryE2E]",
                "CHANGE:MinTimeSlice=40>TO:20>IN:SYSTEM.INI[386Enh]",
                "REMOVE:device=newapp.386>FROM:SYSTEM.INI[386Enh]",
                "ADD:KeyBufferDelay=.5>TO:SYSTEM.INI[386Enh]",
                "CHANGE:Lana=1>TO:0>IN:PROTOCOL.INI[NetTrans]",
                "REMOVE:Driver=newnet.sys>FROM:PROTOCOL.INI[NewNet]",
                "ADD:Stale=yes>TO:PROTOCOL.INI[NetTrans]"};
    for (const std::string& k : keys_) actions_.push_back("REG_DAT_REMOVE:" + k + ">FROM:REG.DAT");
    Append(actions_, {"REMOVEFILE:newapp.ini>FROM:" + win_, "REMOVEFILE:newapp.drv>FROM:" + win_ + "\\SYSTEM",
                      "REMOVEFILE:NewVendor  (DIR)>FROM:C:\\Program Files",
                      "REMOVEFILE:NewApp  (DIR)>FROM:" + startMenu_, "REMOVEFILE:NewApp.lnk>FROM:" + desktop_});
    if (fontsTracked_) actions_.push_back("REMOVEFILE:newapp.fon>FROM:" + win_ + "\\FONTS");
    EXPECT_EQ(Join(Sorted(Lines(test::ReadBytes(ActionFile())))), Join(Sorted(actions_)));
  }

  // Uninstall of everything, saying Yes to every question; the log is shown in a viewer.
  // The program is closed at the end.
  void UninstallEverything(TessaryProcess& app) {
    shown_ = Uninstall(app, order_);
    HWND logViewer = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (logViewer = app.Viewer(Log())) != nullptr; })) << "the log is not shown";
    if (shots_ && logViewer) {
      ShowWindow(logViewer, SW_MAXIMIZE);
      Shot(app.frame(), "uninstall-log");
    }
    log_ = test::ReadBytes(Log());
    if (logViewer) {
      EXPECT_EQ(app.ViewerText(logViewer), log_);
    }
    app.Close();
    PrintIfAsked();
  }

  // What was asked: one verify question per action, the tree question per directory,
  // an error for each key whose parent's deletion had taken it along, the log offer.
  // The run follows the list's order; a key whose parent went before it is gone already.
  void ExpectQuestionsAndLog() {
    std::vector<std::string> logLines, errors;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      const std::string& a = order_[i];
      logLines.push_back("DONE:" + a);
      if (a.rfind("REG_DAT_REMOVE:", 0) == 0) {
        std::string key = a.substr(15, a.find(">FROM:") - 15);
        bool parentGone = false;
        for (std::size_t j = 0; j < i; ++j) {
          const std::string& b = order_[j];
          std::string other = b.rfind("REG_DAT_REMOVE:", 0) == 0 ? b.substr(15, b.find(">FROM:") - 15) : "";
          if (!other.empty() && key.size() > other.size() && key.compare(0, other.size() + 1, other + "\\") == 0)
            parentGone = true;
        }
        if (parentGone) {
          logLines.back() = "NOT DONE(ERROR):" + a;
          errors.push_back(key);
        }
      }
    }
    int verify = 0, trees = 0, complete = 0;
    std::vector<std::string> errorCaptions;
    for (const Shown& s : shown_) {
      if (s.caption == "Verify this action:") {
        ++verify;
      } else if (s.text.rfind("This directory, all its files", 0) == 0) {
        ++trees;
      } else if (s.caption == "Uninstall Complete") {
        ++complete;
      } else if (s.text == "Error removing Registry entry. This entry may have already been removed.") {
        errorCaptions.push_back(s.caption);
      } else {
        ADD_FAILURE() << "unexpected box [" << s.caption << "] " << s.text;
      }
    }
    EXPECT_FALSE(dllCheckOffered_);  // no DLL among the actions
    EXPECT_EQ(verify, static_cast<int>(actions_.size()));
    EXPECT_EQ(trees, 2);
    EXPECT_EQ(complete, 1);
    EXPECT_EQ(errorCaptions, errors);
    ExpectLog(log_, logLines);
  }

  // Undone: the INI files are as before the installation, byte for byte (entries put
  // back keep their letter case), the keys and the new files and folders are gone.
  // Reported but not undone: the boot-file lines and the replaced file.
  void ExpectMachineUndone() {
    for (const std::string& f : {winIni_, sysIni_, protIni_}) EXPECT_EQ(test::ReadBytes(f), before_[f]) << f;
    for (const auto& [root, key] : std::vector<std::pair<HKEY, std::string>>{
             {HKEY_LOCAL_MACHINE, "SOFTWARE\\NewVendor"}, {HKEY_CURRENT_USER, "Software\\NewVendor"},
             {HKEY_CLASSES_ROOT, ".nwa"}, {HKEY_CLASSES_ROOT, "NewApp.Document"},
             {HKEY_CLASSES_ROOT, "CLSID\\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}"}})
      EXPECT_FALSE(KeyExists(root, key)) << key;
    for (const std::string& p : {std::string("C:\\Program Files\\NewVendor"), win_ + "\\newapp.ini",
                                 system_ + "\\newapp.drv", desktop_ + "\\NewApp.lnk", startMenu_ + "\\NewApp"})
      EXPECT_FALSE(PathExists(p)) << p;
    EXPECT_EQ(PathExists(win_ + "\\fonts\\newapp.fon"), !fontsTracked_);
    EXPECT_EQ(test::ReadBytes(autoexec_), before_[autoexec_] + "SET NEWAPP=C:\\NEWAPP\r\n");
    EXPECT_EQ(test::ReadBytes(config_), before_[config_] + "DEVICE=C:\\NEWAPP\\NEWAPP.SYS\r\n");
    EXPECT_EQ(test::ReadBytes(common_), "NewApp common data, version 2");
  }

  const std::string winIni_ = win_ + "\\win.ini", sysIni_ = win_ + "\\system.ini", protIni_ = win_ + "\\protocol.ini";
  const std::string common_ = win_ + "\\newapp-common.dat", system_ = win_ + "\\system";
  const std::string autoexec_ = "C:\\autoexec.bat", config_ = "C:\\config.sys";
  // The keys the installer adds in the branches compared; class keys show once, under
  // HKEY_CLASSES_ROOT.
  const std::string clsid_ = "HKEY_CLASSES_ROOT\\CLSID\\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}";
  const std::vector<std::string> keys_ = {"HKEY_CURRENT_USER\\Software\\NewVendor",
                                          "HKEY_CURRENT_USER\\Software\\NewVendor\\NewApp",
                                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor",
                                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\\NewApp",
                                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\NewVendor\\NewApp\\Settings",
                                          "HKEY_CLASSES_ROOT\\.nwa",
                                          "HKEY_CLASSES_ROOT\\NewApp.Document",
                                          "HKEY_CLASSES_ROOT\\NewApp.Document\\shell",
                                          "HKEY_CLASSES_ROOT\\NewApp.Document\\shell\\open",
                                          "HKEY_CLASSES_ROOT\\NewApp.Document\\shell\\open\\command",
                                          clsid_,
                                          clsid_ + "\\InprocServer32"};
  std::map<std::string, std::string> before_;  // the tracked files' bytes before the backup
  std::map<std::string, DosDateTime> old_, now_;  // their times before and after the installation
  bool fontsTracked_ = false;
  std::vector<std::string> actions_;  // the action file's lines, as expected
  std::vector<std::string> order_;  // the Uninstall Actions list, in its order
  std::vector<Shown> shown_;  // every box the uninstall showed
  std::string log_;  // the uninstall log
};

TEST_F(TrackedNewApp, ThroughBackupCompareAndUninstall) {
  PrepareMachine();
  TessaryProcess app(test::BuildPath(TESSARY_EXE), dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  ASSERT_NO_FATAL_FAILURE(BackupAndInstall(app));
  ASSERT_NO_FATAL_FAILURE(CompareAndExpectReport(app));
  ExpectActionFile();
  UninstallEverything(app);
  ExpectQuestionsAndLog();
  ExpectMachineUndone();
}

// A 16-bit program (NE format) whose imported-names table names the given modules.
std::string NeProgram(const std::vector<std::string>& modules) {
  std::string file(0x80, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  file[24] = 0x40;  // a new-style executable
  file[60] = static_cast<char>(0x80);
  std::string ne(0x40, '\0');
  ne[0] = 'N';
  ne[1] = 'E';
  ne[30] = static_cast<char>(modules.size());
  ne[42] = 0x40;  // the imported-names table follows the header
  std::string table(1, '\0');
  for (const std::string& m : modules) table += static_cast<char>(m.size()) + m;
  return file + ne + table;
}

TEST_F(TrackedInstall, SharedDllThroughExpressAndARefusedDllUninstall) {
  const std::string system = win_ + "\\system", dll = system + "\\sharelib.dll";
  // The installer makes the System folder when the machine has none (Wine's prefix
  // has system32 only): the new folder is reported, its contents too, but never its
  // "." and "..".
  const bool systemExisted = DirectoryExists(system);
  guard_.RemoveAfter(systemExisted ? dll : system);
  const std::string untracked = win_ + "\\system32\\sharelib64.dll";  // never in a report
  guard_.RemoveAfter(untracked);
  guard_.DeleteKeyAfter(HKEY_LOCAL_MACHINE, "SOFTWARE\\SharedVendor");
  // A program already on the machine that imports the DLL.
  const std::string importer = dir_ / "OLDAPP.EXE";
  test::WriteBytes(importer, NeProgram({"KERNEL", "SHARELIB", "USER"}));
  // Default settings: Express compares in its own backup's mode, which leaves the
  // registry out unless [registry] CompSentinox is "no" -- the installer's key is not
  // reported and stays.
  WriteSettings();
  // The installer appends its folder to the PATH line of autoexec.bat.
  const std::string autoexec = "C:\\autoexec.bat";
  std::string path;
  for (const std::string& line : Lines(test::ReadBytes(autoexec)))
    if (path.empty() && EqualsNoCase(line.substr(0, 5), "PATH ")) path = line;
  if (path.empty()) {
    path = "PATH C:\\WINDOWS";
    test::WriteBytes(autoexec, test::ReadBytes(autoexec) + path + "\r\n");
  }
  for (const std::string& f : {win_ + "\\win.ini", win_ + "\\system.ini", autoexec})
    test::SetLastWrite(f, 1996, 12, 7, 9, 5, 10);
  const std::string autoexecBefore = test::ReadBytes(autoexec);

  TessaryProcess app(test::BuildPath(TESSARY_EXE), dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  app.Command(CM_EXPRESS);
  HWND express = app.WaitBox("Express");
  ASSERT_NE(express, nullptr) << "no Express dialog";
  TessaryProcess::Press(express, IDOK);
  // The backup runs by itself; then the program asks for the setup program.
  HWND prompt = app.WaitBox("Select Setup/Install File", 120000);
  ASSERT_NE(prompt, nullptr) << "no setup prompt; open: " << test::TextOf(app.Box());
  EXPECT_TRUE(FileExists(backup_ + "\\windir.tsb"));
  EXPECT_TRUE(FileExists(backup_ + "\\C_free.snb"));  // a backup the program started itself
  HWND name = GetDlgItem(prompt, 0x47c);  // the file-name combo box
  if (!name) name = GetDlgItem(prompt, 0x480);
  ASSERT_NE(name, nullptr);
  const std::string setup = test::BuildPath(SHAREDDLL_SETUP);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(setup.c_str()));
  TessaryProcess::Press(prompt, IDOK);
  // The Compare dialog opens while the installer runs; confirm it once that has ended.
  HWND compare = app.WaitBox("Compare");
  ASSERT_NE(compare, nullptr) << "no Compare dialog";
  EXPECT_TRUE(WaitFor([] { return !test::ProcessRunning("shareddll-setup.exe"); }, 60000));
  ASSERT_TRUE(FileExists(dll)) << "the installer did not run";
  EXPECT_TRUE(FileExists(untracked));
  const DosDateTime autoexecOld{PackDosDate(1996, 12, 7), PackDosTime(9, 5, 10)};
  const DosDateTime autoexecNow = FileDosDateTime(autoexec).value_or(DosDateTime{});
  HWND viewer = ConfirmCompare(app, compare);
  ASSERT_NE(viewer, nullptr);
  const std::string report = test::ReadBytes(Report());
  EXPECT_EQ(app.ViewerText(viewer), report);

  std::vector<std::string> expected = Header(ToUpperAscii(Report()));
  // A changed line shows in both halves of the boot-file section.
  Append(expected, {"====================", "AUTOEXEC.BAT File", "Lines added or modified:", path + ";C:\\SHARELIB",
                    "- - -", "Lines deleted or modified:", path});
  for (const char* file : {"CONFIG.SYS", "MSDOS.SYS", "WIN.INI", "SYSTEM.INI", "PROTOCOL.INI"})
    Append(expected, {"====================", std::string(file) + " - No changes made (File has same date/time)"});
  std::vector<std::string> actions;
  if (!systemExisted) {
    Append(expected, {"===============", win_ + " Directory", "ADDED  : system  (DIR)"});
    actions.push_back("REMOVEFILE:system  (DIR)>FROM:" + win_);
  }
  Append(expected, {"===============", win_ + "\\SYSTEM Directory", "ADDED  : sharelib.dll"});
  Append(expected, {"===============", "C:\\ Directory", Updated("autoexec.bat", autoexecNow, autoexecOld),
                    "- - - - -", "- - - - -"});
  actions.push_back("REMOVEFILE:sharelib.dll>FROM:" + win_ + "\\SYSTEM");
  EXPECT_EQ(Join(Comparable(report)), Join(expected));
  EXPECT_EQ(Join(Sorted(Lines(test::ReadBytes(ActionFile())))), Join(Sorted(actions)));

  // Uninstall: the dependency check finds the importer; the DLL is refused, and so is
  // the folder that holds it.
  std::vector<std::string> order;
  std::vector<Shown> shown = Uninstall(app, order, IDC_FINDDLL_NO, IDNO, [](const std::string&) { return IDNO; });
  EXPECT_TRUE(WaitFor([&] { return app.Viewer(Log()) != nullptr; })) << "the log is not shown";
  app.Close();
  PrintIfAsked();
  std::vector<std::string> logLines;
  int dllDialogs = 0;
  for (const Shown& s : shown) {
    if (s.caption == "DLL Dependencies") {
      ++dllDialogs;
      EXPECT_TRUE(EqualsNoCase(s.text, win_ + "\\SYSTEM\\SHARELIB.DLL")) << s.text;
      EXPECT_EQ(s.list, std::vector<std::string>{importer}) << "referring files";
    } else if (s.caption != "Verify this action:" && s.caption != "Uninstall Complete") {
      ADD_FAILURE() << "unexpected box [" << s.caption << "] " << s.text;
    }
  }
  EXPECT_TRUE(dllCheckOffered_);
  EXPECT_EQ(dllDialogs, 1);
  for (const std::string& a : order) logLines.push_back("NOT DONE:" + a);
  ExpectLog(test::ReadBytes(Log()), logLines);
  EXPECT_TRUE(FileExists(dll));
  EXPECT_TRUE(FileExists(importer));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\SharedVendor\\ShareLib"));  // never reported
  // A boot-file change is reported only.
  std::string changed = autoexecBefore;
  changed.replace(changed.find(path), path.size(), path + ";C:\\SHARELIB");
  EXPECT_EQ(test::ReadBytes(autoexec), changed);
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// Every name below C:\ as deep tracking walks it (what it leaves out left out here too,
// and the tests' own scratch folders), each with whether it is a folder.
std::set<std::string> PrefixNames(const DeepLeftOut& leftOut) {
  std::set<std::string> names;
  TreeWalk walk("C:\\", [&](const std::string& path, std::string_view name) {
    return IsLeftOut(leftOut, path, name) || EqualsNoCase(path, "C:\\tessary-tests");
  });
  for (const TreeEntry* e = walk.Peek(); e; e = walk.Peek()) {
    names.insert(e->path + (e->IsFolder() ? "\\" : ""));
    walk.Pop();
  }
  return names;
}

// A modern installer tracked in deep mode through the program's windows: the deep
// sections name exactly what it wrote, in every place, once per new folder; every deep
// action is undone; the prefix holds the same names before and after.
TEST_F(TrackedInstall, ModernAppDeepRoundTrip) {
  WriteSettings("DeepTracking=yes\r\n");
  AppState state;
  state.WindowsDirectory = win_;
  state.BackupDirectory = ToUpperAscii(backup_);
  const std::vector<DeepPlace> places = FindDeepPlaces(Settings(ini_));
  const DeepLeftOut leftOut = FindDeepLeftOut(state);
  std::map<std::string, std::string> at;
  for (const DeepPlace& p : places) at[p.id] = p.path;
  ASSERT_FALSE(at["prog"].empty());
  ASSERT_FALSE(at["syswow64"].empty()) << "a 64-bit prefix has a 32-bit System folder";
  const std::string pf = at["prog"], data = at["progdata"], sys = at["system"], wow = at["syswow64"],
                    roaming = at["roaming"], local = at["local"];
  const std::string cafe = test::Utf8(L"Caf\u00E9 M\u00FCller \u65E5\u672C\u8A9E.dat");
  const std::string startMenu = "Microsoft\\Windows\\Start Menu\\Programs";
  EXPECT_EQ(at["allstart"], data + "\\" + startMenu);
  const std::vector<std::string> written = {
      pf + "\\ModernVendor",      pf + "\\Common Files\\ModernVendor", sys + "\\modern64.dll",
      wow + "\\modern32.dll",     sys + "\\drivers\\modern.sys",       roaming + "\\ModernVendor",
      local + "\\ModernVendor",   data + "\\ModernVendor",             data + "\\" + cafe,
      data + "\\" + startMenu + "\\ModernApp"};
  for (const std::string& p : written) guard_.RemoveAfter(p);
  const std::set<std::string> namesBefore = PrefixNames(leftOut);

  TessaryProcess app(test::BuildPath(TESSARY_EXE), dir_.path());
  ASSERT_NE(app.frame(), nullptr);
  ASSERT_NO_FATAL_FAILURE(Backup(app));
  for (const DeepPlace& p : places)
    EXPECT_EQ(FileExists(backup_ + "\\deep_" + p.id + ".tsb"), p.within.empty()) << p.id;
  ASSERT_NO_FATAL_FAILURE(Install(MODERNAPP_SETUP));
  for (const std::string& p : written) ASSERT_TRUE(PathExists(p)) << p;
  HWND viewer = Compare(app);
  ASSERT_NE(viewer, nullptr);
  const std::string report = test::ReadBytes(Report());

  // The deep sections come last: the places, what is left out, then each place's findings.
  auto size = [](const std::string& path) { return FileSize(path).value_or(0); };
  auto bytes = [](std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); };
  std::vector<std::string> expected = {"===============",
                                       "DEEP TRACKING: today's install locations with all their subfolders"};
  for (const DeepPlace& p : places)
    expected.push_back(p.title + ": " + p.path + (p.within.empty() ? "" : "  (listed with " + p.within + ")"));
  expected.push_back(LeftOutText(leftOut));
  auto place = [&](const char* id) {
    for (const DeepPlace& p : places)
      if (p.id == id) Append(expected, {"---------------", p.title + ": " + p.path});
  };
  place("prog");
  Append(expected, {"ADDED  : Common Files\\ModernVendor  (DIR)  1 file, " +
                        bytes(size(pf + "\\Common Files\\ModernVendor\\bin\\modernrt.dll")),
                    "ADDED  : ModernVendor  (DIR)  2 files, " +
                        bytes(size(pf + "\\ModernVendor\\ModernApp\\bin\\modern.exe") +
                              size(pf + "\\ModernVendor\\ModernApp\\readme.txt"))});
  place("progdata");
  Append(expected, {"ADDED  : " + cafe + "  " + bytes(size(data + "\\" + cafe)),
                    "ADDED  : " + startMenu + "\\ModernApp  (DIR)  1 file, " +
                        bytes(size(data + "\\" + startMenu + "\\ModernApp\\ModernApp.lnk")),
                    "ADDED  : ModernVendor  (DIR)  1 file, " + bytes(size(data + "\\ModernVendor\\license.dat"))});
  place("system");
  Append(expected, {"ADDED  : drivers\\modern.sys  " + bytes(size(sys + "\\drivers\\modern.sys")),
                    "ADDED  : modern64.dll  " + bytes(size(sys + "\\modern64.dll"))});
  place("syswow64");
  Append(expected, {"ADDED  : modern32.dll  " + bytes(size(wow + "\\modern32.dll"))});
  place("roaming");
  Append(expected,
         {"ADDED  : ModernVendor  (DIR)  1 file, " + bytes(size(roaming + "\\ModernVendor\\settings.ini"))});
  place("local");
  Append(expected,
         {"ADDED  : ModernVendor  (DIR)  1 file, " + bytes(size(local + "\\ModernVendor\\ModernApp\\state.dat"))});
  std::vector<std::string> lines = Lines(report);
  auto deep = std::find(lines.begin(), lines.end(), expected[1]);
  ASSERT_NE(deep, lines.end()) << report;
  EXPECT_EQ(Join(std::vector<std::string>(deep - 1, lines.end())), Join(expected));
  // The standard sections still never look into System32 (the summary before them names
  // what the deep part found there).
  const std::size_t summaryEnd = report.find("END OF SUMMARY\r\n");
  ASSERT_NE(summaryEnd, std::string::npos) << report;
  EXPECT_NE(std::string(report, 0, summaryEnd).find("adds modern64.dll in the system folder"), std::string::npos);
  EXPECT_EQ(std::string(report, summaryEnd, report.find(expected[1]) - summaryEnd).find("modern64"), std::string::npos);

  // One REMOVEFILE per top-most new item; the new folder directly in Program Files,
  // which the standard section finds too, has one.
  std::vector<std::string> removeFiles;
  for (const std::string& line : Lines(test::ReadBytes(ActionFile())))
    if (line.rfind("REMOVEFILE:", 0) == 0) removeFiles.push_back(line);
  EXPECT_EQ(Join(Sorted(removeFiles)),
            Join(Sorted({"REMOVEFILE:ModernVendor  (DIR)>FROM:" + pf,
                         "REMOVEFILE:ModernVendor  (DIR)>FROM:" + pf + "\\Common Files",
                         "REMOVEFILE:" + cafe + ">FROM:" + data,
                         "REMOVEFILE:ModernApp  (DIR)>FROM:" + data + "\\" + startMenu,
                         "REMOVEFILE:ModernVendor  (DIR)>FROM:" + data, "REMOVEFILE:modern.sys>FROM:" + sys + "\\drivers",
                         "REMOVEFILE:modern64.dll>FROM:" + sys, "REMOVEFILE:modern32.dll>FROM:" + wow,
                         "REMOVEFILE:ModernVendor  (DIR)>FROM:" + roaming,
                         "REMOVEFILE:ModernVendor  (DIR)>FROM:" + local})));

  std::vector<std::string> order;
  std::vector<Shown> shown = Uninstall(app, order);
  app.Close();
  PrintIfAsked();
  for (const Shown& s : shown)
    EXPECT_TRUE(s.caption == "Verify this action:" || s.caption == "Uninstall Complete" ||
                s.caption == "DLL Dependencies" || s.text.rfind("This directory, all its files", 0) == 0 ||
                s.text == "Error removing Registry entry. This entry may have already been removed.")
        << "unexpected box [" << s.caption << "] " << s.text;
  const std::string log = test::ReadBytes(Log());
  EXPECT_EQ(log.find("NOT DONE"), std::string::npos) << log;
  for (const std::string& p : written) EXPECT_FALSE(PathExists(p)) << p;

  // Undone to the name: the prefix holds what it held before, but for the copies of the
  // INI files that every uninstall keeps beside them by design (the guard removes them).
  std::set<std::string> namesAfter = PrefixNames(leftOut);
  for (const std::string& kept : {win_ + "\\win.uib", win_ + "\\system.uib", win_ + "\\protocol.uib"})
    if (!guard_.Existed(kept)) namesAfter.erase(kept.substr(3));
  std::vector<std::string> gone, added;
  std::set_difference(namesBefore.begin(), namesBefore.end(), namesAfter.begin(), namesAfter.end(),
                      std::back_inserter(gone));
  std::set_difference(namesAfter.begin(), namesAfter.end(), namesBefore.begin(), namesBefore.end(),
                      std::back_inserter(added));
  EXPECT_EQ(Join(gone), "");
  EXPECT_EQ(Join(added), "");
}

}  // namespace
}  // namespace tessary
