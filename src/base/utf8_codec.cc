#include <cassert>
#include <cstdint>

#include "base/ascii_runs.h"
#include "base/byte_masks_avx2.h"
#include "base/text_codec.h"

namespace quelbo {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Length of the valid sequence starting at `p` (1 to 4), or 0 with `bad_length` set to the
// length of the maximal subpart to replace by one U+FFFD.
size_t ValidSequence(const unsigned char* p, size_t available, uint32_t& code_point,
                     size_t& bad_length) {
  const unsigned char lead = p[0];
  size_t length;
  uint32_t min_second = 0x80, max_second = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0Fu;
    if (lead == 0xE0) min_second = 0xA0;  // overlong
    if (lead == 0xED) max_second = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07u;
    if (lead == 0xF0) min_second = 0x90;  // overlong
    if (lead == 0xF4) max_second = 0x8F;  // above U+10FFFF
  } else {
    bad_length = 1;
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    const unsigned char c = i < available ? p[i] : 0;
    const bool ok =
        i < available && (i == 1 ? (c >= min_second && c <= max_second) : (c >= 0x80 && c <= 0xBF));
    if (!ok) {
      bad_length = i;
      return 0;
    }
    code_point = (code_point << 6) | (c & 0x3Fu);
  }
  return length;
}

// Writes the UTF-8 form of `cp` at `out`; returns the byte after it.
char* PutUtf8(char* out, uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Three-byte characters, the form of most CJK text, checked two at a time in one word: lead
// 0xE0-0xEF and two continuation bytes, neither an overlong form (0xE0 then below 0xA0) nor a
// surrogate (0xED then 0xA0 or above). Returns the bytes of the valid run at `p` (a multiple of
// three; it may stop short of the run's end, never past it). Little-endian words.
size_t ThreeByteRun(const unsigned char* p, size_t n) {
  auto valid = [](uint64_t lead_and_next) {
    const uint64_t key = lead_and_next & 0x200Fu;  // the lead's low bits, the next byte's 0x20
    return key != 0 && key != 0x200Du;
  };
  size_t i = 0;
  for (; n - i >= 8; i += 6) {
    const uint64_t word = ascii::Load64(p + i);
    if ((word & 0xC0C0F0C0C0F0ull) != 0x8080E08080E0ull || !valid(word) || !valid(word >> 24)) {
      break;
    }
  }
  for (; n - i >= 3; i += 3) {
    const uint64_t word = p[i] | (uint64_t{p[i + 1]} << 8) | (uint64_t{p[i + 2]} << 16);
    if ((word & 0xC0C0F0u) != 0x8080E0u || !valid(word)) break;
  }
  return i;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Whether any byte of `v` is one that never occurs (0xC0, 0xC1, 0xF5-0xFF) or one whose next
// byte has a narrower range than any continuation (0xE0, 0xED, 0xF0-0xF4).
__attribute__((target("avx2"), always_inline)) inline bool HasRareUtf8Byte(__m256i v) {
  const __m256i c0_or_c1 =
      _mm256_cmpeq_epi8(_mm256_and_si256(v, _mm256_set1_epi8(static_cast<char>(0xFE))),
                        _mm256_set1_epi8(static_cast<char>(0xC0)));
  const __m256i e0 = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xE0)));
  const __m256i ed = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xED)));
  const __m256i f0_up = _mm256_cmpeq_epi8(
      _mm256_max_epu8(v, _mm256_set1_epi8(static_cast<char>(0xF0))), v);
  const __m256i rare = _mm256_or_si256(_mm256_or_si256(c0_or_c1, e0), _mm256_or_si256(ed, f0_up));
  return _mm256_testz_si256(rare, rare) == 0;
}

// Checks 32 bytes at a time and returns a character start `r` such that [0, r) is well-formed
// UTF-8; the byte-wise check goes on from there. Each byte is classified by range into masks,
// one bit per byte: the continuation bytes must be exactly those that the lead bytes before
// them call for (carried from block to block), no byte may be one that never occurs (0xC0,
// 0xC1, 0xF5-0xFF), and the second byte after 0xE0, 0xED, 0xF0 and 0xF4 must keep out of
// overlong forms, surrogates and code points past U+10FFFF.
__attribute__((target("avx2"))) size_t WellFormedPrefixAvx2(const unsigned char* in,
                                                            size_t size) {
  using avx2::AtLeast;
  using avx2::Equal;
  size_t i = 0;
  uint64_t pending = 0;  // continuations called for by the previous block, from bit 0
  uint32_t after_e0 = 0, after_ed = 0, after_f0 = 0, after_f4 = 0;  // the same, bit 0 only
  for (; size - i >= 32; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const auto high = static_cast<uint32_t>(_mm256_movemask_epi8(v));
    if (high == 0 && pending == 0) continue;  // ASCII, with nothing owed to it
    if ((after_e0 | after_ed | after_f0 | after_f4) == 0 && !HasRareUtf8Byte(v)) {
      // Only two- and three-byte characters whose second byte may be any continuation, as in
      // most text: the continuations alone are to be checked.
      const uint32_t lead = AtLeast(v, 0xC0), three = AtLeast(v, 0xE0);
      const uint64_t called = uint64_t{lead} << 1 | uint64_t{three} << 2;
      if ((high & ~lead) != static_cast<uint32_t>(called | pending)) break;
      pending = called >> 32;
      continue;
    }
    const uint32_t c0 = AtLeast(v, 0xC0), c2 = AtLeast(v, 0xC2), e0 = AtLeast(v, 0xE0);
    const uint32_t f0 = AtLeast(v, 0xF0), f5 = AtLeast(v, 0xF5);
    const uint32_t continuation = high & ~c0;
    const uint32_t never = (c0 & ~c2) | f5;
    const uint64_t two = c2 & ~e0, three = e0 & ~f0, four = f0 & ~f5;
    const uint64_t called = (two | three | four) << 1 | (three | four) << 2 | four << 3;
    const uint32_t a0 = AtLeast(v, 0xA0), x90 = AtLeast(v, 0x90);
    const uint32_t is_e0 = Equal(v, 0xE0), is_ed = Equal(v, 0xED), is_f0 = Equal(v, 0xF0);
    const uint32_t is_f4 = Equal(v, 0xF4);
    const uint32_t out_of_range = ((is_e0 << 1 | after_e0) & ~a0) |
                                  ((is_ed << 1 | after_ed) & a0) |
                                  ((is_f0 << 1 | after_f0) & ~x90) | ((is_f4 << 1 | after_f4) & x90);
    if ((never | out_of_range | (continuation ^ static_cast<uint32_t>(called | pending))) != 0) {
      break;
    }
    pending = called >> 32;
    after_e0 = is_e0 >> 31;
    after_ed = is_ed >> 31;
    after_f0 = is_f0 >> 31;
    after_f4 = is_f4 >> 31;
  }
  // A character that runs over into the block not taken is checked again from its lead.
  if (pending != 0) {
    do {
      --i;
    } while ((in[i] & 0xC0) == 0x80);
  }
  return i;
}
#endif

bool IsSurrogate(char16_t unit) { return (unit & 0xF800) == 0xD800; }
bool IsLead(char16_t unit) { return (unit & 0xFC00) == 0xD800; }
bool IsTrail(char16_t unit) { return (unit & 0xFC00) == 0xDC00; }

// The length of the UTF-8 form of `text`, as EncodeUtf8 writes it.
size_t Utf8Length(std::u16string_view text) {
  // Every unit as if alone: 1 to 3 bytes, a surrogate 3 (the form of U+FFFD).
  size_t length = text.size();
  size_t surrogates = 0;
  for (const char16_t unit : text) {
    length += static_cast<size_t>(unit >= 0x80) + static_cast<size_t>(unit >= 0x800);
    surrogates += static_cast<size_t>(IsSurrogate(unit));
  }
  if (surrogates == 0) return length;
  // A pair takes four bytes, not six.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (IsLead(text[i]) && IsTrail(text[i + 1])) {
      length -= 2;
      ++i;
    }
  }
  return length;
}

}  // namespace

DecodedText DecodeUtf8(std::string_view bytes) {
  DecodedText result;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  bool malformed = false;
  // Never more code units than bytes.
  result.text.resize_and_overwrite(size, [&](char16_t* out, size_t) {
    const unsigned char* p = in;
    const unsigned char* const end = in + size;
    char16_t* o = out;
    while (p < end) {
      const size_t ascii = ascii::Widen(p, static_cast<size_t>(end - p), o);
      p += ascii;
      o += ascii;
      if (p == end) break;
      do {
        // Three bytes, the form of most CJK text, checked all at once: continuation bytes, no
        // overlong form (below U+0800) and no surrogate.
        if ((p[0] & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
            (p[2] & 0xC0) == 0x80) {
          const uint32_t cp =
              (uint32_t{p[0] & 0x0Fu} << 12) | (uint32_t{p[1] & 0x3Fu} << 6) | (p[2] & 0x3Fu);
          if (cp >= 0x800 && (cp & 0xF800) != 0xD800) {
            *o++ = static_cast<char16_t>(cp);
            p += 3;
            continue;
          }
        }
        uint32_t cp = 0;
        size_t bad_length = 0;
        const size_t length = ValidSequence(p, static_cast<size_t>(end - p), cp, bad_length);
        if (length == 0) {
          *o++ = kReplacement;
          p += bad_length;
          malformed = true;
        } else if (cp >= 0x10000) {
          cp -= 0x10000;
          *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
          *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
          p += length;
        } else {
          *o++ = static_cast<char16_t>(cp);
          p += length;
        }
      } while (p < end && *p >= 0x80);
    }
    return static_cast<size_t>(o - out);
  });
  result.well_formed = !malformed;
  // Strict decoding maps each valid sequence to one code point and back to the same bytes.
  result.round_trips = result.well_formed;
  return result;
}

EncodedBytes EncodeUtf8(std::u16string_view text) {
  EncodedBytes result;
  const char16_t* in = text.data();
  const size_t size = text.size();
  bool lone_surrogate = false;
  const size_t length = Utf8Length(text);
  // The lambda's own size argument is not used: libstdc++ 12 passes the grown capacity there.
  result.bytes.resize_and_overwrite(length, [&](char* out, size_t) {
    char* o = out;
    size_t i = 0;
    while (i < size) {
      const size_t ascii = ascii::Narrow(in + i, size - i, o);
      i += ascii;
      o += ascii;
      if (i == size) break;
      do {
        const char16_t unit = in[i++];
        if (!IsSurrogate(unit)) {
          o = PutUtf8(o, unit);
        } else if (IsLead(unit) && i < size && IsTrail(in[i])) {
          o = PutUtf8(o, 0x10000 + ((uint32_t{unit} - 0xD800) << 10) + (in[i++] - 0xDC00u));
        } else {
          o = PutUtf8(o, kReplacement);
          lone_surrogate = true;
        }
      } while (i < size && in[i] >= 0x80);
    }
    assert(static_cast<size_t>(o - out) == length);
    return length;
  });
  result.complete = !lone_surrogate;
  return result;
}

size_t FirstMalformedUtf8Byte(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  size_t i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) i = WellFormedPrefixAvx2(in, size);
#endif
  while (i < size) {
    if (in[i] < 0x80) {
      i += ascii::Count(in + i, size - i);
      continue;
    }
    if constexpr (ascii::kWordAtATime) {
      const size_t run = ThreeByteRun(in + i, size - i);
      i += run;
      if (run != 0) continue;
    }
    uint32_t cp = 0;
    size_t bad_length = 0;
    const size_t length = ValidSequence(in + i, bytes.size() - i, cp, bad_length);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

size_t FirstUnencodableUtf8Unit(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsSurrogate(text[i])) continue;
    if (!IsLead(text[i]) || i + 1 == text.size() || !IsTrail(text[i + 1])) return i;
    ++i;
  }
  return std::u16string_view::npos;
}

std::string ToUtf8(std::u16string_view text) { return EncodeUtf8(text).bytes; }

std::u16string FromUtf8(std::string_view bytes) { return DecodeUtf8(bytes).text; }

}  // namespace quelbo
