// The executor against the evidence: a sealed file acts only while the machine holds
// what Compare saw and keeps what changed since; a file whose seal is missing or wrong
// only removes, one confirmed line at a time.
#include <gtest/gtest.h>

#include <functional>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "seal_for_tests.h"
#include "testbed.h"
#include "uninstall/evidence_live.h"
#include "uninstall/list_dlg.h"
#include "uninstall/logic/action_file.h"
#include "uninstall/uninstall_run.h"

namespace tessary {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class EvidenceRun : public test::HostTest {
 protected:
  EvidenceRun() {
    win = dir.MakeDir("WIN");
    host.state.WindowsDirectory = win;
    WriteBytes(win + "\\win.ini", "[Tess]\r\nMode=new\r\nAdded=1\r\n");
    WriteBytes(win + "\\system.ini", "[boot]\r\nshell=x\r\n");
    WriteBytes(win + "\\protocol.ini", "");
    env.windowsDirectory = win;
    env.scanRoots = [] { return std::vector<std::string>{}; };
  }
  // Every line selected, verify off, the DLL check off; the lines as written.
  RunOutcome Run(const std::vector<std::string>& lines) {
    UninstallSelection sel;
    sel.actionFile = actionFile;
    for (const std::string& l : lines) {
      sel.entries.push_back(ToUpperAscii(l));
      sel.originals.push_back(l);
    }
    sel.selected.assign(lines.size(), true);
    sel.verifyBox = false;
    sel.dllCheckBox = false;
    return RunUninstall(host, sel, env).outcome;
  }
  std::string Log() { return ReadBytes(backupDir + "\\X.log"); }
  std::string Block(const std::vector<std::string>& lines) {
    std::string block = "-----------UNINSTALL LOG FOR:\r\n12/7/1996  9:05:10\r\n";
    for (const std::string& l : lines) block += l + "\r\n";
    return block;
  }
  bool Seal(const std::vector<std::string>& lines) { return test::SealAsCompareWould(actionFile, lines, win); }

  std::string win;
  const std::string actionFile = backupDir + "\\X.tsu";
  UninstallEnvironment env;
};

TEST_F(EvidenceRun, AnyChangeToTheSealedFilesOrTheirNamesUnseals) {
  const std::string line = "REMOVEFILE:A.TXT>FROM:" + dir.path();
  WriteBytes(dir / "A.TXT", "x");
  const std::string report = backupDir + "\\X.TSC", evidence = backupDir + "\\X.tse";
  struct Case {
    const char* name;
    std::function<void()> change;
    bool sealed;
  };
  auto flip = [](const std::string& path, std::size_t at) {
    std::string bytes = ReadBytes(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    WriteBytes(path, bytes);
  };
  const Case cases[] = {
      {"as Compare wrote them", [] {}, true},
      {"one byte of the action file", [&] { flip(actionFile, 3); }, false},
      {"one byte of a recorded fact", [&] { flip(evidence, ReadBytes(evidence).find("\r\nF ") + 5); }, false},
      {"one byte of the seal", [&] { flip(evidence, ReadBytes(evidence).size() - 3); }, false},
      {"a line added to the action file", [&] { WriteBytes(actionFile, ReadBytes(actionFile) + line + "\r\n"); }, false},
      {"no evidence file", [&] { DeleteFileA(evidence.c_str()); }, false},
      {"no report beside them", [&] { DeleteFileA(report.c_str()); }, false},
      {"the report of the other kind only", [&] { MoveFileA(report.c_str(), (backupDir + "\\X.SNC").c_str()); },
       false},
      {"the seal line left out", [&] {
         const std::string bytes = ReadBytes(evidence);
         WriteBytes(evidence, bytes.substr(0, bytes.rfind("S ")));
       }, false},
  };
  for (const Case& c : cases) {
    DeleteFileA((backupDir + "\\X.SNC").c_str());
    WriteBytes(report, "report\r\n");
    ASSERT_TRUE(Seal({line})) << c.name;
    c.change();
    EXPECT_EQ(LoadSealedEvidence(actionFile).sealed, c.sealed) << c.name;
  }
  // The pair copied under another report's name is unsealed there.
  ASSERT_TRUE(Seal({line}));
  CopyFileA(actionFile.c_str(), (backupDir + "\\Y.tsu").c_str(), FALSE);
  CopyFileA(evidence.c_str(), (backupDir + "\\Y.tse").c_str(), FALSE);
  WriteBytes(backupDir + "\\Y.TSC", "report\r\n");
  EXPECT_FALSE(LoadSealedEvidence(backupDir + "\\Y.tsu").sealed);
  EXPECT_TRUE(LoadSealedEvidence(actionFile).sealed);
}

// A document saved into the program's folder after the report, and a file of it changed
// since, stay with the folders that hold them; the rest goes.
TEST_F(EvidenceRun, WhatTheUserSavedIntoTheProgramsFolderSurvives) {
  const std::string app = dir.MakeDir("APP");
  dir.MakeDir("APP\\SUB");
  dir.MakeDir("APP\\EMPTY");
  WriteBytes(app + "\\app.exe", "program");
  WriteBytes(app + "\\app.cfg", "cfg");
  WriteBytes(app + "\\SUB\\lib.dat", "lib");
  const std::string line = "REMOVEFILE:APP  (DIR)>FROM:" + dir.path();
  ASSERT_TRUE(Seal({line}));
  WriteBytes(app + "\\SUB\\letter.doc", "the user's own");  // new since the report
  WriteBytes(app + "\\app.cfg", "cfg changed by the user");  // changed since
  host.prompter.Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);  // no verify; the tree; no log
  EXPECT_EQ(Run({line}), RunOutcome::CloseOk);

  EXPECT_TRUE(FileExists(app + "\\SUB\\letter.doc"));
  EXPECT_EQ(ReadBytes(app + "\\app.cfg"), "cfg changed by the user");
  for (const char* gone : {"\\app.exe", "\\SUB\\lib.dat", "\\EMPTY"}) EXPECT_FALSE(PathExists(app + gone)) << gone;
  EXPECT_EQ(Log(), Block({"KEPT(changed since the report):" + app + "\\SUB\\letter.doc",
                          "KEPT(changed since the report):" + app + "\\app.cfg",
                          "NOT DONE(Changed since the report):" + ToUpperAscii(line),
                          "2 items were kept as changed since the report."}));
  EXPECT_EQ(host.prompter.boxes.back().text.rfind("2 items were kept: they changed since the report.\n", 0), 0u);
}

// Each kind of line acts only while what it would remove or overwrite is what Compare saw.
TEST_F(EvidenceRun, NothingTheUserChangedSinceTheReportIsOverwrittenOrRemoved) {
  test::TempRegKey key;
  const std::string k = "HKEY_CURRENT_USER\\" + key.path();
  auto value = [&](const std::string& name) {
    RegValue v;
    const RegKey open = RegKey::OpenForValues(HKEY_CURRENT_USER, key.path());
    return open && open.QueryValue(std::u16string(name.begin(), name.end()), v) ? std::string(v.data()) : "none";
  };
  auto set = [&](const std::string& name, const std::string& data) {
    std::u16string units(data.begin(), data.end());
    units.push_back(u'\0');
    ASSERT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, key.path())
                    .SetValue(std::u16string(name.begin(), name.end()), REG_SZ,
                              std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2)));
  };
  auto sz = [](const std::string& text) {
    std::u16string units(text.begin(), text.end());
    units.push_back(u'\0');
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
  };
  struct Case {
    const char* name;
    std::string line;
    std::function<void()> before, userChange;
    std::function<bool()> check;  // the machine afterwards
    bool done;
  };
  const std::string fileLine = "REMOVEFILE:F.TXT>FROM:" + dir.path();
  const Case cases[] = {
      {"a value put back, unchanged since", "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:" + k,
       [&] { set("Mode", "new"); }, [] {}, [&] { return value("Mode") == sz("old"); }, true},
      {"a value the user set since", "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:" + k,
       [&] { set("Mode", "new"); }, [&] { set("Mode", "mine"); }, [&] { return value("Mode") == sz("mine"); }, false},
      {"a value the user made again", "REG_VALUE_RESTORE:Gone>TYPE:REG_SZ>SIZE:8>DATA:\"old>IN:" + k, [] {},
       [&] { set("Gone", "mine"); }, [&] { return value("Gone") == sz("mine"); }, false},
      {"an added value, unchanged", "REG_VALUE_REMOVE:New>TYPE:REG_SZ>SIZE:4>DATA:\"x>FROM:" + k,
       [&] { set("New", "x"); }, [] {}, [&] { return value("New") == "none"; }, true},
      {"an added value the user changed", "REG_VALUE_REMOVE:New>TYPE:REG_SZ>SIZE:4>DATA:\"x>FROM:" + k,
       [&] { set("New", "x"); }, [&] { set("New", "y"); }, [&] { return value("New") == sz("y"); }, false},
      {"an INI entry changed back, unchanged since", "CHANGE:Mode=new>TO:old>IN:WIN.INI[Tess]", [] {}, [] {},
       [&] { return ProfileReadFull(win + "\\win.ini", "Tess", "Mode", "?") == "old"; }, true},
      {"an INI entry the user changed", "CHANGE:Mode=new>TO:old>IN:WIN.INI[Tess]", [] {},
       [&] { EXPECT_TRUE(ProfileWrite(win + "\\win.ini", "Tess", "Mode", "mine")); },
       [&] { return ProfileReadFull(win + "\\win.ini", "Tess", "Mode", "?") == "mine"; }, false},
      {"an INI entry removed, the user changed it", "REMOVE:Added=1>FROM:WIN.INI[Tess]", [] {},
       [&] { EXPECT_TRUE(ProfileWrite(win + "\\win.ini", "Tess", "Added", "2")); },
       [&] { return ProfileReadFull(win + "\\win.ini", "Tess", "Added", "?") == "2"; }, false},
      {"an INI entry put back, the user added it since", "ADD:Old=1>TO:WIN.INI[Tess]", [] {},
       [&] { EXPECT_TRUE(ProfileWrite(win + "\\win.ini", "Tess", "Old", "mine")); },
       [&] { return ProfileReadFull(win + "\\win.ini", "Tess", "Old", "?") == "mine"; }, false},
      {"a file the user changed", fileLine, [&] { WriteBytes(dir / "F.TXT", "x"); },
       [&] { WriteBytes(dir / "F.TXT", "changed"); }, [&] { return FileExists(dir / "F.TXT"); }, false},
      {"a file as it was", fileLine, [&] { WriteBytes(dir / "F.TXT", "x"); }, [] {},
       [&] { return !FileExists(dir / "F.TXT"); }, true},
  };
  for (const Case& c : cases) {
    WriteBytes(win + "\\win.ini", "[Tess]\r\nMode=new\r\nAdded=1\r\n");
    DeleteFileA((backupDir + "\\X.log").c_str());
    c.before();
    ASSERT_TRUE(Seal({c.line})) << c.name;
    c.userChange();
    host.prompter.boxes.clear();
    host.prompter.Answer(id::kYes).Answer(id::kNo);
    EXPECT_EQ(Run({c.line}), RunOutcome::CloseOk) << c.name;
    EXPECT_TRUE(c.check()) << c.name;
    const std::string log = Log();
    EXPECT_EQ(log.find("\r\nDONE:") != std::string::npos, c.done) << c.name << "\n" << log;
    EXPECT_EQ(log.find("NOT DONE(Changed since the report):") != std::string::npos, !c.done) << c.name << "\n" << log;
  }
}

// A key goes with the subkeys the evidence lists; one made since stays, with its parents.
TEST_F(EvidenceRun, ASubkeyMadeSinceTheReportStaysWithItsParents) {
  test::TempRegKey key;
  key.Create("App\\Old\\Deep");
  key.Create("App\\Other");
  const std::string line = "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\App>FROM:REG.DAT";
  ASSERT_TRUE(Seal({line}));
  key.Create("App\\Old\\Mine");
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(Run({line}), RunOutcome::CloseOk);
  auto exists = [&](const std::string& rel) {
    return static_cast<bool>(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\" + rel));
  };
  EXPECT_TRUE(exists("App\\Old\\Mine"));
  EXPECT_FALSE(exists("App\\Old\\Deep"));
  EXPECT_FALSE(exists("App\\Other"));
  EXPECT_EQ(Log(), Block({"KEPT(changed since the report):HKEY_CURRENT_USER\\" + key.path() + "\\App\\Old\\Mine",
                          "NOT DONE(Changed since the report):" + ToUpperAscii(line),
                          "1 item was kept as changed since the report."}));
}

// An older action file (no evidence, no seal) still removes what it names, each line
// confirmed on its own even with verify off; it writes nothing.
TEST_F(EvidenceRun, AnUnsealedFileRemovesOneConfirmedLineAtATime) {
  test::TempRegKey key(HKEY_CURRENT_USER, "TessaryTest");  // outside every protected key
  key.Create("NewApp");
  WriteBytes(dir / "ONE.TXT", "x");
  WriteBytes(dir / "TWO.TXT", "x");
  const std::vector<std::string> lines = {
      "REMOVEFILE:ONE.TXT>FROM:" + dir.path(),
      "REMOVEFILE:TWO.TXT>FROM:" + dir.path(),
      "REMOVE:Added=1>FROM:WIN.INI[Tess]",
      "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\NewApp>FROM:REG.DAT",
      "CHANGE:Mode=new>TO:old>IN:WIN.INI[Tess]",
      "ADD:Old=1>TO:WIN.INI[Tess]",
  };
  std::string content;
  for (const std::string& l : lines) content += l + "\r\n";
  WriteBytes(actionFile, content);
  ASSERT_FALSE(LoadSealedEvidence(actionFile).sealed);
  // Yes to ONE, No to TWO, Yes to the INI entry and the key; no log.
  host.prompter.Answer(id::kYes).Answer(id::kNo).Answer(id::kYes).Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(Run(lines), RunOutcome::CloseOk);
  std::vector<std::string> captions;
  for (const auto& b : host.prompter.boxes) captions.push_back(b.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Verify this action:", "Verify this action:", "Verify this action:",
                                                "Verify this action:", "Uninstall Complete"}));
  EXPECT_FALSE(FileExists(dir / "ONE.TXT"));
  EXPECT_TRUE(FileExists(dir / "TWO.TXT"));
  EXPECT_FALSE(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\NewApp"));
  EXPECT_EQ(ReadBytes(win + "\\win.ini"), "[Tess]\r\nMode=new\r\n");
  EXPECT_EQ(Log(), Block({"DONE:" + ToUpperAscii(lines[0]), "NOT DONE:" + ToUpperAscii(lines[1]),
                          "DONE:" + ToUpperAscii(lines[2]), "DONE:" + ToUpperAscii(lines[3]),
                          "NOT DONE(Unsealed file):" + ToUpperAscii(lines[4]),
                          "NOT DONE(Unsealed file):" + ToUpperAscii(lines[5])}));
}

// The Uninstall Actions dialog opens an unsealed file under a warning that says why, and
// a sealed one without.
TEST_F(EvidenceRun, TheActionsDialogWarnsOfAnUnsealedFile) {
  WriteBytes(actionFile, "REMOVEFILE:A.TXT>FROM:" + dir.path() + "\r\n");
  host.prompter.Answer(id::kOk);
  {
    TListDlg actions(host, actionFile);
    HWND h = actions.CreateModeless();
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(host.prompter.boxes.size(), 1u);
    EXPECT_EQ(host.prompter.boxes[0].caption, kUnsealedCaption);
    EXPECT_EQ(host.prompter.boxes[0].text.rfind(kUnsealedText, 0), 0u);
    DestroyWindow(h);
  }
  ASSERT_TRUE(Seal({"REMOVEFILE:A.TXT>FROM:" + dir.path()}));
  TListDlg actions(host, actionFile);
  HWND h = actions.CreateModeless();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(host.prompter.boxes.size(), 1u);
  DestroyWindow(h);
}

// A write into a place that decides what Windows starts is asked about on its own, even
// with verify off, naming the exact write.
TEST_F(EvidenceRun, AWriteIntoAStartUpPlaceIsAskedAboutOnItsOwn) {
  WriteBytes(win + "\\win.ini", "[windows]\r\nload=new.exe\r\n");
  const std::string line = "CHANGE:load=new.exe>TO:old.exe>IN:WIN.INI[windows]";
  ASSERT_TRUE(Seal({line}));
  host.prompter.Answer(id::kYes).Answer(id::kNo).Answer(id::kNo);  // no verify; not this write; no log
  EXPECT_EQ(Run({line}), RunOutcome::CloseOk);
  ASSERT_EQ(host.prompter.boxes.size(), 3u);
  EXPECT_EQ(host.prompter.boxes[1].caption, "Write to a start-up place:");
  EXPECT_EQ(host.prompter.boxes[1].text.rfind("Do you want to write 'load=old.exe' into the 'windows' section", 0), 0u);
  EXPECT_EQ(ProfileReadFull(win + "\\win.ini", "windows", "load", "?"), "new.exe");
  EXPECT_EQ(Log(), Block({"NOT DONE:" + ToUpperAscii(line)}));
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// A registry link made for the test: `link` (below HKEY_CURRENT_USER) points to `target`;
// removed as a link when the test ends.
class RegistryLink {
 public:
  RegistryLink(const std::string& link, const std::string& target) : link_(link.begin(), link.end()) {
    const std::string full = RegKey::OpenForReading(HKEY_CURRENT_USER, target).FullName();
    const std::wstring value(full.begin(), full.end());
    HKEY key = nullptr;
    made_ = RegCreateKeyExW(HKEY_CURRENT_USER, link_.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS &&
            !full.empty();
    if (key) {
      made_ = made_ && RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(value.data()),
                                      static_cast<DWORD>(value.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
  ~RegistryLink() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, link_.c_str(), REG_OPTION_OPEN_LINK, DELETE, &key) != ERROR_SUCCESS) return;
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    const auto del = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    if (del) del(key);
    RegCloseKey(key);
  }
  bool made() const { return made_; }

 private:
  std::wstring link_;
  bool made_ = false;
};

// Nothing is removed through a registry link: what the line names lies elsewhere.
TEST_F(EvidenceRun, NothingIsRemovedThroughARegistryLink) {
  test::TempRegKey key;
  key.Create("Target\\Sub");
  key.SetString("Target", "Value", "x");
  RegistryLink link(key.path() + "\\Link", key.path() + "\\Target");
  if (!link.made()) GTEST_SKIP() << "registry links cannot be made here";
  ASSERT_TRUE(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\Link\\Sub"));  // the link leads there
  const std::string k = "HKEY_CURRENT_USER\\" + key.path();
  const std::vector<std::string> lines = {"REG_DAT_REMOVE:" + k + "\\Link\\Sub>FROM:REG.DAT",
                                          "REG_DAT_REMOVE:" + k + "\\Link>FROM:REG.DAT",
                                          "REG_VALUE_REMOVE:Value>TYPE:REG_SZ>SIZE:4>DATA:\"x>FROM:" + k + "\\Link"};
  ASSERT_TRUE(Seal(lines));
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(Run(lines), RunOutcome::CloseOk);
  EXPECT_TRUE(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\Target\\Sub"));
  RegValue v;
  EXPECT_TRUE(RegKey::OpenForValues(HKEY_CURRENT_USER, key.path() + "\\Target").QueryValue(u"Value", v));
  const std::string log = Log();
  for (const std::string& line : {ToUpperAscii(lines[0]), ToUpperAscii(lines[1])})
    EXPECT_NE(log.find("NOT DONE(Reached through a link):" + line + "\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\r\nDONE:"), std::string::npos) << log;  // no line done
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

// Where Compare records values, a key's evidence holds them: a value the user set in the
// program's key since the report keeps that key (and the keys above it).
TEST_F(EvidenceRun, AValueTheUserSetInTheProgramsKeyKeepsTheKey) {
  test::TempRegKey key;
  key.Create("App\\Prefs");
  key.Create("App\\Cache");
  key.SetString("App\\Prefs", "Colour", "blue");
  const std::string line = "REG_DAT_REMOVE:HKEY_CURRENT_USER\\" + key.path() + "\\App>FROM:REG.DAT";
  std::string body = std::string(kEvidenceHeader) + "\r\n" + FormatEvidenceRecord(GatherEvidence(line, win, true));
  WriteBytes(actionFile, line + "\r\n");
  WriteBytes(backupDir + "\\X.TSC", "report\r\n");
  ASSERT_TRUE(WriteSealedEvidence(backupDir + "\\X.TSC", actionFile, body));
  key.SetString("App\\Prefs", "Colour", "green");  // the user's choice since
  host.prompter.Answer(id::kYes).Answer(id::kNo);
  EXPECT_EQ(Run({line}), RunOutcome::CloseOk);
  EXPECT_TRUE(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\App\\Prefs"));
  EXPECT_FALSE(RegKey::OpenForReading(HKEY_CURRENT_USER, key.path() + "\\App\\Cache"));
  EXPECT_EQ(Log(), Block({"KEPT(changed since the report):HKEY_CURRENT_USER\\" + key.path() +
                              "\\App\\Prefs value Colour",
                          "NOT DONE(Changed since the report):" + ToUpperAscii(line),
                          "1 item was kept as changed since the report."}));
}

}  // namespace
}  // namespace tessary
