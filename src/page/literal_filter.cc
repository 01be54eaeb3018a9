#include "page/literal_filter.h"

#include <algorithm>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quelbo::literal_filter {
namespace {

// How often a byte turns up in web pages, roughly: markup and line ends, and the bytes of
// Chinese text in either encoding, most; lower-case letters and digits less; capitals and the
// rest least.
int Commonness(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80 || std::string_view(" \r\n<>\"=/").find(c) != std::string_view::npos) return 8;
  if (std::string_view("etaoinsrlhcdp.:").find(c) != std::string_view::npos) return 5;
  if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) return 3;
  return 1;
}

template <size_t N>
size_t ScanPlain(const char* data, size_t from, size_t end, const Literals& literals,
                 std::uint32_t* masks) {
  for (size_t i = from; i < end; i += kBlock) {
    std::uint32_t any = 0;
    for (size_t k = 0; k < N; ++k) {
      masks[k] = 0;
      for (size_t b = 0; b < kBlock; ++b) {
        if (data[i + b + literals.offset[0][k]] == literals.byte[0][k] &&
            data[i + b + literals.offset[1][k]] == literals.byte[1][k]) {
          masks[k] |= std::uint32_t{1} << b;
        }
      }
      any |= masks[k];
    }
    if (any != 0) return i;
  }
  return end;
}

#if defined(__SSE2__)
template <size_t N>
size_t ScanSse2(const char* data, size_t from, size_t end, const Literals& literals,
                std::uint32_t* masks) {
  __m128i bytes[2][N];
  size_t offsets[2][N];
  for (size_t probe = 0; probe < 2; ++probe) {
    for (size_t k = 0; k < N; ++k) {
      bytes[probe][k] = _mm_set1_epi8(literals.byte[probe][k]);
      offsets[probe][k] = literals.offset[probe][k];
    }
  }
  auto hits = [&](const char* at, size_t k) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + offsets[0][k]));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + offsets[1][k]));
    return _mm_and_si128(_mm_cmpeq_epi8(a, bytes[0][k]), _mm_cmpeq_epi8(b, bytes[1][k]));
  };
  for (size_t i = from; i < end; i += kBlock) {
    __m128i any = _mm_setzero_si128();
    for (size_t k = 0; k < N; ++k) {
      any = _mm_or_si128(any, _mm_or_si128(hits(data + i, k), hits(data + i + 16, k)));
    }
    if (_mm_movemask_epi8(any) == 0) continue;
    // Which strings: worked out again, only for the blocks that have candidates.
    for (size_t k = 0; k < N; ++k) {
      masks[k] = static_cast<std::uint32_t>(_mm_movemask_epi8(hits(data + i, k))) |
                 static_cast<std::uint32_t>(_mm_movemask_epi8(hits(data + i + 16, k))) << 16;
    }
    return i;
  }
  return end;
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
template <size_t N>
__attribute__((target("avx2"))) size_t ScanAvx2(const char* data, size_t from, size_t end,
                                                const Literals& literals, std::uint32_t* masks) {
  __m256i bytes[2][N];
  size_t offsets[2][N];
  for (size_t probe = 0; probe < 2; ++probe) {
    for (size_t k = 0; k < N; ++k) {
      bytes[probe][k] = _mm256_set1_epi8(literals.byte[probe][k]);
      offsets[probe][k] = literals.offset[probe][k];
    }
  }
  auto hits = [&](size_t i, size_t k) __attribute__((target("avx2"))) {
    const auto* a = reinterpret_cast<const __m256i*>(data + i + offsets[0][k]);
    const auto* b = reinterpret_cast<const __m256i*>(data + i + offsets[1][k]);
    return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(a), bytes[0][k]),
                            _mm256_cmpeq_epi8(_mm256_loadu_si256(b), bytes[1][k]));
  };
  for (size_t i = from; i < end; i += kBlock) {
    __m256i any = _mm256_setzero_si256();
    for (size_t k = 0; k < N; ++k) any = _mm256_or_si256(any, hits(i, k));
    if (_mm256_testz_si256(any, any)) continue;
    // Which strings: worked out again, only for the blocks that have candidates.
    for (size_t k = 0; k < N; ++k) {
      masks[k] = static_cast<std::uint32_t>(_mm256_movemask_epi8(hits(i, k)));
    }
    return i;
  }
  return end;
}
#endif

// One scan per number of strings, so that the loop over them is unrolled.
template <size_t... N>
constexpr std::array<Scan, kMaxLiterals> MakeTable(std::index_sequence<N...>, auto pick) {
  return {pick.template operator()<N + 1>()...};
}

std::array<Scan, kMaxLiterals> Choose() {
  const auto indices = std::make_index_sequence<kMaxLiterals>();
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx2")) {
    return MakeTable(indices, []<size_t N>() -> Scan { return &ScanAvx2<N>; });
  }
#endif
#if defined(__SSE2__)
  return MakeTable(indices, []<size_t N>() -> Scan { return &ScanSse2<N>; });
#else
  return MakeTable(indices, []<size_t N>() -> Scan { return &ScanPlain<N>; });
#endif
}

}  // namespace

void Literals::Add(std::string_view text) {
  // The rarest pair of bytes among the first kBlock, two apart or more where the text allows
  // (neighbours go together too often), the farthest apart among equals. Within the first
  // kBlock, so that a long text neither costs long to choose nor reaches far past a block.
  const size_t length = std::min(text.size(), kBlock);
  size_t best[2] = {0, length - 1};
  int best_score = Commonness(text[best[0]]) * Commonness(text[best[1]]);
  const size_t apart = length >= 3 ? 2 : 1;
  for (size_t a = 0; a < length; ++a) {
    for (size_t b = a + apart; b < length; ++b) {
      const int score = Commonness(text[a]) * Commonness(text[b]);
      if (score < best_score || (score == best_score && b - a > best[1] - best[0])) {
        best_score = score;
        best[0] = a;
        best[1] = b;
      }
    }
  }
  for (size_t probe = 0; probe < 2; ++probe) {
    byte[probe][count] = text[best[probe]];
    offset[probe][count] = best[probe];
  }
  reach = std::max(reach, best[1]);
  ++count;
}

Scan Widest(size_t count) {
  static const std::array<Scan, kMaxLiterals> chosen = Choose();
  return chosen[count - 1];
}

}  // namespace quelbo::literal_filter
