// The evidence file, the seal's message and HMAC, the plan of what may go of a tree,
// the subtrees no unsealed file may touch and the sensitive places: pure rules.
#include <gtest/gtest.h>

#include "platform/hmac.h"
#include "uninstall/logic/evidence.h"
#include "uninstall/logic/protected_keys.h"
#include "uninstall/logic/sensitive_places.h"

namespace tessary {
namespace {

TEST(Hmac, MatchesThePublishedVectors) {
  struct Case {
    std::string key, message, tag;
  };
  const Case cases[] = {
      {std::string(20, '\x0b'), "Hi There", "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?", "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
  };
  for (const Case& c : cases) EXPECT_EQ(HmacSha256Hex(c.key, c.message), c.tag) << c.message;
  EXPECT_TRUE(EqualInConstantTime("abc", "abc"));
  EXPECT_FALSE(EqualInConstantTime("abc", "abd"));
  EXPECT_FALSE(EqualInConstantTime("abc", "ab"));
}

TEST(Evidence, RecordsReadBackAsWritten) {
  const std::vector<EvidenceRecord> records = {
      {"REMOVEFILE:NEWAPP  (DIR)>FROM:C:\\PROGRAMS",
       {FormatEntryFact({"", 0x10, 0, 0}), FormatEntryFact({"SUB\\f.txt", 0x20, 12, 0x01D2A3B4C5D6E7F8}),
        FormatEntryFact({"name with  spaces", 0x21, 18446744073709551615ull, 1})}},
      {"REG_DAT_REMOVE:HKEY_CURRENT_USER\\Software\\NewApp>FROM:REG.DAT", {FormatKeyFact(""), FormatKeyFact("A\\B")}},
      {"REG_VALUE_RESTORE:x>TYPE:REG_SZ>SIZE:4>DATA:\"a>IN:HKEY_CURRENT_USER\\K",
       {FormatValueFact('V', false, "", 0, ""), FormatValueFact('R', true, "REG_SZ", 4, std::string(64, 'a'))}},
      {"CHANGE:load=new.exe>TO:>IN:WIN.INI[windows]", {FormatIniFact(std::string("new.exe=x")), FormatIniFact({})}},
      {"REMOVEFILE:GONE.TXT>FROM:C:\\", {}},
  };
  std::string body = std::string(kEvidenceHeader) + "\r\n";
  for (const EvidenceRecord& r : records) body += FormatEvidenceRecord(r);
  const std::string seal(64, 'f');
  for (const std::string& content : {body, body + FormatSealLine(seal)}) {
    const auto read = ParseEvidence(content);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->records, records);
    EXPECT_EQ(read->body, body);
    EXPECT_EQ(read->seal, content == body ? "" : seal);
    EXPECT_EQ(read->Find(records[1].action), &read->records[1]);
    EXPECT_EQ(read->Find("REMOVEFILE:OTHER>FROM:C:\\"), nullptr);
  }
  // Each entry fact reads back field by field.
  const auto entry = ParseEntryFact(records[0].facts[2]);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->path, "name with  spaces");
  EXPECT_EQ(entry->attributes, 0x21u);
  EXPECT_EQ(entry->size, 18446744073709551615ull);
  EXPECT_EQ(entry->time, 1u);
}

TEST(Evidence, WhatCannotBeReadBackIsNotWrittenAndBadFilesDoNotRead) {
  EXPECT_EQ(FormatEvidenceRecord({"REMOVEFILE:A\rB>FROM:C:\\", {}}), "");
  EXPECT_EQ(FormatEvidenceRecord({"REMOVEFILE:A>FROM:C:\\", {"F 00000020 1 0000000000000001 a\nb"}}), "");
  EXPECT_EQ(FormatEvidenceRecord({"REMOVEFILE:A>FROM:C:\\", {"X unknown"}}), "");
  const std::string h = std::string(kEvidenceHeader) + "\r\n";
  const std::string a = "A REMOVEFILE:A>FROM:C:\\\r\n";
  const std::vector<std::string> bad = {
      "",
      "TESSARY EVIDENCE 2\r\n",
      a,
      h + "K \r\n",                                     // a fact before the first action
      h + a + "X what\r\n",                             // unknown tag
      h + a + "S " + std::string(63, 'a') + "\r\n",     // short seal
      h + a + "S " + std::string(64, 'A') + "\r\n",     // upper-case seal
      h + a + "S " + std::string(64, 'a') + "\r\nK \r\n",  // a line after the seal
      h + a + "K x",                                    // a last line without its end
      h + a + std::string("K a\0b\r\n", 7),
  };
  for (const std::string& content : bad) EXPECT_FALSE(ParseEvidence(content)) << content;
  for (const char* fact : {"F 0000002 1 0000000000000001 a", "F 00000020 01 0000000000000001 a",
                           "F 00000020 1 000000000000001 a", "F 00000020 x 0000000000000001 a",
                           "F 00000020 99999999999999999999 0000000000000001 a", "F 00000020 1 0000000000000001"})
    EXPECT_FALSE(ParseEntryFact(fact)) << fact;
}

TEST(Evidence, TheSealMessageKeepsItsPartsApart) {
  const std::string m = SealMessage("a.tsc", "AB", "C");
  EXPECT_EQ(m, SealMessage("A.TSC", "AB", "C"));  // the name in any letter case
  EXPECT_NE(m, SealMessage("A.TSC", "A", "BC"));
  EXPECT_NE(m, SealMessage("A.TS", "CAB", "C"));
  EXPECT_NE(m, SealMessage("B.TSC", "AB", "C"));
}

TEST(Evidence, OnlyWhatIsAsRecordedGoesAndWhatHoldsAChangeStays) {
  using Facts = std::map<std::string, std::string>;
  struct Case {
    const char* name;
    Facts recorded, live;
    bool whole;
    std::vector<std::string> removable, kept;
  };
  const Facts app = {{"", "f0"}, {"SUB", "f1"}, {"SUB\\a", "f2"}, {"b", "f3"}};
  auto with = [](Facts f, const std::string& path, const std::string& fact) {
    f[path] = fact;
    return f;
  };
  auto without = [](Facts f, const std::string& path) {
    f.erase(path);
    return f;
  };
  const Case cases[] = {
      {"as recorded", app, app, true, {"SUB\\a", "SUB", "b", ""}, {}},
      {"an entry gone since", app, without(app, "b"), true, {"SUB\\a", "SUB", ""}, {}},
      {"a new document deep down", app, with(app, "SUB\\doc", "f9"), false, {"SUB\\a", "b"}, {"SUB\\doc"}},
      {"a changed file at the top", app, with(app, "b", "f9"), false, {"SUB\\a", "SUB"}, {"b"}},
      {"the folder itself changed", app, with(app, "", "f9"), false, {"SUB\\a", "SUB", "b"}, {""}},
      {"nothing there now", app, {}, true, {}, {}},
      {"nothing recorded", {}, app, false, {}, {"", "SUB", "SUB\\a", "b"}},
  };
  for (const Case& c : cases) {
    const TreePlan plan = PlanTreeRemoval(c.recorded, c.live);
    EXPECT_EQ(plan.whole, c.whole) << c.name;
    EXPECT_EQ(plan.removable, c.removable) << c.name;
    EXPECT_EQ(plan.kept, c.kept) << c.name;
  }
  // Facts by path: entry, key and value facts; a value lies below its key.
  EXPECT_EQ(FactPath(FormatEntryFact({"A\\B", 0x20, 1, 2})), "A\\B");
  EXPECT_EQ(FactPath(FormatKeyFact("X\\Y")), "X\\Y");
  const std::string sha(64, 'a');
  EXPECT_EQ(FactPath(FormatKeyValueFact("X\\Y", "Colour", "REG_SZ", 10, sha)), std::string("X\\Y\\\x01") + "Colour");
  EXPECT_EQ(FactPath(FormatKeyValueFact("", "a b", "REG_SZ", 10, sha)), std::string("\x01") + "a b");
  EXPECT_EQ(FactPath(FormatKeyValueFact("X>Z", "", "REG_DWORD", 4, sha)), std::string("X>Z\\\x01"));
  EXPECT_EQ(FactPath(std::string(kKeyValuesFact)), "");
  const TreePlan plan =
      PlanTreeRemoval(FactsByPath({FormatKeyFact(""), FormatKeyFact("P"), FormatKeyValueFact("P", "C", "REG_SZ", 1, sha)}),
                      FactsByPath({FormatKeyFact(""), FormatKeyFact("P"), FormatKeyValueFact("P", "C", "REG_SZ", 2, sha)}));
  EXPECT_EQ(plan.kept, std::vector<std::string>{std::string("P\\\x01") + "C"});
  EXPECT_TRUE(plan.removable.empty());
}

TEST(ProtectedKeys, UnsealedFilesKeepOutOfWholeSubtrees) {
  const std::pair<const char*, bool> cases[] = {
      {"HKEY_CURRENT_USER\\Software", true},
      {"HKEY_CURRENT_USER\\Software\\NewApp", true},
      {"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\Software", true},
      {"HKEY_CLASSES_ROOT\\exefile", true},
      {"HKEY_LOCAL_MACHINE\\SAM\\X", true},
      {"HKEY_LOCAL_MACHINE", true},
      {"HKEY_NOWHERE\\X", true},
      {"HKEY_CURRENT_USER\\NewAppTop", false},
  };
  for (const auto& [path, below] : cases) EXPECT_EQ(IsAtOrBelowProtectedKey(path), below) << path;
}

TEST(SensitivePlaces, WritesThatDecideWhatStartsAreNamed) {
  struct Case {
    const char* key;
    std::u16string value;
    bool sensitive;
  };
  const Case cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", u"Evil", true},
      {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", u"x", true},
      {"HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", u"x", true},
      {"HKEY_USERS\\S-1-5-21-1\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", u"x", true},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe",
       u"Debugger", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\svc", u"ImagePath", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\svc", u"Start", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\svc", u"DisplayName", false},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\svc\\Parameters", u"ServiceDll", true},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", u"AppInit_DLLs", true},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", u"Spooler", false},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", u"Shell", true},
      {"HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command", u"", true},
      {"HKEY_CLASSES_ROOT\\txtfile\\DefaultIcon", u"", false},
      {"HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", u"", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa", u"Notification Packages", true},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", u"x", true},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree\\T", u"Id", true},
      {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", u"Startup",
       true},
      {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", u"Personal",
       false},
      {"HKEY_CURRENT_USER\\Software\\NewApp", u"Run", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSensitiveKeyValue(c.key, c.value), c.sensitive) << c.key;
  EXPECT_TRUE(IsSensitiveWrite("ADD:load=evil.exe>TO:WIN.INI[windows]"));
  EXPECT_TRUE(IsSensitiveWrite("CHANGE:shell=a.exe>TO:progman.exe>IN:SYSTEM.INI[boot]"));
  EXPECT_FALSE(IsSensitiveWrite("REMOVE:load=evil.exe>FROM:WIN.INI[windows]"));  // a removal writes nothing
  EXPECT_FALSE(IsSensitiveWrite("ADD:Mode=1>TO:WIN.INI[Corpus]"));
  EXPECT_TRUE(IsSensitiveWrite(
      "REG_VALUE_RESTORE:Evil>TYPE:REG_SZ>SIZE:4>DATA:\"x>IN:HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
      "CurrentVersion\\Run"));
  EXPECT_FALSE(IsSensitiveWrite(
      "REG_VALUE_REMOVE:Evil>TYPE:REG_SZ>SIZE:4>DATA:\"x>FROM:HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
      "CurrentVersion\\Run"));
}

}  // namespace
}  // namespace tessary
