#include "platform/hmac.h"

#include <array>
#include <cstdint>

#include "platform/sha256.h"

namespace tessary {

std::string HmacSha256Hex(std::string_view key, std::string_view message) {
  constexpr std::size_t kBlock = 64;
  std::string k(key);
  if (k.size() > kBlock) {
    Sha256 h;
    h.Update(k);
    const auto digest = h.Finish();
    k.assign(reinterpret_cast<const char*>(digest.data()), digest.size());
  }
  k.resize(kBlock, '\0');
  std::string inner(kBlock, '\0'), outer(kBlock, '\0');
  for (std::size_t i = 0; i < kBlock; ++i) {
    inner[i] = static_cast<char>(k[i] ^ 0x36);
    outer[i] = static_cast<char>(k[i] ^ 0x5c);
  }
  Sha256 in;
  in.Update(inner);
  in.Update(message);
  const auto innerDigest = in.Finish();
  Sha256 out;
  out.Update(outer);
  out.Update(std::string_view(reinterpret_cast<const char*>(innerDigest.data()), innerDigest.size()));
  const auto tag = out.Finish();
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t b : tag) {
    hex.push_back(kHex[b >> 4]);
    hex.push_back(kHex[b & 15]);
  }
  return hex;
}

bool EqualInConstantTime(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace tessary
