// SHA-256 (FIPS 180-4) over bytes held in memory, in plain code: the registry value
// snapshot keeps only the size and this digest of data too large to keep whole. No
// <windows.h>.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  // The digest of everything given; the object is spent afterwards.
  std::array<std::uint8_t, 32> Finish();

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;
};

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace tessary
