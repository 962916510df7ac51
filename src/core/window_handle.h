// A window handle for code that does not include <windows.h> (the seams, the engine).
// Under STRICT, <windows.h> declares HWND as a pointer to struct HWND__, so
// WindowHandle is HWND itself: no cast either way.
#pragma once

struct HWND__;

namespace tessary {

using WindowHandle = HWND__*;

}  // namespace tessary
