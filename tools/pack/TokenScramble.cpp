#include "TokenScramble.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace pack {

// Byte layout before the key is applied (1-based as the reader counts):
//   1 key part | 2 a | 3 c | a padding bytes | token | c - 1 padding bytes | check | key part
// Bytes 2 .. n-1 are XORed with the key (byte 1 XOR byte n); the check byte is the sum of all
// stored bytes but itself, so the reader finds the token at byte a + 4 with n - a - c - 4 bytes.
std::string ScrambleToken(const std::string& token, std::mt19937& rng) {
  if (token.size() > 200) throw std::invalid_argument("a token may have at most 200 bytes");
  auto byte = [&rng] { return std::uint8_t(std::uniform_int_distribution<int>(0, 255)(rng)); };
  const std::size_t a = std::uniform_int_distribution<int>(0, 6)(rng);
  const std::size_t c = std::uniform_int_distribution<int>(1, 6)(rng);
  const std::uint8_t key = byte();
  std::vector<std::uint8_t> b;
  b.push_back(byte());
  b.push_back(std::uint8_t(a));
  b.push_back(std::uint8_t(c));
  for (std::size_t i = 0; i < a; ++i) b.push_back(byte());
  b.insert(b.end(), token.begin(), token.end());
  for (std::size_t i = 0; i + 1 < c; ++i) b.push_back(byte());
  b.push_back(0);  // check byte, set below
  b.push_back(std::uint8_t(b[0] ^ key));
  const std::size_t n = b.size();
  for (std::size_t i = 1; i + 1 < n; ++i) b[i] ^= key;
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (i != n - 2) sum = std::uint8_t(sum + b[i]);
  b[n - 2] = sum;
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t v : b) {
    out += char(kHex[v >> 4] + 50);
    out += char(kHex[v & 15] + 50);
  }
  return out;
}

}  // namespace pack
