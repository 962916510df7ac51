// Registry keys no uninstall action may delete, whatever an action file says. One list,
// here. No <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The list, as full key paths with the root names in full. A piece "*" stands for any one
// name, "*_Classes" for any name ending in "_Classes", and "CurrentControlSet" also for
// each numbered control set ("ControlSet001", ...).
const std::vector<std::string>& ProtectedKeyList();

// True when keyPath names a key of the list. Letter case does not matter; the root may be
// written in full ("HKEY_LOCAL_MACHINE"), short ("HKLM") or as the registry names it
// itself ("\REGISTRY\MACHINE", "\REGISTRY\USER"); empty pieces (doubled or trailing
// backslashes) are passed over, so they never hide a listed key.
bool IsProtectedKey(std::string_view keyPath);

// True when keyPath names a key of the list or any key below one (the whole subtree), or
// a whole root, or names no known root. What an unsealed action file may never touch.
bool IsAtOrBelowProtectedKey(std::string_view keyPath);

}  // namespace tessary
