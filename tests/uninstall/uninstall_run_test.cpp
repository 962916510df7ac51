#include <gtest/gtest.h>

#include "fault_plan.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/registry_values.h"
#include "testbed.h"
#include "uninstall/logic/compare_file_names.h"
#include "uninstall/dll_scan.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_run.h"
#include "seal_for_tests.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const char* kHeader = "-----------UNINSTALL LOG FOR:\r\n12/7/1996  9:05:10\r\n";

class UninstallRunTest : public test::HostTest {
 protected:
  UninstallRunTest() {
    win = dir.MakeDir("WIN");
    WriteBytes(win + "\\win.ini", "[tessarytest]\r\nload=NEW.EXE\r\n");
    WriteBytes(win + "\\system.ini", "[boot]\r\nshell=x\r\n[386Enh]\r\ndevice=OLD.386\r\n");
    WriteBytes(win + "\\protocol.ini", "");
    env.windowsDirectory = win;
    env.scanRoots = [this] { return scanRoots; };
    env.askDll = [this](const std::string& path) {
      dllAsked.push_back(path);
      return dllAnswer;
    };
  }
  // One OK in the Uninstall Actions dialog on X.tsu; logToShow keeps what the run hands back.
  RunOutcome RunAll(std::vector<std::string> lines, std::vector<bool> selected = {}, bool verify = false) {
    UninstallSelection sel;
    sel.actionFile = actionFile;
    sel.entries = std::move(lines);
    sel.selected = selected.empty() ? std::vector<bool>(sel.entries.size(), true) : selected;
    sel.verifyBox = verify;
    for (const auto& e : sel.entries)
      if (e.find("REMOVEFILE") != std::string::npos && e.find(".DLL") != std::string::npos) sel.dllLinesPresent = true;
    EXPECT_TRUE(test::SealSelection(sel, env.windowsDirectory));
    UninstallResult result = RunUninstall(host, sel, env);
    logToShow = result.logToShow;
    return result.outcome;
  }
  std::string Log() { return ReadBytes(backupDir + "\\X.log"); }
  std::string Ini(const std::string& f) { return win + "\\" + f; }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (const auto& b : host.prompter.boxes) out.push_back(b.caption);
    return out;
  }

  std::string win;
  const std::string actionFile = backupDir + "\\X.tsu";
  std::optional<std::string> logToShow;
  UninstallEnvironment env;
  std::vector<std::string> scanRoots;
  std::vector<std::string> dllAsked;
  int dllAnswer = id::kNo;
};

TEST_F(UninstallRunTest, VerifyOffRunsEveryActionAndAppendsBlocks) {
  const std::string file = dir / "NEW.DLL";
  WriteBytes(file, "x");
  const std::vector<std::string> lines{
      "ADD:OLDKEY=A=B>TO:WIN.INI[TESSARYTEST]",
      "CHANGE:LOAD=NEW.EXE>TO:>IN:WIN.INI[TESSARYTEST]",
      "REMOVEFILE:NEW.DLL>FROM:" + dir.path(),
  };
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  dllAnswer = id::kNo;  // with verify off, no dialog for a DLL that nothing imports
  EXPECT_EQ(RunAll(lines), RunOutcome::CloseOk);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "TESSARYTEST", "OLDKEY", "?"), "A=B");
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "TESSARYTEST", "LOAD", "?"), "");  // a single blank, trimmed on read
  EXPECT_FALSE(PathExists(file));
  EXPECT_TRUE(FileExists(win + "\\win.uib"));
  EXPECT_FALSE(FileExists(win + "\\system.uib"));  // no line edits system.ini
  std::string block = std::string(kHeader) + "DONE:" + lines[0] + "\r\nDONE:" + lines[1] + "\r\nDONE:" + lines[2] +
                      "\r\n";
  EXPECT_EQ(Log(), block);
  EXPECT_EQ(logToShow.value_or(""), "");
  EXPECT_EQ(settings().Read(settings::kVerifyAllUninstall), "no");

  // A second run: the file is gone now, the block is appended.
  host.prompter.boxes.clear();
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kYes);
  EXPECT_EQ(RunAll({lines[2]}), RunOutcome::CloseOk);
  EXPECT_EQ(Log(), block + kHeader + "NOT DONE(File not found):" + lines[2] + "\r\n");
  EXPECT_EQ(logToShow, backupDir + "\\X.log");
  EXPECT_TRUE(dllAsked.empty());  // nothing imports it, nor is asked about a DLL that is gone
}

TEST_F(UninstallRunTest, VerifyAnswersUnselectedEntriesAndSectionRemoval) {
  WriteBytes(Ini("win.ini"), "[keep]\r\na=1\r\n[gone]\r\nnew=1\r\n");
  const std::vector<std::string> lines{"", "ADD:B=2>TO:WIN.INI[KEEP]", "ADD:C=3>TO:WIN.INI[KEEP]",
                                       "REMOVE:NEW=1>FROM:WIN.INI[GONE]", "XYZ"};
  host.prompter.Answer(id::kNo).Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(RunAll(lines, {false, true, false, true, false}, true), RunOutcome::CloseOk);
  EXPECT_EQ(host.prompter.boxes[0].text, "Do you want to ADD the 'B=2' entry to the 'KEEP' section of your WIN.INI file?");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Verify this action:");
  EXPECT_EQ(host.prompter.boxes[1].text,
            "Do you want to REMOVE the 'NEW=1' entry from the 'GONE' section of your WIN.INI file?");
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE:" + lines[1] + "\r\nDONE:" + lines[3] + "\r\nNOT DONE:" +
                       lines[2] + "\r\n");
  EXPECT_TRUE(ProfileKeys(Ini("win.ini"), "GONE").empty());
  EXPECT_EQ(ReadBytes(Ini("win.ini")).find("[gone]"), std::string::npos);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "C", "?"), "?");
}

TEST_F(UninstallRunTest, AddRemovesTheCommentedOutTwin) {
  WriteBytes(Ini("win.ini"), "[keep]\r\n;B=2\r\na=1\r\n");
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  RunAll({"ADD:B=2>TO:WIN.INI[KEEP]"});
  EXPECT_EQ(ReadBytes(Ini("win.ini")).find(";B"), std::string::npos);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "B", "?"), "2");
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "a", "?"), "1");
}

TEST_F(UninstallRunTest, ChangeAndAddPutBackTheLettersAsWritten) {
  WriteBytes(Ini("win.ini"), "[Keep]\r\nMode=new\r\n");
  const std::vector<std::string> written{"ADD:Obsolete=Yes Please>TO:WIN.INI[Keep]",
                                         "CHANGE:Mode=new>TO:Old Value>IN:WIN.INI[Keep]",
                                         "ADD:device=Other.386>TO:WIN.INI[Keep]"};
  UninstallSelection sel;
  for (const auto& line : written) sel.entries.push_back(ToUpperAscii(line));
  sel.originals = written;
  // The third original does not match its entry (a tampered pairing): the entry's text is used.
  sel.originals[2] = "ADD:Device=Else.386>TO:WIN.INI[Keep]";
  sel.selected.assign(3, true);
  sel.verifyBox = false;
  sel.actionFile = actionFile;
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_TRUE(test::SealSelection(sel, env.windowsDirectory));
  EXPECT_EQ(RunUninstall(host, sel, env).outcome, RunOutcome::CloseOk);
  const std::string ini = ReadBytes(Ini("win.ini"));
  EXPECT_NE(ini.find("Mode=Old Value\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Obsolete=Yes Please\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("=OTHER.386\r\n"), std::string::npos) << ini;
  // The log keeps the upper-cased lines.
  EXPECT_NE(Log().find("DONE:CHANGE:MODE=NEW>TO:OLD VALUE>IN:WIN.INI[KEEP]\r\n"), std::string::npos) << Log();
}

TEST_F(UninstallRunTest, CancelEndsTheRunAndKeepsTheDialog) {
  const std::vector<std::string> lines{"ADD:B=2>TO:WIN.INI[KEEP]", "ADD:C=3>TO:WIN.INI[KEEP]"};
  host.prompter.Answer(id::kCancel);
  EXPECT_EQ(RunAll(lines, {}, true), RunOutcome::Stay);
  EXPECT_EQ(Log(), kHeader);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "B", "?"), "?");
}

// The console's Ctrl+C: the check before each action ends the run as a Cancel would,
// after the actions already done and without the "NOT DONE:" tail of unselected lines.
TEST_F(UninstallRunTest, StopCheckEndsTheRunBeforeTheNextAction) {
  const std::vector<std::string> lines{"ADD:B=2>TO:WIN.INI[KEEP]", "ADD:C=3>TO:WIN.INI[KEEP]",
                                       "ADD:D=4>TO:WIN.INI[KEEP]"};
  int checks = 0;
  env.stopRequested = [&] { return ++checks > 1; };
  host.prompter.Answer(id::kYes);  // carry out all without verifying
  EXPECT_EQ(RunAll(lines, {true, true, false}), RunOutcome::Stay);
  EXPECT_EQ(checks, 2);
  EXPECT_EQ(Log(), std::string(kHeader) + "DONE:ADD:B=2>TO:WIN.INI[KEEP]\r\n");
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "B", "?"), "2");
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "C", "?"), "?");
}

TEST_F(UninstallRunTest, NothingSelectedAndNoVerifyRefused) {
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(RunAll({"ADD:B=2>TO:WIN.INI[KEEP]"}, {false}), RunOutcome::Stay);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No actions selected"}));
  host.prompter.Answer(id::kNo);
  EXPECT_EQ(RunAll({"ADD:B=2>TO:WIN.INI[KEEP]"}), RunOutcome::CloseCancel);
  EXPECT_EQ(Log(), "");
}

TEST_F(UninstallRunTest, DeviceLinesAreRewrittenInSystemIni) {
  WriteBytes(Ini("system.ini"), "[386Enh]\r\ndevice=OLD.386\r\n[x]\r\n[386enh]\r\nk=1\r\n");
  // A driver line written back is asked about on its own, even with verify off.
  host.prompter.Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);
  RunAll({"ADD:DEVICE=NEW.386>TO:SYSTEM.INI[386ENH]", "REMOVE:DEVICE=OLD.386>FROM:SYSTEM.INI[386ENH]"});
  EXPECT_EQ(ReadBytes(Ini("system.ini")),
            "[386Enh]\r\ndevice=NEW.386\r\n[x]\r\n[386enh]\r\ndevice=NEW.386\r\nk=1\r\n");
  EXPECT_FALSE(PathExists(Ini("system.tsd")));
  EXPECT_EQ(ReadBytes(Ini("system.uib")), "[386Enh]\r\ndevice=OLD.386\r\n[x]\r\n[386enh]\r\nk=1\r\n");
}

TEST_F(UninstallRunTest, FailedRemovalRewriteKeepsSystemIniAndEndsTheRun) {
  // A directory where the new content would be written makes the rewrite fail.
  CreateDirectoryA((Ini("system.ini") + ".new").c_str(), nullptr);
  const std::string before = ReadBytes(Ini("system.ini"));
  const std::vector<std::string> lines{"REMOVE:DEVICE=OLD.386>FROM:SYSTEM.INI[386ENH]", "REMOVE:X=1>FROM:WIN.INI[A]"};
  host.prompter.Answer(id::kYes).Answer(id::kOk);
  EXPECT_EQ(RunAll(lines), RunOutcome::Stay);
  EXPECT_EQ(ReadBytes(Ini("system.ini")), before);
  EXPECT_EQ(host.prompter.boxes.back().text, "Error opening system.ini. Backup file is system.tsd.");
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE(ERROR):" + lines[0] + "\r\n");
  RemoveDirectoryA((Ini("system.ini") + ".new").c_str());
}

TEST_F(UninstallRunTest, FailedIniWriteIsLoggedAsNotDone) {
  // The INI functions cannot write a folder (the safety copy of protocol.ini may fail).
  DeleteFileA(Ini("protocol.ini").c_str());
  CreateDirectoryA(Ini("protocol.ini").c_str(), nullptr);
  const std::string line = "CHANGE:K=NEW>TO:OLD>IN:PROTOCOL.INI[S]";
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  RunAll({line});
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE(ERROR):" + line + "\r\n");
}

TEST_F(UninstallRunTest, RegistryKeysAreDeletedWithTheirSubkeys) {
  test::TempRegKey key;
  key.Create("App\\Sub\\Deeper");
  const std::string line = "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\APP>FROM:REG.DAT";
  // The key again under another name (a 32-bit view and its twin are one key under
  // Wine), and a key that is not there: gone already, which is what the lines ask for.
  const std::string twin = "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\App>FROM:REG.DAT";
  const std::string none = "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\NONE>FROM:REG.DAT";
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  RunAll({line, twin, none});
  EXPECT_EQ(Log(), std::string(kHeader) + "DONE:" + line + "\r\nDONE(Already removed):" + twin +
                       "\r\nDONE(Already removed):" + none + "\r\n");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No verify uninstall", "Uninstall Complete"}));
  HKEY h = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (key.path() + "\\App").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);

  // A trailing backslash names no key: nothing below the parent is touched.
  key.Create("Keep\\Sub");
  host.prompter.boxes.clear();
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kNo);
  RunAll({"REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\>FROM:REG.DAT"});
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (key.path() + "\\Keep\\Sub").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
  RegCloseKey(h);
}

TEST_F(UninstallRunTest, TamperedLinesAreSkippedAsIntegrityErrors) {
  const std::vector<std::string> lines{"REG_DAT_REMOVE:HKEY_CURRENT_USER>FROM:REG.DAT",
                                       "REMOVEFILE:..\\..>FROM:" + dir.path()};
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kOk).Answer(id::kNo);
  RunAll(lines);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No verify uninstall", "TSU integrity error", "TSU integrity error",
                                                  "Uninstall Complete"}));
  EXPECT_EQ(Log(), kHeader);
}

TEST_F(UninstallRunTest, DirectoryTreeNeedsItsOwnConfirmation) {
  dir.MakeDir("APP\\SUB");
  WriteBytes(dir / "APP\\SUB\\f.txt", "x");
  WriteBytes(dir / "APP\\ro.txt", "x");
  test::SetAttributes(dir / "APP\\ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const std::string line = "REMOVEFILE:APP  (DIR)>FROM:" + dir.path();
  host.prompter.Answer(id::kYes).Answer(id::kNo).Answer(id::kNo);
  RunAll({line});
  EXPECT_TRUE(DirectoryExists(dir / "APP"));
  host.prompter.Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);
  RunAll({line});
  EXPECT_FALSE(PathExists(dir / "APP"));
  EXPECT_EQ(host.prompter.boxes[1].caption, dir / "APP  (DIR)");
}

// Each line below names something other than a plain entry of its folder: the platform
// would trim, climb, reach a stream, a device, another machine or a raw device path.
// All are integrity errors: nothing is asked, changed or logged for them.
TEST_F(UninstallRunTest, RemoveFileLinesReachOnlyADirectChildOfTheirFolder) {
  const std::string victim = dir.MakeDir("VICTIM");
  WriteBytes(victim + "\\keep.txt", "x");
  const std::string noDrive = dir.path().substr(2);  // "\tessary-tests\..."
  const std::vector<std::string> lines{
      "REMOVEFILE:VICTIM.  (DIR)>FROM:" + dir.path(),
      "REMOVEFILE:VICTIM   (DIR)>FROM:" + dir.path(),  // the name "VICTIM "
      "REMOVEFILE:VICTIM. .>FROM:" + dir.path(),
      "REMOVEFILE:  (DIR)>FROM:" + victim,
      "REMOVEFILE:KEEP.TXT>FROM:" + victim + ".",
      "REMOVEFILE:KEEP.TXT>FROM:" + victim + " ",
      "REMOVEFILE:VICTIM:STREAM>FROM:" + dir.path(),
      "REMOVEFILE:KEEP.TXT>FROM:" + victim + "\\.",
      "REMOVEFILE:A\"B>FROM:" + dir.path(),
      "REMOVEFILE:A|B>FROM:" + dir.path(),
      "REMOVEFILE:A<B>FROM:" + dir.path(),
      "REMOVEFILE:A\tB>FROM:" + dir.path(),
      "REMOVEFILE:NUL>FROM:" + dir.path(),
      "REMOVEFILE:COM1.TXT>FROM:" + dir.path(),
      "REMOVEFILE:VICTIM  (DIR)>FROM:\\\\LOCALHOST\\C$" + noDrive,
      "REMOVEFILE:VICTIM  (DIR)>FROM:\\\\?\\" + dir.path(),
      "REMOVEFILE:VICTIM  (DIR)>FROM:\\\\.\\" + dir.path(),
      "REMOVEFILE:VICTIM  (DIR)>FROM:C:" + dir.path().substr(3),  // relative to the current folder of C:
      "REMOVEFILE:" + std::string(250, 'N') + ">FROM:" + dir.path(),  // too long for the platform
  };
  for (std::size_t i = 0; i < lines.size(); ++i) host.prompter.Answer(id::kNo);
  host.prompter.Answer(id::kNo);  // Uninstall Complete
  RunAll(lines, {}, true);
  std::vector<std::string> expected(lines.size(), "TSU integrity error");
  expected.push_back("Uninstall Complete");
  EXPECT_EQ(Captions(), expected);
  EXPECT_EQ(Log(), kHeader);
  EXPECT_TRUE(FileExists(victim + "\\keep.txt"));
}

// Folders Windows or Tessary needs are never removed, whatever the line says, nor is a
// folder that holds one of them. The refusal is shown and logged, not asked.
TEST_F(UninstallRunTest, ProtectedFoldersAreRefusedAndLoggedAsNotDone) {
  const std::string windows = WindowsDirectory();
  char shortName[MAX_PATH] = {};
  GetShortPathNameA("C:\\Program Files", shortName, MAX_PATH);
  const std::string programFilesAlias = std::string(shortName).substr(3);
  const std::string parent = dir.path().substr(0, dir.path().rfind('\\'));
  const std::string self = dir.path().substr(parent.size() + 1);
  const std::vector<std::string> lines{
      "REMOVEFILE:BACKUP  (DIR)>FROM:" + dir.path(),           // the backup directory
      "REMOVEFILE:" + self + "  (DIR)>FROM:" + parent,         // a folder holding it
      "REMOVEFILE:" + windows.substr(3) + "  (DIR)>FROM:C:\\",  // the Windows folder
      "REMOVEFILE:SYSTEM32  (DIR)>FROM:" + windows,
      "REMOVEFILE:FONTS  (DIR)>FROM:" + windows,
      "REMOVEFILE:PROGRAM FILES  (DIR)>FROM:C:\\",
      "REMOVEFILE:" + programFilesAlias + "  (DIR)>FROM:C:\\",  // the same by its short name
      "REMOVEFILE:PROGRAMDATA  (DIR)>FROM:C:\\",
      "REMOVEFILE:USERS  (DIR)>FROM:C:\\",  // holds every profile
  };
  ASSERT_FALSE(programFilesAlias.empty());
  for (std::size_t i = 0; i < lines.size(); ++i) host.prompter.Answer(id::kNo);
  host.prompter.Answer(id::kNo);
  RunAll(lines, {}, true);
  ASSERT_EQ(host.prompter.boxes.size(), lines.size() + 1);
  std::string expectedLog = kHeader;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(host.prompter.boxes[i].text, "Windows or Tessary needs this directory. It will not be removed.")
        << lines[i];
    expectedLog += "NOT DONE(Protected):" + lines[i] + "\r\n";
  }
  EXPECT_EQ(host.prompter.boxes[2].caption, "C:\\" + windows.substr(3) + "  (DIR)");
  EXPECT_EQ(Log(), expectedLog);
  EXPECT_TRUE(DirectoryExists(backupDir));
}

// The backup directory is protected under every name the run knows it by: the one
// tessary.ini names, the run's own (a command line's --dir) and the folder of the
// action file being run.
TEST_F(UninstallRunTest, TheBackupDirectoryIsProtectedUnderEveryNameTheRunKnows) {
  const std::string named = dir.MakeDir("BK");
  host.state.BackupDirectory = dir.MakeDir("RT");
  const std::string actions = dir.MakeDir("ACT");
  Set(settings::kDirectory, named);
  const std::vector<std::string> lines{"REMOVEFILE:BK  (DIR)>FROM:" + dir.path(),
                                       "REMOVEFILE:RT  (DIR)>FROM:" + dir.path(),
                                       "REMOVEFILE:ACT  (DIR)>FROM:" + dir.path()};
  for (std::size_t i = 0; i <= lines.size(); ++i) host.prompter.Answer(id::kNo);
  UninstallSelection sel;
  sel.actionFile = actions + "\\X.tsu";
  sel.entries = lines;
  sel.selected.assign(lines.size(), true);
  RunUninstall(host, sel, env);
  std::string expectedLog = kHeader;
  for (const std::string& line : lines) expectedLog += "NOT DONE(Protected):" + line + "\r\n";
  EXPECT_EQ(ReadBytes(actions + "\\X.log"), expectedLog);
  for (const std::string& folder : {named, host.state.BackupDirectory, actions}) EXPECT_TRUE(DirectoryExists(folder));
}

// Keys Windows needs are never deleted, however the line spells them.
TEST_F(UninstallRunTest, ProtectedKeysAreRefusedAndLoggedAsNotDone) {
  const std::vector<std::string> lines{
      "REG_DAT_REMOVE:HKEY_CURRENT_USER\\SOFTWARE>FROM:REG.DAT",
      "REG_DAT_REMOVE:HKEY_USERS\\.DEFAULT>FROM:REG.DAT",
      "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN>FROM:REG.DAT",
      "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL>FROM:"
      "REG.DAT",
      "REG_DAT_REMOVE:HKEY_CLASSES_ROOT\\CLSID>FROM:REG.DAT",
      "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\SERVICES>FROM:REG.DAT",
      "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\INTERFACE>FROM:REG.DAT",
  };
  for (std::size_t i = 0; i < lines.size(); ++i) host.prompter.Answer(id::kNo);
  host.prompter.Answer(id::kNo);
  RunAll(lines, {}, true);
  ASSERT_EQ(host.prompter.boxes.size(), lines.size() + 1);
  std::string expectedLog = kHeader;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(host.prompter.boxes[i].text, "Windows needs this Registry key. It will not be removed.") << lines[i];
    expectedLog += "NOT DONE(Protected):" + lines[i] + "\r\n";
  }
  EXPECT_EQ(host.prompter.boxes[0].caption, "HKEY_CURRENT_USER\\SOFTWARE");
  EXPECT_EQ(Log(), expectedLog);
  HKEY h = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &h), ERROR_SUCCESS);
  RegCloseKey(h);
}

// ---- Registry values ----

ValueData WholeData(std::uint32_t type, std::string bytes) {
  ValueData d;
  d.type = type;
  d.size = bytes.size();
  d.bytes = std::move(bytes);
  return d;
}

struct TypedValue {
  std::u16string name;
  std::uint32_t type;
  std::string bytes;
};

// Values the install left in place of the old ones, every type among them.
const TypedValue kOldValues[] = {
    {u"", regtype::kSz, test::Utf16Bytes(std::u16string(u"txtfile\0", 8))},
    {u"Path", regtype::kExpandSz, test::Utf16Bytes(std::u16string(u"%SystemRoot%\\x\0", 15))},
    {u"List", regtype::kMultiSz, test::Utf16Bytes(std::u16string(u"one\0two\0\0", 9))},
    {u"Level", regtype::kDword, std::string("\x02\0\0\0", 4)},
    {u"Big", regtype::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
    {u"Blob", regtype::kBinary, std::string("\0\xFF\r\n", 4)},
    {u"Empty", regtype::kNone, ""},
    {u"NoEnd", regtype::kSz, test::Utf16Bytes(u"abc")},             // no terminating NUL
    {std::u16string(u"nul\0inside", 10), regtype::kSz, test::Utf16Bytes(std::u16string(u"a\0b\0", 4))},
    {u"Odd", 0x4242u, std::string("\x07", 1)},                          // a type of no name
};

class UninstallValuesTest : public UninstallRunTest {
 protected:
  std::string KeyPath(const std::string& relative = {}) const {
    return "HKEY_CURRENT_USER\\" + key.path() + (relative.empty() ? "" : "\\" + relative);
  }
  RegKey Open(const std::string& relative = {}) const {
    return RegKey::OpenForValues(HKEY_CURRENT_USER, key.path() + (relative.empty() ? "" : "\\" + relative));
  }
  // The lines as the Uninstall Actions dialog passes them: upper-cased entries, the
  // lines as written beside them.
  RunOutcome RunWritten(const std::vector<std::string>& lines, bool verify = false) {
    UninstallSelection sel;
    sel.actionFile = actionFile;
    for (const std::string& l : lines) {
      sel.entries.push_back(ToUpperAscii(l));
      sel.originals.push_back(l);
    }
    sel.selected.assign(lines.size(), true);
    sel.verifyBox = verify;
    EXPECT_TRUE(test::SealSelection(sel, env.windowsDirectory));
    return RunUninstall(host, sel, env).outcome;
  }
  test::TempRegKey key;
};

TEST_F(UninstallValuesTest, ValuesArePutBackExactlyAndAddedOnesRemoved) {
  key.Create("App");
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (key.path() + "\\App").c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  std::vector<std::string> lines;
  for (const TypedValue& v : kOldValues) {
    // What the install wrote: another type and other data, or nothing (a deleted value).
    if (v.type != regtype::kNone) {
      ASSERT_TRUE(test::SetRawValue(raw, v.name, regtype::kBinary, "new"));
    }
    lines.push_back(FormatValueRestoreAction(KeyPath("App"), v.name, WholeData(v.type, v.bytes)));
  }
  ASSERT_TRUE(test::SetRawValue(raw, u"Added", regtype::kSz, test::Utf16Bytes(std::u16string(u"x\0", 2))));
  lines.push_back(FormatValueRemoveAction(KeyPath("App"), u"Added", WholeData(regtype::kSz, test::Utf16Bytes(std::u16string(u"x\0", 2)))));
  // A key deleted since the backup is made again to hold its old value.
  lines.push_back(FormatValueRestoreAction(KeyPath("Gone\\Deeper"), u"Kept", WholeData(regtype::kDword, std::string(4, '\x01'))));

  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(RunWritten(lines), RunOutcome::CloseOk);
  for (const TypedValue& v : kOldValues) {
    const auto now = test::ReadRawValue(raw, v.name);
    ASSERT_TRUE(now) << ValueTypeName(v.type);
    EXPECT_EQ(*now, (test::RawValue{v.type, v.bytes})) << ValueTypeName(v.type);
  }
  EXPECT_FALSE(test::ReadRawValue(raw, u"Added"));
  RegCloseKey(raw);
  RegValue deeper;
  ASSERT_TRUE(Open("Gone\\Deeper").QueryValue(u"Kept", deeper));
  EXPECT_EQ(deeper.data(), std::string(4, '\x01'));
  // The log names each value readably, with its data shortened.
  const std::string log = Log();
  EXPECT_NE(log.find("DONE:REG_VALUE_RESTORE:" + KeyPath("App") + " (Default) = REG_SZ, 16 bytes: \"txtfile\"\r\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("DONE:REG_VALUE_REMOVE:" + KeyPath("App") + " \"Added\" = REG_SZ, 4 bytes: \"x\"\r\n"),
            std::string::npos) << log;
  EXPECT_EQ(log.find("NOT DONE"), std::string::npos) << log;
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No verify uninstall", "Uninstall Complete"}));

  // A value already gone: reported and logged as not done; the run goes on.
  host.prompter.boxes.clear();
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kNo);
  RunWritten({lines[lines.size() - 2]});
  EXPECT_EQ(host.prompter.boxes[1].text, "Error removing Registry value. This value may have already been removed.");
  EXPECT_NE(Log().find("NOT DONE(ERROR):REG_VALUE_REMOVE:"), std::string::npos);
}

TEST_F(UninstallValuesTest, EachValueIsAskedAboutWithItsDataAndUnselectedOnesAreLogged) {
  key.SetString("App", "Mode", "new");
  const std::string change = FormatValueRestoreAction(KeyPath("App"), u"Mode", WholeData(regtype::kSz, test::Utf16Bytes(std::u16string(u"old\0", 4))));
  const std::string add = FormatValueRestoreAction(KeyPath("App"), u"Obsolete", WholeData(regtype::kDword, std::string(4, '\0')));
  const std::string remove = FormatValueRemoveAction(KeyPath("App"), u"Mode", WholeData(regtype::kSz, test::Utf16Bytes(std::u16string(u"new\0", 4))));
  host.prompter.Answer(id::kNo).Answer(id::kNo).Answer(id::kNo).Answer(id::kNo);
  RunWritten({change, add, remove}, true);
  ASSERT_GE(host.prompter.boxes.size(), 3u);
  EXPECT_EQ(host.prompter.boxes[0].text, "Do you want to CHANGE the value \"Mode\" of the '" + KeyPath("App") +
                                             "' key of your Registry from REG_SZ, 8 bytes: \"new\" to REG_SZ, 8 bytes: \"old\"?");
  EXPECT_EQ(host.prompter.boxes[1].text, "Do you want to ADD the value \"Obsolete\" = REG_DWORD, 4 bytes: 0x00000000 (0) to the '" +
                                             KeyPath("App") + "' key of your Registry?");
  EXPECT_EQ(host.prompter.boxes[2].text, "Do you want to REMOVE the value \"Mode\" = REG_SZ, 8 bytes: \"new\" from the '" +
                                             KeyPath("App") + "' key of your Registry?");
  EXPECT_EQ(host.prompter.boxes[0].caption, "Verify this action:");
  const std::string log = Log();
  EXPECT_NE(log.find("NOT DONE:REG_VALUE_RESTORE:" + KeyPath("App") + " \"Mode\" = REG_SZ, 8 bytes: \"old\"\r\n"),
            std::string::npos) << log;
  RegValue now;
  ASSERT_TRUE(Open("App").QueryValue(u"Mode", now));
  EXPECT_EQ(now.data(), test::Utf16Bytes(std::u16string(u"new\0", 4)));

  // Unselected value lines are logged readably as not done.
  host.prompter.boxes.clear();
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  UninstallSelection sel;
  sel.actionFile = actionFile;
  sel.entries = {ToUpperAscii(change), ToUpperAscii(add)};
  sel.originals = {change, add};
  sel.selected = {false, true};
  sel.verifyBox = false;
  EXPECT_TRUE(test::SealSelection(sel, env.windowsDirectory));
  RunUninstall(host, sel, env);
  EXPECT_NE(Log().find("NOT DONE:REG_VALUE_RESTORE:" + KeyPath("App") + " \"Mode\" = REG_SZ, 8 bytes: \"old\"\r\n"),
            std::string::npos) << Log();
  ASSERT_TRUE(Open("App").QueryValue(u"Obsolete", now));
}

// Values of the keys Windows needs (the Run key, the environment) are what an install
// changes most; their values are put back or removed, while the keys themselves stay:
// a value action never deletes a key, and a key action on them is still refused.
TEST_F(UninstallValuesTest, ValuesOfProtectedKeysAreUndoneAndTheKeysStay) {
  const std::string env = "HKEY_CURRENT_USER\\Environment";
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  RegKey envKey = RegKey::CreateForWriting(HKEY_CURRENT_USER, "Environment");
  RegKey runKey = RegKey::CreateForWriting(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  ASSERT_TRUE(envKey && runKey);
  const std::string pathNow = test::Utf16Bytes(std::u16string(u"C:\\Old;C:\\NewApp\0", 17));
  const std::string pathBefore = test::Utf16Bytes(std::u16string(u"C:\\Old\0", 7));
  ASSERT_TRUE(envKey.SetValue(u"TessaryTestPath", regtype::kExpandSz, pathNow));
  ASSERT_TRUE(runKey.SetValue(u"TessaryTestRun", regtype::kSz, test::Utf16Bytes(std::u16string(u"n.exe\0", 6))));
  const std::vector<std::string> lines{
      FormatValueRestoreAction(env, u"TessaryTestPath", WholeData(regtype::kExpandSz, pathBefore)),
      FormatValueRemoveAction(run, u"TessaryTestRun", WholeData(regtype::kSz, test::Utf16Bytes(std::u16string(u"n.exe\0", 6)))),
      "REG_DAT_REMOVE:" + env + ">FROM:REG.DAT"};
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kNo);
  RunWritten(lines);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No verify uninstall", ToUpperAscii(env), "Uninstall Complete"}));
  RegValue now;
  ASSERT_TRUE(envKey.QueryValue(u"TessaryTestPath", now));
  EXPECT_EQ(now.type(), regtype::kExpandSz);
  EXPECT_EQ(now.data(), pathBefore);
  EXPECT_FALSE(runKey.QueryValue(u"TessaryTestRun", now));
  EXPECT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, "Environment"));
  EXPECT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  EXPECT_NE(Log().find("NOT DONE(Protected):REG_DAT_REMOVE:" + ToUpperAscii(env)), std::string::npos) << Log();
  static_cast<void>(envKey.DeleteValue(u"TessaryTestPath"));  // clean-up
}

// A value line that does not parse is an integrity error, and nothing is written.
TEST_F(UninstallValuesTest, TamperedValueLinesWriteNothing) {
  key.SetString("App", "Mode", "new");
  const std::string path = KeyPath("App");
  const std::vector<std::string> lines{
      "REG_VALUE_RESTORE:Mode>TYPE:REG_WORD>SIZE:4>DATA::02000000>IN:" + path,       // no such type
      "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::0200>IN:" + path,           // data not its size
      "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4294967296>DATA::02000000>IN:" + path,  // absurd size
      "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA:\"ab>IN:" + path,           // text for a number
      "REG_VALUE_REMOVE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"new>FROM:HKEY_NOWHERE\\" + key.path() + "\\App",
      "REG_VALUE_REMOVE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"new>FROM:" + path + "\\",
      "REG_VALUE_RESTORE:Mode>TYPE:REG_BINARY>SIZE:70000>DATA:*70000:" + std::string(64, 'a') + ">IN:" + path};
  host.prompter.Answer(id::kYes);
  for (std::size_t i = 0; i < lines.size(); ++i) host.prompter.Answer(id::kOk);
  host.prompter.Answer(id::kNo);
  RunWritten(lines);
  std::vector<std::string> expected{"No verify uninstall"};
  expected.insert(expected.end(), lines.size(), "TSU integrity error");
  expected.push_back("Uninstall Complete");
  EXPECT_EQ(Captions(), expected);
  EXPECT_EQ(Log(), kHeader);
  RegValue now;
  ASSERT_TRUE(Open("App").QueryValue(u"Mode", now));
  EXPECT_EQ(now.type(), regtype::kSz);
  EXPECT_EQ(now.data(), test::Utf16Bytes(std::u16string(u"new\0", 4)));
}

// An entry action edits WIN.INI, SYSTEM.INI or PROTOCOL.INI and nothing else; only a
// SYSTEM.INI line rewrites the device= lines of system.ini.
TEST_F(UninstallRunTest, EntryActionsTouchOnlyTheThreeIniFiles) {
  WriteBytes(Ini("tessary.ini"), "[uninstall]\r\nVerifyAllUninstall=yes\r\n");
  const std::string systemBefore = ReadBytes(Ini("system.ini"));
  const std::vector<std::string> refused{
      "ADD:X=1>TO:..\\OUTSIDE.INI[S]",
      "ADD:VERIFYALLUNINSTALL=NO>TO:TESSARY.INI[UNINSTALL]",
      "CHANGE:PATH=X>TO:Y>IN:..\\AUTOEXEC.BAT[S]",
      "REMOVE:VERIFYALLUNINSTALL=YES>FROM:TESSARY.INI[UNINSTALL]",
      "ADD:X=1>TO:C:\\WIN.INI[S]",
      "ADD:X=1>TO:WIN.INI.[S]",
  };
  const std::vector<std::string> plain{"ADD:DEVICE=EVIL.386>TO:WIN.INI[386ENH]",
                                       "REMOVE:DEVICE=OLD.386>FROM:PROTOCOL.INI[386ENH]"};
  std::vector<std::string> lines = refused;
  lines.insert(lines.end(), plain.begin(), plain.end());
  host.prompter.Answer(id::kYes);  // no verify
  for (std::size_t i = 0; i < refused.size(); ++i) host.prompter.Answer(id::kOk);
  host.prompter.Answer(id::kNo);
  RunAll(lines);
  std::vector<std::string> expected{"No verify uninstall"};
  expected.insert(expected.end(), refused.size(), "TSU integrity error");
  expected.push_back("Uninstall Complete");
  EXPECT_EQ(Captions(), expected);
  EXPECT_FALSE(PathExists(dir / "OUTSIDE.INI"));
  EXPECT_EQ(ReadBytes(Ini("tessary.ini")), "[uninstall]\r\nVerifyAllUninstall=yes\r\n");
  EXPECT_EQ(ReadBytes(Ini("system.ini")), systemBefore);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "386Enh", "device", "?"), "EVIL.386");
  EXPECT_EQ(Log(), std::string(kHeader) + "DONE:" + plain[0] + "\r\nDONE:" + plain[1] + "\r\n");
}

// A "(DIR)" line removes a folder only when the target is one and no file carries the
// line's literal name; a file line never removes a folder.
TEST_F(UninstallRunTest, RemoveFileTakesOnlyWhatTheLineNames) {
  dir.MakeDir("KEEP");
  WriteBytes(dir / "KEEP\\inside.txt", "x");
  WriteBytes(dir / "KEEP  (DIR)", "a file named like the folder");
  WriteBytes(dir / "PLAIN", "a file");
  dir.MakeDir("FOLDER");
  WriteBytes(dir / "FOLDER\\inside.txt", "x");
  // An installer's folder with extra attributes goes, contents and all.
  dir.MakeDir("ODD\\SUB");
  WriteBytes(dir / "ODD\\SUB\\f.txt", "x");
  test::SetAttributes(dir / "ODD\\SUB", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  test::SetAttributes(dir / "ODD",
                      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  const std::vector<std::string> lines{
      "REMOVEFILE:FOLDER>FROM:" + dir.path(),
      "REMOVEFILE:KEEP  (DIR)>FROM:" + dir.path(),
      "REMOVEFILE:ODD  (DIR)>FROM:" + dir.path(),
      "REMOVEFILE:PLAIN  (DIR)>FROM:" + dir.path(),
  };
  host.prompter.Answer(id::kYes);                                               // no verify
  host.prompter.Answer(id::kOk).Answer(id::kOk).Answer(id::kYes).Answer(id::kOk);  // ..., the tree, ...
  host.prompter.Answer(id::kNo);
  RunAll(lines);
  ASSERT_EQ(host.prompter.boxes.size(), 6u);
  EXPECT_EQ(host.prompter.boxes[1].text, "This is a directory, not a file as the uninstall file says. It will not be removed.");
  EXPECT_EQ(host.prompter.boxes[1].caption, dir / "FOLDER");
  EXPECT_EQ(host.prompter.boxes[2].text,
            "A file of this very name, ending in \"(DIR)\", is beside this directory, so the line could mean either. "
            "Neither will be removed.");
  EXPECT_EQ(host.prompter.boxes[2].caption, dir / "KEEP  (DIR)");
  EXPECT_EQ(host.prompter.boxes[3].caption, dir / "ODD  (DIR)");
  EXPECT_EQ(host.prompter.boxes[4].text, "This is a file, not a directory as the uninstall file says. It will not be removed.");
  EXPECT_TRUE(FileExists(dir / "FOLDER\\inside.txt"));
  EXPECT_TRUE(FileExists(dir / "KEEP\\inside.txt"));
  EXPECT_TRUE(FileExists(dir / "KEEP  (DIR)"));
  EXPECT_TRUE(FileExists(dir / "PLAIN"));
  EXPECT_FALSE(PathExists(dir / "ODD"));
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE(Not a file):" + lines[0] + "\r\nNOT DONE(Ambiguous name):" +
                       lines[1] + "\r\nDONE:" + lines[2] + "\r\nNOT DONE(Not a directory):" + lines[3] + "\r\n");
}

// A REMOVEFILE line for a name beyond the ANSI code page removes exactly that file or
// folder; neighbours whose names differ only there stay.
TEST_F(UninstallRunTest, NamesOfAnyLanguageAreRemovedExactly) {
  // Made by their UTF-16 names, as an installer makes them.
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC.dat";
  test::MakeFileNamed(dir.path(), L"\u65E5\u672C.dat");
  test::MakeFileNamed(dir.path(), L"\u65E5\u672D.dat", "a neighbour");
  test::MakeFileNamed(dir.path(), L"caf\u00E9.txt");
  test::MakeFileNamed(dir.path(), L"cafe.txt", "a neighbour");
  test::MakeFileNamed(test::MakeDirNamed(test::MakeDirNamed(dir.path(), L"\u03B1\u03B2"), L"sub"), L"f.txt");
  // As the Uninstall Actions dialog hands them over: upper-cased, a-z only.
  const std::vector<std::string> lines{
      ToUpperAscii("REMOVEFILE:" + japanese + ">FROM:" + dir.path()),
      ToUpperAscii("REMOVEFILE:caf\xC3\xA9.txt>FROM:" + dir.path()),
      ToUpperAscii("REMOVEFILE:\xCE\xB1\xCE\xB2  (DIR)>FROM:" + dir.path()),
  };
  host.prompter.Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);  // no verify, the tree, no log
  EXPECT_EQ(RunAll(lines), RunOutcome::CloseOk);
  EXPECT_FALSE(PathExists(dir / japanese));
  EXPECT_FALSE(PathExists(dir / "caf\xC3\xA9.txt"));
  EXPECT_FALSE(PathExists(dir / "\xCE\xB1\xCE\xB2"));
  EXPECT_TRUE(FileExists(dir / "\xE6\x97\xA5\xE6\x9C\xAD.dat"));
  EXPECT_TRUE(FileExists(dir / "cafe.txt"));
  EXPECT_EQ(Log(), std::string(kHeader) + "DONE:" + lines[0] + "\r\nDONE:" + lines[1] + "\r\nDONE:" + lines[2] + "\r\n");
}

// The INI file keeps its own code page: an entry put back or changed by the run leaves
// every other byte of a win.ini written in the machine's ANSI code page as it was.
TEST_F(UninstallRunTest, IniEditsKeepTheIniFilesOwnBytes) {
  WriteBytes(Ini("win.ini"),
             "; r\xE9glages\r\n[tessarytest]\r\nload = NEW.EXE\r\nname=Caf\xE9\r\n\r\n[Intl]\r\nsCountry=Espa\xF1" "a\r\n");
  const std::vector<std::string> lines{"CHANGE:LOAD=NEW.EXE>TO:ANCIEN\xC9.EXE>IN:WIN.INI[TESSARYTEST]",
                                       "ADD:SLANGUAGE=FRA>TO:WIN.INI[INTL]"};
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  RunAll(lines);
  EXPECT_EQ(ReadBytes(Ini("win.ini")),
            "; r\xE9glages\r\n[tessarytest]\r\nload = ANCIEN\xC9.EXE\r\nname=Caf\xE9\r\n\r\n[Intl]\r\nsCountry=Espa\xF1" "a\r\n"
            "SLANGUAGE=FRA\r\n");
}

// An INI edit leaves the file as the system reads and writes it: in its own encoding
// (a byte-order mark kept, UTF-16 kept), with its own line ends, and of a name repeated
// in a section REMOVE takes the entry whose value it names.
TEST_F(UninstallRunTest, IniEditsKeepEachFilesEncodingAndLineEnds) {
  const auto utf16 = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::string before = "[TessW]\r\nload=new.exe\r\nrun=C:\\evil.exe\r\n";
  const std::string after = "[TessW]\r\nload=OLD.EXE\r\nKEPT=1\r\n";
  const std::vector<std::string> winLines{"CHANGE:LOAD=NEW.EXE>TO:OLD.EXE>IN:WIN.INI[TESSW]",
                                          "ADD:KEPT=1>TO:WIN.INI[TESSW]",
                                          "REMOVE:RUN=C:\\EVIL.EXE>FROM:WIN.INI[TESSW]"};
  const auto system = [](const std::string& eol, const std::string& device) {
    return "[boot]" + eol + "shell=x" + eol + "[386Enh]" + eol + device + eol + "a=1" + eol;
  };
  const std::vector<std::string> deviceLines{"REMOVE:DEVICE=OLD.386>FROM:SYSTEM.INI[386ENH]",
                                             "ADD:DEVICE=NEW.386>TO:SYSTEM.INI[386ENH]"};
  struct Case {
    const char* name;
    const char* file;
    std::string before, after;
    std::vector<std::string> lines;
    const char *section, *key, *value;  // what the system's own reader finds afterwards
  };
  const Case cases[] = {
      {"UTF-8 mark", "win.ini", bom + before, bom + after, winLines, "TessW", "kept", "1"},
      {"UTF-16", "win.ini", utf16(before), utf16(after), winLines, "TessW", "load", "OLD.EXE"},
      {"repeated key", "win.ini", "[TessW]\r\nload=new.exe\r\nrun=1\r\nrun=C:\\evil.exe\r\nz=3\r\n",
       "[TessW]\r\nload=OLD.EXE\r\nrun=1\r\nz=3\r\nKEPT=1\r\n", winLines, "TessW", "run", "1"},
      {"device=, LF", "system.ini", system("\n", "device=OLD.386"), system("\n", "device=NEW.386"), deviceLines,
       "386Enh", "device", "NEW.386"},
      {"device=, CR", "system.ini", system("\r", "device=OLD.386"), system("\r", "device=NEW.386"), deviceLines,
       "386Enh", "device", "NEW.386"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(Ini(c.file), c.before);
    DeleteFileA((backupDir + "\\X.log").c_str());
    host.prompter.Answer(id::kYes);
    // A driver line put back into system.ini is a write into a start-up place: asked on its own.
    if (std::string(c.file) == "system.ini") host.prompter.Answer(id::kYes);
    host.prompter.Answer(id::kNo);
    RunAll(c.lines);
    EXPECT_EQ(ReadBytes(Ini(c.file)), c.after);
    EXPECT_EQ(Log().find("NOT DONE"), std::string::npos) << Log();
    ProfileFlush(Ini(c.file));
    char read[64] = "";
    GetPrivateProfileStringA(c.section, c.key, "<absent>", read, sizeof read, Ini(c.file).c_str());
    EXPECT_STREQ(read, c.value);
  }
}

// A safety copy (.uib) is made of each INI file a selected line edits, and of no other.
TEST_F(UninstallRunTest, SafetyCopiesAreMadeOnlyOfTheFilesTheRunEdits) {
  const std::string file = "REMOVEFILE:F.TXT>FROM:" + dir.path();
  struct Case {
    std::vector<std::string> lines;
    std::vector<bool> selected;
    std::vector<std::string> copies;
  };
  const Case cases[] = {
      {{file}, {true}, {}},
      {{"ADD:B=2>TO:WIN.INI[KEEP]", file}, {false, true}, {}},
      {{"ADD:B=2>TO:WIN.INI[KEEP]"}, {true}, {"win.uib"}},
      {{"REMOVE:X=1>FROM:SYSTEM.INI[KEEP]", "CHANGE:A=1>TO:2>IN:PROTOCOL.INI[KEEP]"}, {true, true},
       {"system.uib", "protocol.uib"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    WriteBytes(dir / "F.TXT", "x");
    for (const char* copy : {"win.uib", "system.uib", "protocol.uib"}) DeleteFileA(Ini(copy).c_str());
    host.prompter.Answer(id::kYes).Answer(id::kNo);
    RunAll(c.lines, c.selected);
    std::vector<std::string> made;
    for (const char* copy : {"win.uib", "system.uib", "protocol.uib"})
      if (FileExists(Ini(copy))) made.push_back(copy);
    EXPECT_EQ(made, c.copies);
  }
}

// An entry value holding ">" comes back whole.
TEST_F(UninstallRunTest, ValuesWithGreaterThanAreRestoredWhole) {
  WriteBytes(Ini("win.ini"), "[Keep]\r\nRun=new\r\n");
  const std::vector<std::string> written{"ADD:Cmd=copy a>b >nul>TO:WIN.INI[Keep]",
                                         "CHANGE:Run=new>TO:old > x>IN:WIN.INI[Keep]"};
  UninstallSelection sel;
  for (const auto& line : written) sel.entries.push_back(ToUpperAscii(line));
  sel.originals = written;
  sel.selected.assign(written.size(), true);
  sel.verifyBox = false;
  sel.actionFile = actionFile;
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_TRUE(test::SealSelection(sel, env.windowsDirectory));
  EXPECT_EQ(RunUninstall(host, sel, env).outcome, RunOutcome::CloseOk);
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "Keep", "Cmd", "?"), "copy a>b >nul");
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "Keep", "Run", "?"), "old > x");
}

std::string NeImporting(const std::string& module);

// With verify off, the DLL Dependencies dialog is shown for a DLL only when there is
// something to decide: a program imports it. A DLL nothing imports goes unasked.
TEST_F(UninstallRunTest, DllCheckAsksWithVerifyOffOnlyForADllInUse) {
  const std::string root = dir.MakeDir("DRIVE") + "\\";
  WriteBytes(dir / "DRIVE\\USES.EXE", NeImporting("MYLIB"));
  scanRoots = {root};
  WriteBytes(dir / "MYLIB.DLL", "x");
  WriteBytes(dir / "FREE.DLL", "x");
  const std::vector<std::string> lines{"REMOVEFILE:MYLIB.DLL>FROM:" + dir.path(),
                                       "REMOVEFILE:FREE.DLL>FROM:" + dir.path()};
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  RunAll(lines);
  EXPECT_EQ(dllAsked, (std::vector<std::string>{dir / "MYLIB.DLL"}));
  EXPECT_TRUE(FileExists(dir / "MYLIB.DLL"));
  EXPECT_FALSE(PathExists(dir / "FREE.DLL"));
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE:" + lines[0] + "\r\nDONE:" + lines[1] + "\r\n");
}

// The log tells what happened: a declined tree and a file that would not go are not done.
TEST_F(UninstallRunTest, RemoveFileIsLoggedAfterItsOutcome) {
  dir.MakeDir("APP");
  WriteBytes(dir / "APP\\f.txt", "x");
  WriteBytes(dir / "LOCKED.TXT", "x");
  // Held open without sharing, as a running program holds its files.
  HANDLE held = CreateFileA((dir / "LOCKED.TXT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::vector<std::string> lines{"REMOVEFILE:APP  (DIR)>FROM:" + dir.path(),
                                       "REMOVEFILE:LOCKED.TXT>FROM:" + dir.path()};
  host.prompter.Answer(id::kYes).Answer(id::kNo).Answer(id::kOk).Answer(id::kNo);
  RunAll(lines);
  CloseHandle(held);
  EXPECT_EQ(host.prompter.boxes[2].text, "This file could not be deleted. This file is probably in use by Windows");
  EXPECT_TRUE(DirectoryExists(dir / "APP"));
  EXPECT_TRUE(FileExists(dir / "LOCKED.TXT"));
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE:" + lines[0] + "\r\nNOT DONE(ERROR):" + lines[1] +
                       "\r\nAbove file possibly in use by Windows: unable to delete during uninstall\r\n");
}

// Verify follows the box the user set, even when the settings file cannot keep it.
TEST_F(UninstallRunTest, VerifyFollowsTheBoxNotTheSettingsFile) {
  host.state.SettingsFilePath = dir.MakeDir("SETTINGS-IS-A-FOLDER");
  host.prompter.Answer(id::kYes).Answer(id::kNo);  // no verify; no log
  RunAll({"ADD:B=2>TO:WIN.INI[KEEP]"});
  EXPECT_EQ(Captions(), (std::vector<std::string>{"No verify uninstall", "Uninstall Complete"}));
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "B", "?"), "2");
}

// The device= rewrite keeps system.ini's attributes.
TEST_F(UninstallRunTest, SystemIniRewriteKeepsItsAttributes) {
  test::SetAttributes(Ini("system.ini"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  // A driver line written back is asked about on its own, even with verify off.
  host.prompter.Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);
  RunAll({"ADD:DEVICE=NEW.386>TO:SYSTEM.INI[386ENH]"});
  EXPECT_NE(ReadBytes(Ini("system.ini")).find("device=NEW.386\r\n"), std::string::npos);
  EXPECT_EQ(GetFileAttributesA(Ini("system.ini").c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  test::SetAttributes(Ini("system.ini"), FILE_ATTRIBUTE_NORMAL);
}

// A DLL, a 16-bit program that imports it, a 32-bit one that does not count.
std::string NeImporting(const std::string& module) {
  std::string f(0x80, '\0');
  f[0] = 'M', f[1] = 'Z', f[24] = 0x40, f[60] = static_cast<char>(0x80);
  std::string ne(0x40, '\0');
  ne[0] = 'N', ne[1] = 'E', ne[30] = 1, ne[42] = 0x40;
  return f + ne + std::string(1, '\0') + static_cast<char>(module.size()) + module;
}

TEST_F(UninstallRunTest, DllCheckScansAndAsksPerDll) {
  const std::string root = dir.MakeDir("DRIVE") + "\\";
  dir.MakeDir("DRIVE\\APPS\\DEEP");
  dir.MakeDir("DRIVE\\HID");
  WriteBytes(dir / "DRIVE\\APPS\\DEEP\\USES.EXE", NeImporting("MYLIB"));
  WriteBytes(dir / "DRIVE\\TOP.EXE", NeImporting("MYL"));
  std::string pe = NeImporting("MYLIB");
  pe[0x80] = 'P';
  WriteBytes(dir / "DRIVE\\APPS\\PE.EXE", pe);
  WriteBytes(dir / "DRIVE\\HID\\H.EXE", NeImporting("MYLIB"));
  test::SetAttributes(dir / "DRIVE\\HID", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  scanRoots = {root};
  WriteBytes(dir / "MYLIB.DLL", "x");
  const std::string line = "REMOVEFILE:MYLIB.DLL>FROM:" + dir.path();
  host.prompter.Answer(id::kNo);
  RunAll({line}, {}, true);
  EXPECT_EQ(dllAsked, (std::vector<std::string>{dir / "MYLIB.DLL"}));
  EXPECT_TRUE(FileExists(dir / "MYLIB.DLL"));
  EXPECT_EQ(Log(), std::string(kHeader) + "NOT DONE:" + line + "\r\n");
  EXPECT_EQ(ReadBytes(backupDir + "\\dll0list.tmp"), "MYLIB\r\n");
  EXPECT_EQ(ReadBytes(backupDir + "\\dll01234.tmp"),
            "\r\nMYL " + root + "TOP.EXE\r\nMYLIB " + root + "APPS\\DEEP\\USES.EXE\r\n");
  EXPECT_EQ(ReferencesOfDll(host, backupDir, dir / "MYLIB.DLL"),
            (std::vector<std::string>{root + "APPS\\DEEP\\USES.EXE"}));
  EXPECT_EQ(host.progress.Mains().back(), "References found: 2");

  // Cancel in the DLL dialog closes the actions dialog.
  dllAnswer = id::kCancel;
  bool movedBack = false;
  env.moveBack = [&] { movedBack = true; };
  EXPECT_EQ(RunAll({line}, {}, true), RunOutcome::CloseCancel);
  EXPECT_TRUE(movedBack);
  EXPECT_EQ(logToShow.value_or(""), "");
}

// A reference list the disk cannot take whole is no list: neither the part written
// nor an older list may show a DLL in use as used by nothing.
TEST_F(UninstallRunTest, AReferenceListThatCannotBeWrittenIsNotTakenForNone) {
  const std::string root = dir.MakeDir("DRIVE") + "\\";
  WriteBytes(dir / "DRIVE\\USES.EXE", NeImporting("MYLIB"));
  scanRoots = {root};
  WriteBytes(dir / "MYLIB.DLL", "x");
  WriteBytes(backupDir + "\\dll01234.tmp", "\r\n");  // an older list, naming nothing
  // The list can be started; its end no longer fits on the disk.
  struct FullDiskForTheList : FileFaults {
    unsigned long Check(FileOp op, const std::string& path) override {
      if (op != FileOp::Write || !ContainsNoCase(path, kDllReferenceListFile)) return 0;
      return ++writes > 1 ? ERROR_DISK_FULL : 0;
    }
    int writes = 0;
  } faults;
  host.prompter.Answer(id::kOk).Answer(id::kNo);
  {
    test::ScopedFaults scoped(faults);
    EXPECT_EQ(RunAll({"REMOVEFILE:MYLIB.DLL>FROM:" + dir.path()}, {}, true), RunOutcome::CloseCancel);
  }
  ASSERT_FALSE(host.prompter.boxes.empty());
  EXPECT_EQ(host.prompter.boxes[0].text, "Unable to create DLL List file. Make sure the disk is not full.");
  EXPECT_EQ(dllAsked, (std::vector<std::string>{dir / "MYLIB.DLL"}));
  EXPECT_FALSE(PathExists(backupDir + "\\dll01234.tmp"));
  EXPECT_FALSE(PathExists(backupDir + "\\dll01234.tmp.new"));
  host.prompter.Answer(id::kOk);
  EXPECT_TRUE(ReferencesOfDll(host, backupDir, dir / "MYLIB.DLL").empty());
  EXPECT_EQ(host.prompter.boxes.back().text, "Unable to open dll dependancy list file.");
}

TEST_F(UninstallRunTest, CancelledScanStillRunsThenClosesWithCancel) {
  scanRoots = {dir.MakeDir("R") + "\\"};
  dir.MakeDir("R\\A");
  WriteBytes(dir / "MYLIB.DLL", "x");
  host.progress.cancelAt = 1;
  dllAnswer = id::kYes;
  host.prompter.Answer(id::kYes).Answer(id::kOk).Answer(id::kNo);
  EXPECT_EQ(RunAll({"REMOVEFILE:MYLIB.DLL>FROM:" + dir.path()}), RunOutcome::CloseCancel);
  EXPECT_EQ(host.prompter.boxes[1].caption, "Dependency Check Cancelled");
  EXPECT_FALSE(PathExists(dir / "MYLIB.DLL"));
}

TEST(DllScanRoots, StopAtTheFirstMissingDriveAndSkipNonLocalOnes) {
  auto roots = ScanRootsFrom([](char letter) -> unsigned {
    switch (letter) {
      case 'C': return DRIVE_FIXED;
      case 'D': return DRIVE_CDROM;
      case 'E': return DRIVE_REMOVABLE;
      case 'F': return DRIVE_REMOTE;
      case 'G': return DRIVE_RAMDISK;
      case 'H': return DRIVE_FIXED;
      case 'I': return DRIVE_NO_ROOT_DIR;
      default: return DRIVE_FIXED;
    }
  });
  EXPECT_EQ(roots, (std::vector<std::string>{"C:\\", "E:\\", "H:\\"}));
}

TEST_F(UninstallRunTest, MissingSystemIniStopsBeforeAnything) {
  DeleteFileA(Ini("system.ini").c_str());
  host.prompter.Answer(id::kOk);
  EXPECT_EQ(RunAll({"ADD:B=2>TO:WIN.INI[KEEP]", "ADD:C=3>TO:SYSTEM.INI[KEEP]"}), RunOutcome::Stay);
  EXPECT_EQ(host.prompter.boxes[0].caption, Ini("system.ini"));
  EXPECT_EQ(host.prompter.boxes[0].text,
            "Error copying file.\nMake sure there is enough disk space, and that this file has not been deleted.");
  EXPECT_FALSE(PathExists(backupDir + "\\X.log"));
  EXPECT_EQ(ProfileReadFull(Ini("win.ini"), "KEEP", "B", "?"), "?");
}

TEST_F(UninstallRunTest, CompareFileListTagsSentinoxReports) {
  WriteBytes(backupDir + "\\A.TSC", "");
  WriteBytes(backupDir + "\\B.SNC", "");
  WriteBytes(backupDir + "\\C.TXT", "");
  EXPECT_EQ(CompareFileList(FileNamesMatching, backupDir, true, true),
            (std::vector<std::string>{"A.TSC", "B.SNC\tSentinox Compare File"}));
  EXPECT_EQ(CompareFileList(FileNamesMatching, backupDir, false, true),
            (std::vector<std::string>{"B.SNC\tSentinox Compare File"}));
  EXPECT_TRUE(CompareFileList(FileNamesMatching, backupDir, false, false).empty());
  EXPECT_EQ(CompareFileNameOf("B.SNC\tSentinox Compare File"), "B.SNC");
}

}  // namespace
}  // namespace tessary
