// The uninstall action file (.TSU) as Uninstall loads it: every line through the kind
// classifier and the parser of its kind, with what each parsed line promises the
// executor checked; and lines made by the formatters (the fields are the input cut at
// tabs) read back as the entries they were written for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/dir_logic.h"
#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "uninstall/logic/action_file.h"

namespace tessary {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A path the executor may delete: below a drive root or a UNC share, every piece a name
// (not empty, not "." or "..", no wildcard or colon).
bool NamesSomethingBelowARoot(std::string_view path) {
  std::string_view pieces;
  if (path.size() > 3 && IsDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
    pieces = path.substr(3);
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    pieces = path.substr(2);
    std::size_t server = pieces.find('\\');
    if (server == std::string_view::npos || pieces.find('\\', server + 1) == std::string_view::npos) return false;
  } else {
    return false;
  }
  std::size_t start = 0;
  for (;;) {
    std::size_t end = pieces.find_first_of("\\/", start);
    std::string_view piece = pieces.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (piece.empty() || piece == "." || piece == ".." || piece.find_first_of("*?:") != std::string_view::npos)
      return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

constexpr const char* kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

// What every parsed line promises the executor, whatever the file held.
void CheckLoadedLine(const std::string& line) {
  switch (ClassifyAction(line)) {
    case ActionKind::Change:
      if (auto a = ParseChangeAction(line)) {
        FUZZ_EXPECT(!a->key.empty() && !a->value.empty() && !a->previous.empty(), "CHANGE fields", line);
      }
      break;
    case ActionKind::Add:
    case ActionKind::Remove: {
      auto a = ClassifyAction(line) == ActionKind::Add ? ParseAddAction(line) : ParseRemoveAction(line);
      if (a) FUZZ_EXPECT(!a->key.empty() && !a->value.empty(), "ADD/REMOVE fields", line);
      break;
    }
    case ActionKind::RemoveFile:
      if (auto a = ParseRemoveFileAction(line)) {
        FUZZ_EXPECT(NamesSomethingBelowARoot(a->path), "REMOVEFILE names a root, a climb or a wildcard", a->path);
      }
      (void)DllNameOf(line);
      break;
    case ActionKind::RegDatRemove:
      if (auto a = ParseRegDatRemoveAction(line)) {
        bool known = false;
        for (const char* root : kRoots) known = known || a->root == root;
        FUZZ_EXPECT(known, "REG_DAT_REMOVE root", a->root);
        FUZZ_EXPECT(!a->subkey.empty() && a->subkey.front() != '\\' && a->subkey.back() != '\\' &&
                        a->subkey.find("\\\\") == std::string::npos,
                    "REG_DAT_REMOVE subkey with an empty piece", a->subkey);
        FUZZ_EXPECT(EqualsNoCase(a->keyPath, a->root + "\\" + a->subkey), "REG_DAT_REMOVE key path", a->keyPath);
      }
      break;
    case ActionKind::RegValueRemove:
    case ActionKind::RegValueRestore:
      if (auto a = ParseValueAction(line)) {
        bool known = false;
        for (const char* root : kRoots) known = known || a->root == root;
        FUZZ_EXPECT(known, "value action root", a->root);
        FUZZ_EXPECT(a->subkey.empty() || (a->subkey.front() != '\\' && a->subkey.back() != '\\' &&
                                          a->subkey.find("\\\\") == std::string::npos),
                    "value action subkey with an empty piece", a->subkey);
        FUZZ_EXPECT(!a->restore || (a->data.whole && a->data.bytes.size() == a->data.size),
                    "value restore without its whole data", line);
      }
      break;
    case ActionKind::None:
      break;
  }
}

// ---------------------------------------------------------------------------------
// ROUND TRIPS of the line format. They follow the format's current rules: a value is
// kept whole, and only where the whole value would not read back (it holds a marker
// that the reader would take for the line's own) is it cut at its first ">", as older
// files were written; a CHANGE's current value holding ">TO:" is always cut. An empty
// CHANGE value (current or previous) reads as " ", and a line is written only when
// Compare's own check (the line parses back to the same key, file and section, or the
// entry name allows an action) lets it through. When the rules of the format change,
// this function is the one place to change with them.
// ---------------------------------------------------------------------------------
std::string Cut(const std::string& value) { return value.substr(0, value.find('>')); }

// A value holding none of the line's markers always reads back whole.
bool NoMarkers(const std::string& value) {
  for (const char* marker : {">TO:", ">FROM:", ">IN:"})
    if (FindNoCase(value, marker) != std::string::npos) return false;
  return true;
}

// What a value reads back as: whole, or (where the whole value could not be read back)
// cut at its first ">"; upper-cased as loaded, and `empty` in place of nothing.
void ExpectWholeOrCut(const std::string& read, const std::string& written, bool mustBeWhole, const char* empty,
                      const char* what) {
  auto asLoaded = [&](const std::string& v) { return v.empty() ? std::string(empty) : ToUpperAscii(v); };
  if (mustBeWhole || read != asLoaded(Cut(written))) FUZZ_EXPECT_EQ(read, asLoaded(written), what);
}

// The one line that the action file holds for `written`, as Uninstall loads it.
std::string Loaded(const std::string& written) {
  std::vector<std::string> lines = SplitActionLines(written + "\r\n");
  FUZZ_EXPECT_EQ(lines.size(), std::size_t{1}, "a written action is one line");
  return lines[0];
}

// A directory that Compare lists: a drive ("C:", reported as "C:\") or a path below
// one whose every piece is a name a directory can have.
bool IsListedDirectory(const std::string& directory) {
  if (directory.size() < 2 || !IsDriveLetter(directory[0]) || directory[1] != ':') return false;
  if (directory.size() == 2) return true;
  if (directory[2] != '\\' || directory.size() == 3) return false;
  std::size_t start = 3;
  for (;;) {
    std::size_t end = directory.find('\\', start);
    std::string piece = directory.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (ClassifyEntryName(piece, true) != EntryNameUse::Action) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

void CheckRoundTrips(const std::vector<std::string>& f, std::size_t choice) {
  const std::string& key = f[0];
  const std::string& value = f[1];
  const std::string& previous = f[2];
  const std::string& section = f[3];
  const std::string& name = f[4];
  const std::string& directory = f[5];
  const std::string& subkey = f[6];
  static const char* const kFiles[] = {"WIN.INI", "SYSTEM.INI", "PROTOCOL.INI"};
  const std::string file = kFiles[choice % 3];

  // INI entries: Compare reads them from lines, so they hold no line break. A NUL (a
  // damaged INI file) cannot pass to the profile API, so the reader refuses a line
  // holding one: no round trip to check.
  const bool iniWritable =
      (key + value + previous + section).find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
  if (iniWritable) {
    auto sameEntry = [&](const std::optional<IniAction>& a) {
      return a && EqualsNoCase(a->key, key) && EqualsNoCase(a->file, file) && EqualsNoCase(a->section, section);
    };
    std::string change = Loaded(FormatChangeAction(key, value, previous, file, section));
    FUZZ_EXPECT(ClassifyAction(change) == ActionKind::Change, "CHANGE kind", change);
    if (auto a = ParseChangeAction(change); sameEntry(a)) {
      ExpectWholeOrCut(a->value, value, NoMarkers(value) && NoMarkers(previous), " ", "CHANGE current value");
      ExpectWholeOrCut(a->previous, previous, NoMarkers(value) && NoMarkers(previous), " ", "CHANGE previous value");
    }
    std::string add = Loaded(FormatAddAction(key, value, file, section));
    FUZZ_EXPECT(ClassifyAction(add) == ActionKind::Add, "ADD kind", add);
    if (auto a = ParseAddAction(add); sameEntry(a)) ExpectWholeOrCut(a->value, value, NoMarkers(value), "", "ADD value");
    std::string remove = Loaded(FormatRemoveAction(key, value, file, section));
    FUZZ_EXPECT(ClassifyAction(remove) == ActionKind::Remove, "REMOVE kind", remove);
    if (auto a = ParseRemoveAction(remove); sameEntry(a))
      ExpectWholeOrCut(a->value, value, NoMarkers(value), "", "REMOVE value");
  }

  // Directory entries: Compare writes an action only for a name that allows one.
  const bool isDirectory = choice & 4;
  if (IsListedDirectory(directory) && ClassifyEntryName(name, isDirectory) == EntryNameUse::Action) {
    const std::string reported = ReportDirectory(directory);
    std::string line = Loaded(FormatRemoveFileAction(name, isDirectory, reported));
    FUZZ_EXPECT(ClassifyAction(line) == ActionKind::RemoveFile, "REMOVEFILE kind", line);
    auto a = ParseRemoveFileAction(line);
    FUZZ_EXPECT(a.has_value(), "REMOVEFILE of a listed entry reads back", line);
    std::string path = reported.back() == '\\' ? reported + name : reported + "\\" + name;
    FUZZ_EXPECT_EQ(a->path, ToUpperAscii(path), "REMOVEFILE path");
    FUZZ_EXPECT_EQ(a->isDirectory, isDirectory, "REMOVEFILE folder or file");
  }

  // Registry keys: a snapshot line (no control character, no empty piece) under the
  // branch it was found in.
  static const char* const kBranches[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE\\SOFTWARE",
                                          "HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT\\CLSID", "HKEY_USERS",
                                          "HKEY_CURRENT_CONFIG"};
  const bool keyWritable = !subkey.empty() && !HoldsControlCharacter(subkey) && subkey.front() != '\\' &&
                           subkey.back() != '\\' && subkey.find("\\\\") == std::string::npos;
  if (keyWritable) {
    const std::string keyPath = std::string(kBranches[choice % 7]) + "\\" + subkey;
    std::string line = Loaded(FormatRegDatRemoveAction(keyPath));
    FUZZ_EXPECT(ClassifyAction(line) == ActionKind::RegDatRemove, "REG_DAT_REMOVE kind", line);
    auto a = ParseRegDatRemoveAction(line);
    FUZZ_EXPECT(a.has_value(), "REG_DAT_REMOVE of a snapshot key reads back", line);
    FUZZ_EXPECT_EQ(a->keyPath, ToUpperAscii(keyPath), "REG_DAT_REMOVE key path");
  }
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessary;
  std::string_view content(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : SplitActionLines(content)) CheckLoadedLine(line);

  std::vector<std::string> fields = fuzz::Fields(content, '\t');
  fields.resize(std::max<std::size_t>(fields.size(), 7));
  CheckRoundTrips(fields, size);
  return 0;
}
