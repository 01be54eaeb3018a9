#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// The tables through which code page 936 is decoded and encoded, and the two things each
// system's own converter is asked to fill them: one source per system (ICU on Linux, the
// Windows conversion functions on Windows), both giving the same entries for every input.

namespace quelbo::gbk {

// A decoding entry: the code unit in bits 0-15 and the flags below.
inline constexpr uint32_t kTwoBytes = 1u << 16;     // the character took the next byte too
inline constexpr uint32_t kMalformed = 1u << 17;    // a substitute: not a character
inline constexpr uint32_t kNoRoundTrip = 1u << 18;  // encoding the unit gives other bytes

// An encoding entry: up to two bytes in bits 0-15, their number in bits 16-17, and whether the
// unit has no form (the bytes are then the substitute, possibly none).
inline constexpr int kLengthShift = 16;
inline constexpr uint32_t kUnmappable = 1u << 18;
inline constexpr uint32_t kMappedPairMask = (3u << kLengthShift) | kUnmappable;
inline constexpr uint32_t kMappedPair = 2u << kLengthShift;

struct Tables {
  // Bytes 0x80-0xFF followed by any byte: index (first - 0x80) * 256 + next.
  std::array<uint32_t, 128 * 256> decode;
  // Bytes 0x80-0xFF as the last byte of the input.
  std::array<uint32_t, 128> decode_last;
  // Every UTF-16 code unit; a surrogate's entry is for the surrogate standing alone.
  std::array<uint32_t, 0x10000> encode;
};

constexpr bool IsLeadSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsTrailSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether `unit` encodes back to exactly `first` (and `second`, for a pair; -1 for none).
inline bool EncodesTo(const Tables& tables, char16_t unit, unsigned char first, int second) {
  const uint32_t entry = tables.encode[unit];
  if ((entry & kUnmappable) != 0 || (entry & 0xFFu) != first) return false;
  if (second < 0) return (entry >> kLengthShift) == 1;
  return (entry >> kLengthShift) == 2 && ((entry >> 8) & 0xFFu) == static_cast<uint32_t>(second);
}

// Every entry, from the system's converter (fallbacks off). Called once per process.
std::unique_ptr<Tables> BuildTables();

// Encodes one surrogate pair into at most four bytes at `out`; returns how many. Sets
// `unmappable` when the character has no form and a substitute (possibly none) was written.
size_t EncodeSurrogatePair(const char16_t* pair, char* out, bool& unmappable);

}  // namespace quelbo::gbk
