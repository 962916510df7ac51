// UTF-8, the code page the programs run in (their manifest sets it): which byte
// sequences are UTF-8. No <windows.h> here.
#pragma once

#include <string_view>

namespace tessary {

// Whether `text` is well-formed UTF-8 (ASCII is). Overlong forms, surrogates and code
// points above U+10FFFF are not.
inline bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned lowest;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      lowest = 0x10000;
    } else {
      return false;
    }
    if (n - i < length) return false;
    unsigned code = c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = (code << 6) | (t & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace tessary
