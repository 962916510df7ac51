// The places that decide what Windows starts or loads: autostart entries and the places
// a program can be slipped in through (Run and RunOnce keys, Winlogon, AppInit_DLLs,
// Image File Execution Options, services' ImagePath, ServiceDll and Start, scheduled
// tasks, the Startup folders, shell open commands, shell extensions and browser helpers,
// LSA and notification packages, KnownDLLs, and the INI entries that start programs or
// load drivers). One list, here. A write there is asked about on its own, even with
// verify off, and tessaryc names it. No <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

inline constexpr const char* kSensitiveCaption = "Write to a start-up place:";

// A value of this key (a full key path, root in full or short) whose writing is
// sensitive: the key lies at or below a listed key and, where the list names values,
// the value is one of them (letter case does not matter).
bool IsSensitiveKeyValue(std::string_view keyPath, std::u16string_view valueName);
// An INI entry whose writing is sensitive (WIN.INI [windows] load and run, SYSTEM.INI
// [boot], SYSTEM.INI [386Enh] device).
bool IsSensitiveIniEntry(std::string_view file, std::string_view section, std::string_view key);
// An action line (as written) that would write into a sensitive place: a CHANGE or ADD
// of a sensitive INI entry, or a REG_VALUE_RESTORE of a sensitive value.
bool IsSensitiveWrite(std::string_view line);

}  // namespace tessary
