// The action-file line format: what Compare writes must read back as the same action,
// and a malformed or tampered line must be refused rather than misread.
#include <gtest/gtest.h>

#include <random>

#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

TEST(ActionFile, WritesEachKindExactly) {
  EXPECT_EQ(FormatChangeAction("load", "NEW.EXE", "OLD.EXE", "WIN.INI", "windows"),
            "CHANGE:load=NEW.EXE>TO:OLD.EXE>IN:WIN.INI[windows]");
  EXPECT_EQ(FormatAddAction("run", "a.exe", "WIN.INI", "windows"), "ADD:run=a.exe>TO:WIN.INI[windows]");
  EXPECT_EQ(FormatRemoveAction("load", "newapp.exe", "WIN.INI", "windows"),
            "REMOVE:load=newapp.exe>FROM:WIN.INI[windows]");
  EXPECT_EQ(FormatRemoveFileAction("APP", true, "C:\\"), "REMOVEFILE:APP  (DIR)>FROM:C:\\");
  EXPECT_EQ(FormatRemoveFileAction("NEWAPP.DLL", false, "C:\\WINDOWS\\SYSTEM"),
            "REMOVEFILE:NEWAPP.DLL>FROM:C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(FormatRegDatRemoveAction("HKEY_LOCAL_MACHINE\\Software\\App"),
            "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\Software\\App>FROM:REG.DAT");
  // Values are written whole; one holding ">IN:" and a file still cannot redirect the undo.
  std::string tricky = FormatChangeAction("k", "a>IN:SYSTEM.INI[boot]", "b>x", "WIN.INI", "s");
  EXPECT_EQ(tricky, "CHANGE:k=a>IN:SYSTEM.INI[boot]>TO:b>x>IN:WIN.INI[s]");
  auto back = ParseChangeAction(tricky);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->file, "WIN.INI");
  EXPECT_EQ(back->section, "s");
  EXPECT_EQ(back->previous, "b>x");
  EXPECT_EQ(FormatAddAction("k", "v>TO:X", "WIN.INI", "s"), "ADD:k=v>TO:X>TO:WIN.INI[s]");
  // A current value holding ">TO:" cannot be told from the marker: it is cut at its
  // first ">" as before, and the value put back stays whole.
  EXPECT_EQ(FormatChangeAction("k", "a>TO:b", "c>d", "WIN.INI", "s"), "CHANGE:k=a>TO:c>d>IN:WIN.INI[s]");
}

TEST(ActionFile, ClassifiesInOrderAndAnyCase) {
  EXPECT_EQ(ClassifyAction("CHANGE:a=b>TO:c>IN:WIN.INI[s]"), ActionKind::Change);
  EXPECT_EQ(ClassifyAction("add:a=b>to:win.ini[s]"), ActionKind::Add);
  EXPECT_EQ(ClassifyAction("REG_DAT_REMOVE:HKEY_USERS\\x>FROM:REG.DAT"), ActionKind::RegDatRemove);
  EXPECT_EQ(ClassifyAction("Remove:a=b>FROM:WIN.INI[s]"), ActionKind::Remove);
  EXPECT_EQ(ClassifyAction("REMOVEFILE:X>FROM:C:\\"), ActionKind::RemoveFile);
  EXPECT_EQ(ClassifyAction(""), ActionKind::None);
  EXPECT_EQ(ClassifyAction("CHANGE"), ActionKind::None);
  EXPECT_EQ(ClassifyAction(" ADD:a=b>TO:WIN.INI[s]"), ActionKind::None);
  EXPECT_EQ(ClassifyAction("REMOVEFIL:X"), ActionKind::None);
}

TEST(ActionFile, ParsesChangeLines) {
  auto a = ParseChangeAction("CHANGE:LOAD=NEW.EXE>TO:OLD.EXE>IN:WIN.INI[WINDOWS]");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->key, "LOAD");
  EXPECT_EQ(a->value, "NEW.EXE");
  EXPECT_EQ(a->previous, "OLD.EXE");
  EXPECT_EQ(a->file, "WIN.INI");
  EXPECT_EQ(a->section, "WINDOWS");
  // Empty previous and current values become one blank.
  auto b = ParseChangeAction("CHANGE:K=>TO:>IN:SYSTEM.INI[386ENH]");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->previous, " ");
  EXPECT_EQ(b->value, " ");
  EXPECT_EQ(b->section, "386ENH");
  // A section name with "]" missing runs to the end.
  auto c = ParseChangeAction("CHANGE:K=V>TO:P>IN:WIN.INI[S");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->section, "S");
}

TEST(ActionFile, ParsesAddAndRemoveLines) {
  auto a = ParseAddAction("ADD:DEVICE=C:\\X.386=Y>TO:SYSTEM.INI[386ENH]");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->key, "DEVICE");
  EXPECT_EQ(a->value, "C:\\X.386=Y");  // everything after the first "="
  EXPECT_EQ(a->file, "SYSTEM.INI");
  EXPECT_EQ(a->section, "386ENH");
  auto r = ParseRemoveAction("REMOVE:LOAD=NEWAPP.EXE>FROM:WIN.INI[WINDOWS]");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->key, "LOAD");
  EXPECT_EQ(r->value, "NEWAPP.EXE");
  EXPECT_EQ(r->file, "WIN.INI");
  // ADD wants ">TO:", REMOVE wants ">FROM:".
  EXPECT_FALSE(ParseAddAction("ADD:K=V>FROM:WIN.INI[S]"));
  EXPECT_FALSE(ParseRemoveAction("REMOVE:K=V>TO:WIN.INI[S]"));
}

TEST(ActionFile, ParsesRemoveFileLines) {
  auto root = ParseRemoveFileAction("REMOVEFILE:X.DLL>FROM:C:\\");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->path, "C:\\X.DLL");
  EXPECT_FALSE(root->isDirectory);
  auto dir = ParseRemoveFileAction("REMOVEFILE:APP  (DIR)>FROM:C:\\APPS");
  ASSERT_TRUE(dir);
  EXPECT_EQ(dir->path, "C:\\APPS\\APP");
  EXPECT_TRUE(dir->isDirectory);
  auto longName = ParseRemoveFileAction("REMOVEFILE:My Long Name.txt>FROM:D:\\PROGRAM FILES\\NEW");
  ASSERT_TRUE(longName);
  EXPECT_EQ(longName->path, "D:\\PROGRAM FILES\\NEW\\My Long Name.txt");
  // "(DIR)" inside a file name does not make it a directory nor shorten the path.
  auto inside = ParseRemoveFileAction("REMOVEFILE:A(DIR)B.TXT>FROM:C:\\X");
  ASSERT_TRUE(inside);
  EXPECT_EQ(inside->path, "C:\\X\\A(DIR)B.TXT");
  EXPECT_FALSE(inside->isDirectory);
}

TEST(ActionFile, ParsesRegistryLines) {
  auto a = ParseRegDatRemoveAction("REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\NEWVENDOR\\NEWAPP>FROM:REG.DAT");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->keyPath, "HKEY_LOCAL_MACHINE\\SOFTWARE\\NEWVENDOR\\NEWAPP");
  EXPECT_EQ(a->root, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(a->subkey, "SOFTWARE\\NEWVENDOR\\NEWAPP");
  auto dyn = ParseRegDatRemoveAction("REG_DAT_REMOVE:HKEY_DYN_DATA\\PerfStats>FROM:REG.DAT");
  ASSERT_TRUE(dyn);
  EXPECT_EQ(dyn->root, "HKEY_DYN_DATA");
  // A key name may hold ">": the line still names that key, never its parent.
  std::string line = FormatRegDatRemoveAction("HKEY_CLASSES_ROOT\\.a>b");
  auto gt = ParseRegDatRemoveAction(line);
  ASSERT_TRUE(gt);
  EXPECT_EQ(gt->subkey, ".a>b");
}

TEST(ActionFile, RefusesMalformedAndTamperedLines) {
  // Pieces the reader needs are missing.
  for (const char* line : {"CHANGE", "CHANGE:K=V>IN:WIN.INI[S]", "CHANGE:K=V>TO:P", "CHANGE:K=V>TO:P>IN:WIN.INI",
                           "CHANGE:KV>TO:P>IN:WIN.INI[S]", "CHANGE:=V>TO:P>IN:WIN.INI[S]"})
    EXPECT_FALSE(ParseChangeAction(line)) << line;
  for (const char* line : {"ADD", "ADD:K=V", "ADD:K=V>TO:WIN.INI", "ADD:KV>TO:WIN.INI[S]", "ADD:=V>TO:WIN.INI[S]",
                           "ADD:K=>TO:WIN.INI[S]"})
    EXPECT_FALSE(ParseAddAction(line)) << line;
  for (const char* line : {"REMOVE", "REMOVE:K=V>FROM:WIN.INI", "REMOVE:K=>FROM:WIN.INI[S]"})
    EXPECT_FALSE(ParseRemoveAction(line)) << line;
  for (const char* line : {"REG_DAT_REMOVE", "REG_DAT_REMOVE:HKEY_USERS\\X",
                           // a whole root, an empty subkey piece, an unknown root
                           "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE>FROM:REG.DAT",
                           "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\>FROM:REG.DAT",
                           "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\\\SOFTWARE>FROM:REG.DAT",
                           "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\>FROM:REG.DAT",
                           "REG_DAT_REMOVE:HKEY_NOWHERE\\SOFTWARE>FROM:REG.DAT",
                           "REG_DAT_REMOVE:\\SOFTWARE>FROM:REG.DAT"})
    EXPECT_FALSE(ParseRegDatRemoveAction(line)) << line;
  for (const char* line : {"REMOVEFILE", "REMOVEFILE:X.DLL", "REMOVEFILE:X.DLL>C",
                           // relative, root-relative, climbing, the directory itself, wildcards
                           "REMOVEFILE:X.DLL>FROM:WINDOWS", "REMOVEFILE:X.DLL>FROM:\\WINDOWS",
                           "REMOVEFILE:X.DLL>FROM:C:WINDOWS", "REMOVEFILE:X.DLL>FROM:C:\\WINDOWS\\..",
                           "REMOVEFILE:..  (DIR)>FROM:C:\\WINDOWS", "REMOVEFILE:..>FROM:C:\\WINDOWS",
                           "REMOVEFILE:.  (DIR)>FROM:C:\\", "REMOVEFILE:>FROM:C:\\",
                           "REMOVEFILE:  (DIR)>FROM:C:\\WINDOWS", "REMOVEFILE:*.*>FROM:C:\\WINDOWS",
                           "REMOVEFILE:X>FROM:C:\\A\\..\\B", "REMOVEFILE:X>FROM:"})
    EXPECT_FALSE(ParseRemoveFileAction(line)) << line;
  EXPECT_FALSE(ParseRemoveFileAction("REMOVEFILE:X>FROM:\\\\SERVER\\SHARE\\DIR"));
  EXPECT_FALSE(ParseRemoveFileAction("REMOVEFILE:X>FROM:\\\\SERVER"));
}

// A NUL ends a name where the system reads it, so a line holding one would act on a
// shorter name than the one it holds: "KEEP\0\SUB" is the key KEEP to the registry.
TEST(ActionFile, RefusesLinesHoldingANul) {
  using namespace std::string_literals;
  EXPECT_FALSE(ParseRegDatRemoveAction("REG_DAT_REMOVE:HKEY_CURRENT_USER\\KEEP\0\\SUB>FROM:REG.DAT"s));
  EXPECT_FALSE(ParseAddAction("ADD:shell\0=evil.exe>TO:WIN.INI[boot]"s));
  EXPECT_FALSE(ParseAddAction("ADD:shell=evil.exe>TO:WIN.INI[boot]\0]"s));
  EXPECT_FALSE(ParseRemoveAction("REMOVE:shell=keep.exe>FROM:WIN.INI[boot]\0"s));
  EXPECT_FALSE(ParseChangeAction("CHANGE:shell=keep.exe>TO:evil\0.exe>IN:WIN.INI[boot]"s));
  EXPECT_FALSE(ParseRemoveFileAction("REMOVEFILE:KEEP.TXT>FROM:C:\\VICTIM\0X"s));
  EXPECT_TRUE(ParseRegDatRemoveAction("REG_DAT_REMOVE:HKEY_CURRENT_USER\\KEEP\\SUB>FROM:REG.DAT"s));
}

TEST(ActionFile, DllNameAndPaths) {
  EXPECT_EQ(DllNameOf("REMOVEFILE:NEWAPP.DLL>FROM:C:\\WINDOWS\\SYSTEM"), "NEWAPP");
  EXPECT_EQ(DllNameOf("REMOVEFILE:.DLL>FROM:C:\\"), ".DLL");
  EXPECT_EQ(DllNameOf("REMOVEFILE:ABCDE>FROM:C:\\"), "A");
  EXPECT_EQ(DllNameOf("NOCOLON"), "");
  EXPECT_EQ(ActionFilePathFor("C:\\BACKUP\\COMPARE.TSC"), "C:\\BACKUP\\COMPARE.tsu");
  EXPECT_EQ(ActionFilePathFor("C:\\BACKUP\\1207.SNC"), "C:\\BACKUP\\1207.tsu");
}

// A report, its actions and its log differ in their last three characters; a name too
// short to have three still gets a name of its own, never the report's.
TEST(ActionFile, ReportActionAndLogNames) {
  EXPECT_EQ(WithLastThree("C:\\B\\0412.SNC", "log"), "C:\\B\\0412.log");
  EXPECT_EQ(WithLastThree("C:\\B\\0412.tsu", "log"), "C:\\B\\0412.log");
  EXPECT_EQ(WithLastThree("abc", "tsu"), "tsu");
  EXPECT_EQ(WithLastThree("ab", "log"), "ablog");
  EXPECT_EQ(WithLastThree("", "log"), "log");
  EXPECT_EQ(ActionFilePathFor("ab"), "abtsu");
}

TEST(ActionFile, SplitsLinesForSelection) {
  std::string content = "add:a=b>to:win.ini[s]\r\n\r\nREMOVEFILE:x\xe9.dll>FROM:C:\\\r\nlast";
  std::vector<std::string> lines = SplitActionLines(content);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "ADD:A=B>TO:WIN.INI[S]");
  EXPECT_EQ(lines[1], "");  // a blank line stays an entry
  EXPECT_EQ(lines[2], "REMOVEFILE:X\xe9.DLL>FROM:C:\\");  // only a-z change
  EXPECT_EQ(lines[3], "LAST");
  EXPECT_TRUE(SplitActionLines("").empty());
  EXPECT_EQ(SplitActionLines("A\r\n").size(), 1u);
  // A long line stays whole, so no tail of it turns into an action of its own.
  std::string longLine = "REMOVEFILE:" + std::string(300, 'N') + ">FROM:C:\\REMOVEFILE:X>FROM:C:\\";
  lines = SplitActionLines(longLine + "\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], longLine);
}

// Names are written in UTF-8. A REMOVEFILE line of an older file, in the machine's ANSI
// code page, is taken through the converter; an INI entry line keeps its bytes, which
// are the INI file's own; a UTF-8 line is left as it is.
TEST(ActionFile, OlderNamesAreReadInTheirCodePage) {
  const std::string content =
      "REMOVEFILE:caf\xE9.txt>FROM:C:\\A\r\nCHANGE:k=\xE9t\xE9>TO:hiver>IN:WIN.INI[s]\r\n"
      "REMOVEFILE:\xE6\x97\xA5.txt>FROM:C:\\A\r\n";
  std::vector<std::string> converted;
  const ActionEntries loaded = LoadActionEntries(content, [&](std::string_view line) {
    converted.emplace_back(line);
    return std::string("REMOVEFILE:caf\xC3\xA9.txt>FROM:C:\\A");
  });
  EXPECT_EQ(converted, std::vector<std::string>{"REMOVEFILE:caf\xE9.txt>FROM:C:\\A"});
  EXPECT_EQ(loaded.originals, (std::vector<std::string>{"REMOVEFILE:caf\xC3\xA9.txt>FROM:C:\\A",
                                                        "CHANGE:k=\xE9t\xE9>TO:hiver>IN:WIN.INI[s]",
                                                        "REMOVEFILE:\xE6\x97\xA5.txt>FROM:C:\\A"}));
  EXPECT_EQ(loaded.entries[0], "REMOVEFILE:CAF\xC3\xA9.TXT>FROM:C:\\A");
  EXPECT_EQ(LoadActionEntries(content).originals[0], "REMOVEFILE:caf\xE9.txt>FROM:C:\\A");  // no converter
}

TEST(ActionFile, WrittenLinesReadBackTheSame) {
  auto change = ParseChangeAction(FormatChangeAction("K", "A=B", "", "PROTOCOL.INI", "NETBEUI$"));
  ASSERT_TRUE(change);
  EXPECT_EQ(change->value, "A=B");
  EXPECT_EQ(change->previous, " ");
  EXPECT_EQ(change->section, "NETBEUI$");
  auto file = ParseRemoveFileAction(FormatRemoveFileAction("SUB DIR", true, "C:\\PROGRAM FILES"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->path, "C:\\PROGRAM FILES\\SUB DIR");
  EXPECT_TRUE(file->isDirectory);
}

// Values with ">" are written whole and read back whole: the markers are found from
// the right, the section is what the final brackets hold.
TEST(ActionFile, ValuesWithGreaterThanRoundTrip) {
  EXPECT_EQ(FormatAddAction("Cmd", "copy a>b", "WIN.INI", "S"), "ADD:Cmd=copy a>b>TO:WIN.INI[S]");
  EXPECT_EQ(FormatRemoveAction("Cmd", "x>y", "WIN.INI", "S"), "REMOVE:Cmd=x>y>FROM:WIN.INI[S]");
  EXPECT_EQ(FormatChangeAction("k", "a>b", "c>d", "WIN.INI", "s"), "CHANGE:k=a>b>TO:c>d>IN:WIN.INI[s]");
  const std::vector<std::string> values{"a>b",          ">",           ">>",       "x>",          ">TO:",
                                        ">TO:WIN.INI[", ">IN:WIN.INI[s]", "v>FROM:SYSTEM.INI[boot]", "]",
                                        "[x]",          "a=b>c",       " > ",      "a>IN:b>TO:c", "plain"};
  for (const std::string& v : values) {
    for (const std::string& section : {std::string("S"), std::string("a]b"), std::string("386Enh")}) {
      auto add = ParseAddAction(FormatAddAction("K", v, "SYSTEM.INI", section));
      ASSERT_TRUE(add) << v;
      EXPECT_EQ(add->key, "K");
      EXPECT_EQ(add->value, v);
      EXPECT_EQ(add->file, "SYSTEM.INI");
      EXPECT_EQ(add->section, section);
      auto remove = ParseRemoveAction(FormatRemoveAction("K", v, "PROTOCOL.INI", section));
      ASSERT_TRUE(remove) << v;
      EXPECT_EQ(remove->value, v);
      EXPECT_EQ(remove->section, section);
      // The value put back (the previous one) always comes back whole.
      for (const std::string& current : values) {
        auto change = ParseChangeAction(FormatChangeAction("K", current, v, "WIN.INI", section));
        ASSERT_TRUE(change) << current << " / " << v;
        EXPECT_EQ(change->previous, v) << current;
        EXPECT_EQ(change->file, "WIN.INI");
        EXPECT_EQ(change->section, section);
        // The current value (shown in the question) is whole unless it holds ">TO:";
        // then it is cut at its first ">", as it always was.
        const std::string shown = current.find(">TO:") == std::string::npos ? current : current.substr(0, current.find('>'));
        EXPECT_EQ(change->value, shown.empty() ? " " : shown) << current;
      }
    }
  }
  // Lower-case markers, as written by hand, read the same as upper-case ones.
  auto lower = ParseAddAction("add:k=a>to:win.ini[b>to:win.ini[s]");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->value, "a>to:win.ini[b");
  EXPECT_EQ(lower->section, "s");
}

// Files written before values were kept whole read exactly as they always did.
TEST(ActionFile, OldLinesReadAsBefore) {
  struct Old {
    const char* line;
    const char *key, *value, *previous, *file, *section;
  };
  const Old changes[] = {
      {"CHANGE:LOAD=NEW.EXE>TO:OLD.EXE>IN:WIN.INI[WINDOWS]", "LOAD", "NEW.EXE", "OLD.EXE", "WIN.INI", "WINDOWS"},
      {"CHANGE:K=>TO:>IN:SYSTEM.INI[386ENH]", "K", " ", " ", "SYSTEM.INI", "386ENH"},
      {"CHANGE:K=A=B>TO:C=D>IN:PROTOCOL.INI[NETBEUI$]", "K", "A=B", "C=D", "PROTOCOL.INI", "NETBEUI$"},
      {"CHANGE:K=V>TO:P>IN:WIN.INI[S", "K", "V", "P", "WIN.INI", "S"},
      {"CHANGE:K=V>TO:P>IN:WIN.INI[A[B]", "K", "V", "P", "WIN.INI", "A[B"},
  };
  for (const Old& o : changes) {
    auto a = ParseChangeAction(o.line);
    ASSERT_TRUE(a) << o.line;
    EXPECT_EQ(a->key, o.key);
    EXPECT_EQ(a->value, o.value);
    EXPECT_EQ(a->previous, o.previous);
    EXPECT_EQ(a->file, o.file);
    EXPECT_EQ(a->section, o.section);
  }
  const Old adds[] = {
      {"ADD:DEVICE=C:\\X.386=Y>TO:SYSTEM.INI[386ENH]", "DEVICE", "C:\\X.386=Y", "", "SYSTEM.INI", "386ENH"},
      {"ADD:RUN=A.EXE>TO:win.ini[windows]", "RUN", "A.EXE", "", "win.ini", "windows"},
      {"ADD:K=V>TO:PROTOCOL.INI[]", "K", "V", "", "PROTOCOL.INI", ""},
  };
  for (const Old& o : adds) {
    auto a = ParseAddAction(o.line);
    ASSERT_TRUE(a) << o.line;
    EXPECT_EQ(a->key, o.key);
    EXPECT_EQ(a->value, o.value);
    EXPECT_EQ(a->file, o.file);
    EXPECT_EQ(a->section, o.section);
  }
  auto r = ParseRemoveAction("REMOVE:PATH=C:\\NEWAPP>FROM:WIN.INI[NewApp]");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->value, "C:\\NEWAPP");
  EXPECT_EQ(r->section, "NewApp");
  // A section written with a stray "]" (a header with text after its bracket) names
  // that section, not the one whose name is its first part.
  auto stray = ParseRemoveAction("REMOVE:SHELL=PROGMAN.EXE>FROM:SYSTEM.INI[BOOT]]");
  ASSERT_TRUE(stray);
  EXPECT_EQ(stray->section, "BOOT]");
}

// Entry actions name one of the three INI files, nothing else.
TEST(ActionFile, EntryActionsNameOnlyTheThreeIniFiles) {
  for (const char* file : {"WIN.INI", "SYSTEM.INI", "PROTOCOL.INI", "win.ini", "System.Ini"}) {
    const std::string f = file;
    EXPECT_TRUE(ParseAddAction("ADD:K=V>TO:" + f + "[S]")) << f;
    EXPECT_TRUE(ParseRemoveAction("REMOVE:K=V>FROM:" + f + "[S]")) << f;
    EXPECT_TRUE(ParseChangeAction("CHANGE:K=V>TO:P>IN:" + f + "[S]")) << f;
  }
  for (const char* file : {"..\\AUTOEXEC.BAT", "TESSARY.INI", "..\\OUTSIDE.INI", "C:\\WINDOWS\\WIN.INI", "WIN.INI.",
                           "WIN.INI ", " WIN.INI", "WIN.IN", "XWIN.INI", "", "SYSTEM.INI\\..\\TESSARY.INI"}) {
    const std::string f = file;
    EXPECT_FALSE(ParseAddAction("ADD:K=V>TO:" + f + "[S]")) << f;
    EXPECT_FALSE(ParseRemoveAction("REMOVE:K=V>FROM:" + f + "[S]")) << f;
    EXPECT_FALSE(ParseChangeAction("CHANGE:K=V>TO:P>IN:" + f + "[S]")) << f;
  }
  // The target is the last one: a good one before it does not make it good.
  EXPECT_FALSE(ParseAddAction("ADD:K=V>TO:WIN.INI[S]>TO:TESSARY.INI[UNINSTALL]"));
  EXPECT_FALSE(ParseChangeAction("CHANGE:K=V>TO:P>IN:WIN.INI[S]>IN:..\\X.INI[S]"));
  EXPECT_FALSE(ParseRemoveAction("REMOVE:K=V>FROM:SYSTEM.INI[S]>FROM:TESSARY.INI[S]"));
}

// A REMOVEFILE line names one entry of an absolute folder on a drive, by a name the
// platform takes as it is.
TEST(ActionFile, RemoveFileNamesOnlyAPlainEntry) {
  for (const char* line : {
           "REMOVEFILE:VICTIM.>FROM:C:\\X", "REMOVEFILE:VICTIM.  (DIR)>FROM:C:\\X", "REMOVEFILE:VICTIM   (DIR)>FROM:C:\\X",
           "REMOVEFILE:VICTIM >FROM:C:\\X", "REMOVEFILE:. .>FROM:C:\\X", "REMOVEFILE:A:B>FROM:C:\\X",
           "REMOVEFILE:A/B>FROM:C:\\X", "REMOVEFILE:A<B>FROM:C:\\X", "REMOVEFILE:A\"B>FROM:C:\\X",
           "REMOVEFILE:A|B>FROM:C:\\X", "REMOVEFILE:A\x01" "B>FROM:C:\\X", "REMOVEFILE:A\x1f>FROM:C:\\X",
           "REMOVEFILE:A?>FROM:C:\\X", "REMOVEFILE:CON>FROM:C:\\X", "REMOVEFILE:nul.txt>FROM:C:\\X",
           "REMOVEFILE:LPT1  (DIR)>FROM:C:\\X", "REMOVEFILE:COM9 .TXT>FROM:C:\\X",
           // folders: UNC, device and raw paths, relative, pieces the platform would change
           "REMOVEFILE:X>FROM:\\\\SERVER\\SHARE\\DIR", "REMOVEFILE:X>FROM:\\\\LOCALHOST\\C$",
           "REMOVEFILE:X>FROM:\\\\LOCALHOST\\C$\\WINDOWS", "REMOVEFILE:X>FROM:\\\\?\\C:\\WINDOWS",
           "REMOVEFILE:X>FROM:\\\\.\\C:\\WINDOWS", "REMOVEFILE:X>FROM://SERVER/SHARE/DIR", "REMOVEFILE:X>FROM:C:/WINDOWS",
           "REMOVEFILE:X>FROM:C:\\WINDOWS.", "REMOVEFILE:X>FROM:C:\\WINDOWS \\SYSTEM", "REMOVEFILE:X>FROM:C:\\A\\\\B",
           "REMOVEFILE:X>FROM:C:\\A\\", "REMOVEFILE:X>FROM:1:\\A", "REMOVEFILE:X>FROM:C:\\A:B",
           "REMOVEFILE:X>FROM:C:\\AUX\\B", "REMOVEFILE:X>FROM:C:\\A*", "REMOVEFILE:X>TO:C:\\A",
           "REMOVEFILE:X>C:\\A"})
    EXPECT_FALSE(ParseRemoveFileAction(line)) << line;
  auto spaced = ParseRemoveFileAction("REMOVEFILE: LEADING.TXT>FROM:C:\\PROGRAM FILES (X86)\\A.B");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->path, "C:\\PROGRAM FILES (X86)\\A.B\\ LEADING.TXT");
  EXPECT_EQ(spaced->directory, "C:\\PROGRAM FILES (X86)\\A.B");
  EXPECT_EQ(spaced->name, " LEADING.TXT");
  auto console = ParseRemoveFileAction("REMOVEFILE:CONSOLE.DLL>FROM:C:\\");
  ASSERT_TRUE(console);
  EXPECT_EQ(console->path, "C:\\CONSOLE.DLL");
}

// Random and mutated lines: parsing never crashes, and whatever it accepts stays
// within what the line plainly names.
TEST(ActionFile, FuzzedLinesNeverCrashOrEscape) {
  const std::vector<std::string> seeds = {
      "CHANGE:LOAD=NEW.EXE>TO:OLD.EXE>IN:WIN.INI[WINDOWS]", "ADD:RUN=A.EXE>TO:WIN.INI[WINDOWS]",
      "REMOVE:LOAD=N.EXE>FROM:WIN.INI[WINDOWS]",            "REMOVEFILE:APP  (DIR)>FROM:C:\\APPS",
      "REG_DAT_REMOVE:HKEY_LOCAL_MACHINE\\SOFTWARE\\APP>FROM:REG.DAT",
      "REG_VALUE_RESTORE:N%0041>TYPE:REG_MULTI_SZ>SIZE:8>DATA:\"A%0000B>IN:HKEY_USERS\\X",
      "REG_VALUE_REMOVE:>TYPE:REG_QWORD>SIZE:8>DATA::0102030405060708>FROM:HKEY_CLASSES_ROOT\\.TXT"};
  const std::string alphabet = ":=>[]\\/.( )ABCDEFGHIJKLMNOPQRSTUVWXYZ*?\r\t";
  std::mt19937 rng(12345);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  for (int i = 0; i < 200000; ++i) {
    std::string line = seeds[pick(seeds.size())];
    int edits = 1 + int(pick(6));
    for (int e = 0; e < edits; ++e) {
      std::size_t at = line.empty() ? 0 : pick(line.size() + 1);
      switch (pick(4)) {
        case 0: line.insert(line.begin() + at, alphabet[pick(alphabet.size())]); break;
        case 1: if (at < line.size()) line.erase(at, 1 + pick(8)); break;
        case 2: if (at < line.size()) line[at] = alphabet[pick(alphabet.size())]; break;
        default: line = line.substr(0, at); break;
      }
    }
    switch (ClassifyAction(line)) {
      case ActionKind::Change:
        if (auto a = ParseChangeAction(line)) {
          EXPECT_FALSE(a->key.empty()) << line;
        }
        break;
      case ActionKind::Add:
        if (auto a = ParseAddAction(line)) {
          EXPECT_FALSE(a->key.empty() || a->value.empty()) << line;
        }
        break;
      case ActionKind::Remove:
        if (auto a = ParseRemoveAction(line)) {
          EXPECT_FALSE(a->key.empty() || a->value.empty()) << line;
        }
        break;
      case ActionKind::RemoveFile:
        if (auto a = ParseRemoveFileAction(line)) {
          EXPECT_EQ((a->path + "\\").find("\\..\\"), std::string::npos) << line;
          EXPECT_GT(a->path.size(), 3u) << line;
          EXPECT_EQ(a->path.find_first_of("*?"), std::string::npos) << line;
        }
        break;
      case ActionKind::RegDatRemove:
        if (auto a = ParseRegDatRemoveAction(line)) {
          EXPECT_FALSE(a->subkey.empty()) << line;
          EXPECT_NE(a->subkey.front(), '\\') << line;
          EXPECT_NE(a->subkey.back(), '\\') << line;
        }
        break;
      case ActionKind::RegValueRemove:
      case ActionKind::RegValueRestore:
        if (auto a = ParseValueAction(line)) {
          EXPECT_FALSE(a->root.empty()) << line;
          EXPECT_EQ(a->data.size, a->data.whole ? a->data.bytes.size() : a->data.size) << line;
          EXPECT_TRUE(!a->restore || a->data.whole) << line;
          EXPECT_EQ(a->keyPath.find("\\\\"), std::string::npos) << line;
        }
        break;
      case ActionKind::None:
        break;
    }
    (void)DllNameOf(line);
    (void)SplitActionLines(line);
  }
}

// ---- Value actions ----

ValueData Whole(std::uint32_t type, std::string bytes) {
  ValueData d;
  d.type = type;
  d.size = bytes.size();
  d.bytes = std::move(bytes);
  return d;
}

std::string Utf16(std::u16string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(ActionFile, ValueActionsOfEveryTypeReadBackExactly) {
  EXPECT_EQ(FormatValueRemoveAction("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", u"NewApp",
                                    Whole(regtype::kSz, Utf16(std::u16string(u"C:\\n.exe\0", 9)))),
            "REG_VALUE_REMOVE:NewApp>TYPE:REG_SZ>SIZE:18>DATA:\"C:\\n.exe"
            ">FROM:HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(FormatValueRestoreAction("HKEY_CLASSES_ROOT\\.txt", u"", Whole(regtype::kSz, Utf16(std::u16string(u"txtfile\0", 8)))),
            "REG_VALUE_RESTORE:>TYPE:REG_SZ>SIZE:16>DATA:\"txtfile>IN:HKEY_CLASSES_ROOT\\.txt");
  struct Case {
    std::uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {regtype::kSz, Utf16(std::u16string(u"a\0b\0", 4))},          // embedded NUL
      {regtype::kSz, Utf16(u"no terminating NUL")},
      {regtype::kExpandSz, Utf16(std::u16string(u"%PATH%;C:\\New\0", 14))},  // kept unexpanded
      {regtype::kMultiSz, Utf16(std::u16string(u"one\0two\0\0", 9))},
      {regtype::kDword, std::string("\x2A\0\0\0", 4)},
      {regtype::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {regtype::kBinary, std::string("\0\xFF>IN:\r\n", 8)},
      {regtype::kNone, ""},
      {regtype::kSz, std::string("odd", 3)},
      {0x7777u, std::string("\x10\x20", 2)},  // a type of no name
  };
  // Names with any character: ">", "%", a tab, NUL, beyond ASCII, a lone surrogate.
  const std::u16string names[] = {u"", u"Plain", u"a>IN:HKEY_USERS\\x", u"100%", std::u16string(u"t\tn\0l", 5),
                                  u"\u00e9\u4e2d", std::u16string(1, char16_t(0xD800))};
  for (const Case& c : cases) {
    for (const std::u16string& name : names) {
      for (bool restore : {false, true}) {
        const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\A>FROM:B";  // ">" in a key path stays
        const std::string line = restore ? FormatValueRestoreAction(key, name, Whole(c.type, c.bytes))
                                         : FormatValueRemoveAction(key, name, Whole(c.type, c.bytes));
        EXPECT_EQ(ClassifyAction(line), restore ? ActionKind::RegValueRestore : ActionKind::RegValueRemove) << line;
        const auto back = ParseValueAction(line);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(back->restore, restore);
        EXPECT_EQ(back->name, name) << line;
        EXPECT_EQ(back->data.type, c.type) << line;
        EXPECT_EQ(back->data.bytes, c.bytes) << line;
        EXPECT_EQ(back->root, "HKEY_LOCAL_MACHINE");
        EXPECT_EQ(back->subkey, "SOFTWARE\\A>FROM:B");
        EXPECT_EQ(back->keyPath, key);
      }
    }
  }
  // A value of a root itself.
  const auto root = ParseValueAction("REG_VALUE_REMOVE:v>TYPE:REG_NONE>SIZE:0>DATA::>FROM:HKEY_CURRENT_USER");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->root, "HKEY_CURRENT_USER");
  EXPECT_EQ(root->subkey, "");
  // A long value that changed is reported; its removal can be offered, its restore cannot.
  ValueData hashed;
  hashed.type = regtype::kBinary;
  hashed.size = 70000;
  hashed.whole = false;
  hashed.sha256 = std::string(64, 'a');
  const std::string removeLong = FormatValueRemoveAction("HKEY_USERS\\X", u"big", hashed);
  EXPECT_EQ(removeLong, "REG_VALUE_REMOVE:big>TYPE:REG_BINARY>SIZE:70000>DATA:*70000:" + std::string(64, 'a') +
                            ">FROM:HKEY_USERS\\X");
  EXPECT_TRUE(ParseValueAction(removeLong));
  EXPECT_FALSE(ParseValueAction(FormatValueRestoreAction("HKEY_USERS\\X", u"big", hashed)));
}

TEST(ActionFile, TamperedValueActionsAreRefused) {
  const std::string ok = "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\Software\\V";
  ASSERT_TRUE(ParseValueAction(ok));
  const std::string hash(64, 'b');
  for (const std::string& line : std::initializer_list<std::string>{
           "REG_VALUE_RESTORE:", "REG_VALUE_REMOVE:Mode",
           // markers missing or out of order
           "REG_VALUE_RESTORE:Mode>SIZE:4>TYPE:REG_DWORD>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>FROM:HKEY_CURRENT_USER\\S",
           "REG_VALUE_REMOVE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           // wrong type names
           "REG_VALUE_RESTORE:Mode>TYPE:REG_WORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:reg_dword>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_TYPE_4>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_TYPE_4294967296>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           // data that does not parse, or text for a type that is not a string
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::0200000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::0200000Z>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA:\"ab>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:4>DATA:\"a%00>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_SZ>SIZE:4>DATA:?ab>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mo%zzde>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           // sizes that are not the data's, or absurd
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:5>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:04>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:-4>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:>DATA::02000000>IN:HKEY_CURRENT_USER\\S",
           "REG_VALUE_REMOVE:Mode>TYPE:REG_BINARY>SIZE:99999999999999999999>DATA:*99999999999999999999:" + hash +
               ">FROM:HKEY_CURRENT_USER\\S",
           "REG_VALUE_REMOVE:Mode>TYPE:REG_BINARY>SIZE:4294967296>DATA:*4294967296:" + hash + ">FROM:HKEY_CURRENT_USER\\S",
           "REG_VALUE_REMOVE:Mode>TYPE:REG_BINARY>SIZE:70001>DATA:*70000:" + hash + ">FROM:HKEY_CURRENT_USER\\S",
           // unknown roots, short root names, empty key paths and pieces, control characters
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_NOWHERE\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKCU\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\\\S",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S\\",
           "REG_VALUE_RESTORE:Mode>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S\x01",
           // a name holding a raw tab (names are written escaped)
           "REG_VALUE_RESTORE:Mo\tde>TYPE:REG_DWORD>SIZE:4>DATA::02000000>IN:HKEY_CURRENT_USER\\S"})
    EXPECT_FALSE(ParseValueAction(line)) << line;
}

TEST(ActionFile, ValueActionsAreDescribedForPeople) {
  const auto a = ParseValueAction("REG_VALUE_RESTORE:>TYPE:REG_SZ>SIZE:16>DATA:\"txtfile>IN:HKEY_CLASSES_ROOT\\.txt");
  ASSERT_TRUE(a);
  EXPECT_EQ(DescribeValueAction(*a), "REG_VALUE_RESTORE:HKEY_CLASSES_ROOT\\.txt (Default) = REG_SZ, 16 bytes: \"txtfile\"");
  const auto b = ParseValueAction("REG_VALUE_REMOVE:Level>TYPE:REG_DWORD>SIZE:4>DATA::02000000>FROM:HKEY_CURRENT_USER\\S");
  ASSERT_TRUE(b);
  EXPECT_EQ(DescribeValueAction(*b), "REG_VALUE_REMOVE:HKEY_CURRENT_USER\\S \"Level\" = REG_DWORD, 4 bytes: 0x00000002 (2)");
}

}  // namespace
}  // namespace tessary
