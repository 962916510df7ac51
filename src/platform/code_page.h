// The programs run with UTF-8 as their code page (their manifest sets it), so the
// system's "A" functions take and give every name in UTF-8. Files written before that
// (backup listings, action files, settings, INI files of the machine) hold text in the
// machine's ANSI code page; these read such text back.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// The code page of the machine's ANSI text (1252 on a western machine), whatever code
// page this program runs in.
unsigned MachineAnsiCodePage();

// Text as this program takes it: text that is well-formed UTF-8 (ASCII included) stays
// as it is; other text was written in the machine's ANSI code page and is converted
// from it, when the program runs in another code page.
std::string FromOlderText(std::string_view text);
// The same for each line of a text on its own, line ends kept.
std::string FromOlderLines(std::string_view text);

// Text of this program (its code page: UTF-8) as UTF-16 for the system's "W" functions,
// and back.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

}  // namespace tessary
