// win.ini, system.ini and protocol.ini as Compare and the executor read them: the
// lines as the platform's INI reader takes them, their classification into sections
// and entries, and the executor's device= rewrite of system.ini.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/logic/compare_text.h"
#include "fuzz_check.h"
#include "platform/ascii.h"
#include "platform/ini_document.h"
#include "uninstall/logic/uninstall_logic.h"

namespace tessary {
namespace {

bool IsIniSpace(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

bool Trimmed(std::string_view s) { return s.empty() || (!IsIniSpace(s.front()) && !IsIniSpace(s.back())); }

bool SameLine(const IniLine& a, const IniLine& b) {
  return a.kind == b.kind && a.name == b.name && a.key == b.key && a.value == b.value;
}

// A classified line written back the way an INI file holds it.
std::string Written(const IniLine& line) {
  if (line.kind == IniLine::Kind::Section) return "[" + line.name + "]";
  return line.key + "=" + line.value;
}

void CheckLines(std::string_view bytes) {
  const std::vector<std::string> lines = SplitIniLines(bytes);
  std::string rejoined;
  for (const std::string& line : lines) {
    FUZZ_EXPECT(!line.empty() && Trimmed(line) && line.find_first_of("\r\n") == std::string::npos,
                "an INI line is one trimmed, non-empty line", line);
    rejoined += line + "\r\n";

    const IniLine parsed = ClassifyIniLine(line);
    switch (parsed.kind) {
      case IniLine::Kind::Section:
        FUZZ_EXPECT(Trimmed(parsed.name), "a section name is trimmed", parsed.name);
        break;
      case IniLine::Kind::Key:
        FUZZ_EXPECT(Trimmed(parsed.key) && Trimmed(parsed.value), "key and value are trimmed", line);
        FUZZ_EXPECT(parsed.key.find('=') == std::string::npos, "a key holds no '='", parsed.key);
        FUZZ_EXPECT(line.front() != ';', "a ';' line is no entry", line);
        break;
      case IniLine::Kind::Other:
        break;
    }
    // What the line says, written back, reads as the same section or entry; and the
    // line reads the same with blanks around it or after it in a file.
    if (parsed.kind != IniLine::Kind::Other) {
      const std::string again = Written(parsed);
      FUZZ_EXPECT(SameLine(ClassifyIniLine(again), parsed), "a section or entry written back reads the same", again);
      const std::vector<std::string> inFile = SplitIniLines(" \t" + again + " \r\n");
      FUZZ_EXPECT_EQ(inFile.size(), std::size_t{1}, "a written line is one line of the file");
      FUZZ_EXPECT(SameLine(ClassifyIniLine(inFile[0]), parsed), "a written line in a file reads the same", inFile[0]);
    }
    std::string_view unquoted = WithoutIniQuotes(parsed.value);
    FUZZ_EXPECT(unquoted.size() == parsed.value.size() || unquoted.size() + 2 == parsed.value.size(),
                "one pair of quotes at most", parsed.value);
    (void)IsDeviceLine(line);
  }
  // The lines, written one a line, read back the same.
  FUZZ_EXPECT(SplitIniLines(rejoined) == lines, "the lines of a file rewritten line by line", rejoined);
}

// The executor's device= rewrite, made on the INI layer's lines: an inserted line removed
// again leaves the file as it was when the file has one [386enh] section that did not
// hold that entry; removal only removes. Headers and entries are taken as the system
// reads them. And a file's bytes read in their encoding and written back are the bytes.
void CheckDeviceRewrite(std::string_view bytes) {
  const IniFileText file = DecodeIniFile(bytes);
  const std::optional<std::string> again = EncodeIniFile(file);
  FUZZ_EXPECT(again && *again == bytes, "a file decoded and encoded again", std::string(bytes));
  const std::string& text = file.text;
  const std::vector<std::string> lines = SplitIniLines(text);

  // A value as Compare hands it on: trimmed and without quotes, so it reads back as itself.
  std::string value = "tessary.386";
  for (const std::string& line : lines) {
    IniLine parsed = ClassifyIniLine(line);
    if (parsed.kind != IniLine::Kind::Key) continue;
    std::string candidate(WithoutIniQuotes(parsed.value));
    IniLine reread = ClassifyIniLine("device=" + candidate);
    if (!candidate.empty() && reread.kind == IniLine::Kind::Key && WithoutIniQuotes(reread.value) == candidate &&
        candidate.find_first_of("\r\n") == std::string::npos)
      value = candidate;
  }
  std::size_t sections = 0;
  bool inFirst = false, held = false;
  for (const std::string& line : lines) {
    IniLine parsed = ClassifyIniLine(line);
    if (parsed.kind == IniLine::Kind::Section) {
      inFirst = EqualsNoCase(parsed.name, "386enh") && ++sections == 1;
      continue;
    }
    if (inFirst && parsed.kind == IniLine::Kind::Key && EqualsNoCase(parsed.key, "device") &&
        EqualsNoCase(WithoutIniQuotes(parsed.value), value))
      held = true;
  }
  IniDocument document(bytes);
  InsertDeviceLine(document, value);
  FUZZ_EXPECT_EQ(SplitIniLines(document.text()).size(), lines.size() + sections,
                 "one device= line after each [386enh] line");
  RemoveDeviceLine(document, value);
  // (A header that is the last line without a line end is given one.)
  const bool ended = text.empty() || text.back() == '\n' || text.back() == '\r';
  if (sections == 1 && !held && ended) FUZZ_EXPECT(document.text() == text, "device= inserted then removed", text);
  IniDocument removed(bytes);
  RemoveDeviceLine(removed, value);
  FUZZ_EXPECT(removed.text().size() <= text.size(), "removal only removes", text);
}

}  // namespace
}  // namespace tessary

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tessary::CheckLines(bytes);
  tessary::CheckDeviceRewrite(bytes);
  return 0;
}
