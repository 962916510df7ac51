// Pure pieces of the uninstall: the NE module-reference reader, the DLL name matching
// rules, the device= rewrite of system.ini and the log header. No <windows.h> here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/seams.h"
#include "platform/ini_document.h"

namespace tessary {

// Reads up to count bytes at an absolute offset; fewer at the end of the file.
using ReadAtFn = std::function<std::string(std::uint64_t offset, std::size_t count)>;

// The module names (1 to 8 characters) of the imported-names table of a 16-bit NE
// executable of the given size; empty for any other format or a file too short for
// the offsets it names.
std::vector<std::string> NeImportedModules(const ReadAtFn& readAt, std::uint64_t size);

// The scan records a reference when the DLL base name begins with the module name
// (ignoring case, over the module name's length); one-character names never match.
bool ModuleRefersToDll(const std::string& module, const std::string& dllBase);

// A reference-list line "MODULE path" belongs to a DLL when it begins with the DLL's
// base name (ignoring case, over the base name's length). Returns the referring path
// (the text after the first blank) or "" when the line does not belong or is too short.
std::string ReferencingPathOf(const std::string& line, const std::string& dllBase);

// The base name of a DLL path: after the last backslash, without the last four characters.
std::string DllBaseOfPath(const std::string& dllPath);

// system.ini with "device=value" inserted after every [386enh] section header (ignoring
// case), each new line ended as the file's lines are. Headers and entries are recognised
// as the system's INI reader recognises them (platform/ini_document.h).
void InsertDeviceLine(IniDocument& systemIni, const std::string& value);
// system.ini without every device=value entry (ignoring case, however blanked or quoted)
// of the first [386enh] section; every other byte stays.
void RemoveDeviceLine(IniDocument& systemIni, const std::string& value);

// Text split at line ends (LF or CR LF); a final line without a line end is kept.
std::vector<std::string> SplitTextLines(const std::string& text);
// Lines joined, each ended by CR LF.
std::string JoinTextLines(const std::vector<std::string>& lines);

// The first two lines of a log block, each with its CR LF.
std::string UninstallLogHeader(const LocalTime& now);

}  // namespace tessary
