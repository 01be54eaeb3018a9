#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/ascii_runs.h"
#include "base/byte_masks_avx2.h"
#include "base/gbk_tables.h"
#include "base/text_codec.h"

// Code page 936 is decoded and encoded through tables that are filled once per process by the
// system's own converter (gbk_tables.h). Code page 936 has no state: each character is decoded
// and encoded on its own, so a text is the sum of its characters.

namespace quelbo {
namespace {

using namespace gbk;

const Tables& GbkTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The bytes at `p` (a character start; 32 readable) that are pairs of 0xA1-0xFE, an even
// number: such a byte is never ASCII nor a one-byte character, so from a character start a
// run of them goes lead, trail, lead, trail... Most Chinese text is written in these rows.
__attribute__((target("avx2"))) size_t HighPairsAvx2(const unsigned char* p) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const uint32_t high = avx2::AtLeast(v, 0xA1) & ~avx2::AtLeast(v, 0xFF);
  return static_cast<size_t>(std::countr_one(high)) & ~size_t{1};
}
#endif

// The decoding table's answer to "is this a character that round-trips, and of how many
// bytes", one bit each, so that checking a page stays in the first-level cache.
struct FaithfulPairs {
  std::array<uint64_t, 128 * 256 / 64> two_bytes{};
  std::array<uint64_t, 128 * 256 / 64> one_byte{};
  // Whether every pair of bytes 0xA1-0xFE round-trips (it does in code page 936), which lets
  // runs of them be checked 32 bytes at a time (see HighPairsAvx2).
  bool high_pairs = false;

  static bool Has(const std::array<uint64_t, 128 * 256 / 64>& bits, size_t index) {
    return ((bits[index / 64] >> (index % 64)) & 1u) != 0;
  }
};

const FaithfulPairs& GbkFaithfulPairs() {
  static const std::unique_ptr<FaithfulPairs> pairs = [] {
    auto built = std::make_unique<FaithfulPairs>();
    auto Has = FaithfulPairs::Has;
    const Tables& tables = GbkTables();
    for (size_t index = 0; index < tables.decode.size(); ++index) {
      const uint32_t entry = tables.decode[index];
      if ((entry & kNoRoundTrip) != 0) continue;
      auto& bits = (entry & kTwoBytes) != 0 ? built->two_bytes : built->one_byte;
      bits[index / 64] |= uint64_t{1} << (index % 64);
    }
    built->high_pairs = true;
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
        if (!Has(built->two_bytes, (lead - 0x80u) * 256u + trail)) built->high_pairs = false;
      }
    }
    return built;
  }();
  return *pairs;
}

}  // namespace

DecodedText DecodeGbk(std::string_view bytes) {
  DecodedText result;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  uint32_t flags = 0;
  // No character is shorter than a byte or longer than a code unit.
  result.text.resize_and_overwrite(size, [&](char16_t* out, size_t) {
    const uint32_t* decode = nullptr;  // the tables are built at the first non-ASCII byte
    size_t i = 0;
    size_t o = 0;
    while (i < size) {
      const size_t ascii = ascii::Widen(in + i, size - i, out + o);
      i += ascii;
      o += ascii;
      if (i == size) break;
      if (decode == nullptr) decode = GbkTables().decode.data();
      do {
        const size_t row = (in[i] - 0x80u) * 256u;
        const uint32_t entry =
            i + 1 < size ? decode[row + in[i + 1]] : GbkTables().decode_last[in[i] - 0x80u];
        out[o++] = static_cast<char16_t>(entry);
        flags |= entry;
        i += (entry & kTwoBytes) != 0 ? 2 : 1;
      } while (i < size && in[i] >= 0x80);
    }
    return o;
  });
  result.well_formed = (flags & kMalformed) == 0;
  // Characters encode independently, so the text round-trips when each character does.
  result.round_trips = (flags & kNoRoundTrip) == 0;
  return result;
}

EncodedBytes EncodeGbk(std::u16string_view text) {
  EncodedBytes result;
  const char16_t* in = text.data();
  const size_t size = text.size();
  uint32_t flags = 0;
  bool unmappable = false;
  // At most two bytes per code unit, so each step may write two bytes without looking.
  result.bytes.resize_and_overwrite(size * 2, [&](char* out, size_t) {
    const uint32_t* encode = nullptr;  // the tables are built at the first non-ASCII unit
    size_t i = 0;
    size_t o = 0;
    while (i < size) {
      const size_t ascii = ascii::Narrow(in + i, size - i, out + o);
      i += ascii;
      o += ascii;
      if (i == size) break;
      if (encode == nullptr) encode = GbkTables().encode.data();
      do {
        const char16_t unit = in[i];
        const uint32_t entry = encode[unit];
        out[o] = static_cast<char>(entry & 0xFFu);
        out[o + 1] = static_cast<char>((entry >> 8) & 0xFFu);
        // Most characters beyond ASCII have two bytes; their step does not wait for the length.
        if ((entry & kMappedPairMask) == kMappedPair) {
          o += 2;
          ++i;
          continue;
        }
        if (IsLeadSurrogate(unit) && i + 1 < size && IsTrailSurrogate(in[i + 1])) {
          o += EncodeSurrogatePair(in + i, out + o, unmappable);
          i += 2;
          continue;
        }
        o += entry >> kLengthShift & 3u;
        flags |= entry;
        ++i;
      } while (i < size && in[i] >= 0x80);
    }
    return o;
  });
  result.complete = (flags & kUnmappable) == 0 && !unmappable;
  return result;
}

size_t FirstUnfaithfulGbkByte(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  const FaithfulPairs* pairs = nullptr;  // built at the first non-ASCII byte
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
#endif
  for (size_t i = 0; i < size;) {
    if (in[i] < 0x80) {
      i += ascii::Count(in + i, size - i);
      continue;
    }
#if defined(__x86_64__) && defined(__GNUC__)
    if (avx2 && size - i >= 32 && pairs != nullptr && pairs->high_pairs) {
      if (const size_t high = HighPairsAvx2(in + i); high != 0) {
        i += high;
        continue;
      }
    }
#endif
    if (i + 1 == size) {
      const uint32_t entry = GbkTables().decode_last[in[i] - 0x80u];
      return (entry & kNoRoundTrip) != 0 ? i : std::string_view::npos;
    }
    if (pairs == nullptr) pairs = &GbkFaithfulPairs();
    const size_t index = (in[i] - 0x80u) * 256u + in[i + 1];
    if (FaithfulPairs::Has(pairs->two_bytes, index)) {
      i += 2;
    } else if (FaithfulPairs::Has(pairs->one_byte, index)) {
      ++i;
    } else {
      return i;
    }
  }
  return std::string_view::npos;
}

size_t FirstUnencodableGbkUnit(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) continue;
    if (IsLeadSurrogate(unit) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
      char bytes[4];
      bool unmappable = false;
      (void)EncodeSurrogatePair(text.data() + i, bytes, unmappable);
      if (unmappable) return i;
      ++i;
    } else if ((GbkTables().encode[unit] & kUnmappable) != 0) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

}  // namespace quelbo
