// Private-profile (INI file) access: the settings file and the Windows INI files are
// read and written only through these. They read as the system's private-profile
// reader reads (ini_document.h) and edit only the lines an edit must change, so a file
// keeps every other byte -- its code page too: the system's own functions would read a
// file of the machine's ANSI code page as UTF-8 (the code page the programs run in) and
// write every line of it back changed. A file with a byte-order mark (UTF-8, UTF-16) is
// read and written in its encoding, as the system's functions do. A bare file name is a
// file of the Windows folder.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// Reads `key` of `section` with `defaultValue` into a buffer of `bufferLength`
// characters: the value (or the default) is cut to bufferLength - 1 characters.
std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& defaultValue, unsigned bufferLength);
// Reads a value whole, however long it is.
std::string ProfileReadFull(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& defaultValue);
// The changes: each is made to a copy of the file beside it (SideFileFor), which then
// replaces the file; on any failure (a read-only file, a full disk, a copy the profile
// functions wrote short) the file stays as it was and the result is false.
[[nodiscard]] bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                                const std::string& value);
[[nodiscard]] bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key);
// Deletes the first entry `key` of `section` whose value is `value` (ignoring ASCII case,
// one pair of quotes removed), or the first entry of that name when none holds it.
[[nodiscard]] bool ProfileDeleteEntry(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);
[[nodiscard]] bool ProfileDeleteSection(const std::string& file, const std::string& section);
// The names of the keys of a section, in file order.
std::vector<std::string> ProfileKeys(const std::string& file, const std::string& section);
// The names of the sections of a file, in file order.
std::vector<std::string> ProfileSections(const std::string& file);
// Writes the profile cache of `file` to disk and forgets it.
void ProfileFlush(const std::string& file);

}  // namespace tessary
