#include "run/content_digest.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/digest.h"

namespace quelbo {
namespace {

// Odd multipliers with well-mixed bits: fractional digits of the golden ratio, of sqrt(2)
// and of sqrt(3).
constexpr std::uint64_t kStep = 0x9E3779B97F4A7C15u;
constexpr std::uint64_t kInput = 0x6A09E667F3BCC909u;
constexpr std::uint64_t kFinal = 0xBB67AE8584CAA73Bu;

std::uint64_t Load(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  return word;
}

// A step is a bijection of the lane for a fixed word and of the word for a fixed lane, so two
// inputs that differ in one word never meet again before the lanes are folded together.
std::uint64_t Step(std::uint64_t lane, std::uint64_t word) {
  return std::rotl(lane + word * kInput, 31) * kStep;
}

// Spreads every bit of `x` over the whole word.
std::uint64_t Avalanche(std::uint64_t x) {
  x ^= x >> 32;
  x *= kFinal;
  x ^= x >> 29;
  x *= kStep;
  x ^= x >> 32;
  return x;
}

void AppendHex(std::uint64_t value, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 0xF]);
}

}  // namespace

std::string ContentDigest(std::string_view bytes) {
  // Four independent lanes over 32-byte stripes, so that the multiplications overlap.
  std::uint64_t lanes[4] = {kStep, kInput, kFinal, kStep ^ kInput};
  const char* p = bytes.data();
  size_t left = bytes.size();
  for (; left >= 32; p += 32, left -= 32) {
    for (int i = 0; i < 4; ++i) lanes[i] = Step(lanes[i], Load(p + 8 * i));
  }
  if (left > 0) {
    char tail[32] = {};  // zero padding; the length below tells "a" from "a\0"
    std::memcpy(tail, p, left);
    for (int i = 0; i < 4; ++i) lanes[i] = Step(lanes[i], Load(tail + 8 * i));
  }
  const std::uint64_t length = bytes.size();
  const std::uint64_t high = Avalanche(std::rotl(lanes[0], 1) + std::rotl(lanes[1], 7) +
                                       std::rotl(lanes[2], 12) + std::rotl(lanes[3], 18) +
                                       length * kStep);
  const std::uint64_t low =
      Avalanche((lanes[0] ^ std::rotl(lanes[2], 29)) * kInput +
                (lanes[1] ^ std::rotl(lanes[3], 33)) * kFinal + (length ^ high));
  std::string hex;
  hex.reserve(32);
  AppendHex(high, hex);
  AppendHex(low, hex);
  return hex;
}

bool MatchesContentDigest(std::string_view digest, std::string_view bytes) {
  if (digest.size() == 64) return Sha256Hex(bytes) == digest;
  return ContentDigest(bytes) == digest;
}

}  // namespace quelbo
