// An INI file's text, read as the system's private-profile reader reads it and edited
// so that only the lines an edit must change change: every other byte (its encoding,
// blanks, empty lines, comments, line ends) stays as it was. The profile functions
// (profile.h) are built on it; the INI files then keep the bytes of their own code page
// whatever code page the program runs in. No <windows.h> here.
//
// The reader's rules: a line ends at CR, LF or CR LF; a line that begins with "[" and
// holds a "]" opens a section (its name is what lies between the "[" and the last "]",
// trimmed; lines before the first such line are the nameless section ""); any other line
// with "=" is an entry whose name is the text before the first "=" and whose value is
// the text after it, both trimmed. Sections and names match without regard to ASCII
// case, and only the first section of a name and the first entry of a name in it count.
// A line without "=" has a name but no value: it is found as that name (its value then
// reads as missing) and is not listed. Names beginning with ";" are found, not listed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// How a file's bytes hold its text, as the system's profile functions tell it by the
// first bytes: a UTF-8 byte-order mark (EF BB BF), a UTF-16 one (FF FE little-endian,
// FE FF big-endian), or none, when the bytes are the text (the machine's code page).
// The functions read such a file in its encoding and write it back in the same one,
// mark included.
enum class IniEncoding { Plain, Utf8WithMark, Utf16Le, Utf16Be };

// A file's text: its encoding, the text (Plain and UTF-8: the bytes after the mark;
// UTF-16: made UTF-8, a lone surrogate kept as its own three bytes so that it reads back
// the same), and an odd last byte of a UTF-16 file, kept as it is.
struct IniFileText {
  IniEncoding encoding = IniEncoding::Plain;
  std::string text;
  std::string oddByte;
};
IniFileText DecodeIniFile(std::string_view bytes);
// The bytes of a text in its file's encoding; nothing when the text cannot be written
// in it (UTF-16: the text is not UTF-8), so that no file ever holds two encodings.
// DecodeIniFile and then EncodeIniFile give back the very bytes.
[[nodiscard]] std::optional<std::string> EncodeIniFile(const IniFileText& file);

class IniDocument {
 public:
  // The file's bytes, read in their encoding (DecodeIniFile).
  explicit IniDocument(std::string_view bytes);
  // The text, UTF-8 for a file with a byte-order mark.
  const std::string& text() const { return text_; }
  IniEncoding encoding() const { return encoding_; }
  // The text as the file's bytes, in the encoding the file had (EncodeIniFile).
  [[nodiscard]] std::optional<std::string> FileBytes() const;

  // The value of `key` in the first section named `section`, one pair of matching
  // quotes around it removed; nothing when there is no such entry or it has no value.
  // Both names are taken trimmed, as the reader takes them.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The entry names of the first section named `section`, in file order, without those
  // that begin with ";" and lines without "=".
  std::vector<std::string> Keys(std::string_view section) const;
  // The names of the sections, in file order (the nameless first one not included).
  std::vector<std::string> Sections() const;

  // Sets `key` of the first section named `section` to `value`: an entry of that name
  // gets the new value in place of the old one (its name, the blanks around "=" and its
  // line end stay); otherwise "key=value" is added after the section's last line that is
  // not empty, or a new section is added at the end. False when the text did not change
  // (the entry already holds exactly that value).
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the line of the first entry `key` of the first section `section`. False when
  // there is none.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes the first section named `section`: its header and every line up to the next
  // section. False when there is none.
  bool DeleteSection(std::string_view section);
  // Removes the line of the first entry `key` of the first section `section` whose value
  // (one pair of quotes removed) is `value` without regard to ASCII case; every such
  // line when `every`. False when there is none.
  bool DeleteEntryWithValue(std::string_view section, std::string_view key, std::string_view value, bool every);
  // Inserts `line` right after the header of every section named `section`, ended as the
  // header's line is. False when there is none.
  bool InsertAfterHeaders(std::string_view section, std::string_view line);

 private:
  struct Line {
    enum class Kind { Blank, Header, Entry, NameOnly } kind = Kind::Blank;
    std::size_t start = 0;       // first byte of the line
    std::size_t contentEnd = 0;  // where the line end (CR, LF) begins
    std::size_t next = 0;        // first byte of the next line
    std::string name;            // Header: section name; Entry, NameOnly: entry name
    std::size_t nameStart = 0;   // Entry, NameOnly: first byte of the name
    std::size_t valueStart = 0;  // Entry: first byte of the value (after "=" and blanks)
    std::size_t valueEnd = 0;    // Entry: end of the value (trailing blanks excluded)
  };
  // The lines of the first section named `section`: [first, last) as line indexes, the
  // header (if any) excluded. Nothing when there is no such section.
  std::optional<std::pair<std::size_t, std::size_t>> SectionLines(std::string_view section) const;
  std::optional<std::size_t> EntryLine(std::string_view section, std::string_view key) const;
  // The line end this text uses: that of its first line, CR LF when it has none.
  std::string LineEnd() const;
  void Parse();

  IniEncoding encoding_ = IniEncoding::Plain;
  std::string oddByte_;
  std::string text_;
  std::vector<Line> lines_;
  std::size_t firstHeader_ = 0;  // index of the first header line (lines_.size() when none)
};

}  // namespace tessary
