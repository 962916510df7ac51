// HMAC-SHA-256 (RFC 2104 over FIPS 180-4) in plain code: the seal over an action file
// and its evidence. No <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// The 32-byte tag of `message` under `key`, as 64 lower-case hexadecimal digits.
std::string HmacSha256Hex(std::string_view key, std::string_view message);

// Whether two texts are equal, looking at every byte whatever the first difference.
bool EqualInConstantTime(std::string_view a, std::string_view b);

}  // namespace tessary
