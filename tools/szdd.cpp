// szdd: compresses one file into the LZ file-compression format that Windows' LZ
// functions (LZOpenFile/LZCopy) and expand.exe read ("SZDD" header, 4 KiB LZSS window
// pre-filled with spaces, matches of 3 to 18 bytes).
// Usage: szdd <input> <output> [missing-char]
// The missing character is the last letter of the original name that the "_" of the
// compressed name stands for (e.g. 'E' for TESSARY.EXE -> TESSARY.EX_); it defaults to
// the input's last letter.
// Built for the build machine, it runs while the install disk is made.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWindow = 4096;
constexpr int kStart = kWindow - 16;  // where the decoder writes its first byte
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMaxDistance = kWindow - kMaxMatch;  // keep the source behind the write
constexpr int kHashSize = 1 << 15;
constexpr int kMaxChain = 256;

int Hash(const unsigned char* p) { return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & (kHashSize - 1); }

std::string Compress(const std::string& in, char missing) {
  std::string out("SZDD\x88\xF0\x27\x33", 8);
  out += 'A';
  out += missing;
  uint32_t size = static_cast<uint32_t>(in.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>((size >> (8 * i)) & 0xFF);

  const auto* data = reinterpret_cast<const unsigned char*>(in.data());
  const int n = static_cast<int>(in.size());
  std::vector<int> head(kHashSize, -1), prev(n > 0 ? n : 1, -1);
  auto insert = [&](int pos) {
    if (pos + kMinMatch > n) return;
    int h = Hash(data + pos);
    prev[pos] = head[h];
    head[h] = pos;
  };

  int pos = 0;
  while (pos < n) {
    std::size_t flagAt = out.size();
    out += '\0';
    unsigned char flags = 0;
    for (int bit = 0; bit < 8 && pos < n; ++bit) {
      int bestLen = 0, bestPos = 0;
      if (pos + kMinMatch <= n) {
        int limit = std::min(kMaxMatch, n - pos);
        int chain = 0;
        for (int cand = head[Hash(data + pos)]; cand >= 0 && pos - cand <= kMaxDistance && chain < kMaxChain;
             cand = prev[cand], ++chain) {
          int len = 0;
          while (len < limit && data[cand + len] == data[pos + len]) ++len;
          if (len > bestLen) {
            bestLen = len;
            bestPos = cand;
            if (len == limit) break;
          }
        }
      }
      if (bestLen >= kMinMatch) {
        int ring = (bestPos + kStart) & (kWindow - 1);
        out += static_cast<char>(ring & 0xFF);
        out += static_cast<char>(((ring >> 4) & 0xF0) | (bestLen - kMinMatch));
        for (int i = 0; i < bestLen; ++i) insert(pos + i);
        pos += bestLen;
      } else {
        flags |= static_cast<unsigned char>(1u << bit);
        out += static_cast<char>(data[pos]);
        insert(pos);
        ++pos;
      }
    }
    out[flagAt] = static_cast<char>(flags);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: szdd <input> <output> [missing-char]\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "szdd: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string name = argv[1];
  char missing = argc == 4 ? argv[3][0] : (name.empty() ? '\0' : name.back());
  if (missing >= 'a' && missing <= 'z') missing = static_cast<char>(missing - 'a' + 'A');
  std::string packed = Compress(bytes, missing);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(packed.data(), static_cast<std::streamsize>(packed.size()));
  if (!out) {
    std::cerr << "szdd: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
