#include "page/byte_search.h"

#include <cstring>

#include "page/pattern_search.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quelbo {
namespace {

constexpr size_t npos = std::string_view::npos;

// The first position p in [from, end) where data[p] == first and data[p + gap] == last; `end`
// if there is none. All positions up to end - 1 + gap must be readable.
size_t NextPairPlain(const char* data, size_t from, size_t end, size_t gap, char first, char last) {
  for (size_t i = from; i < end; ++i) {
    if (data[i] == first && data[i + gap] == last) return i;
  }
  return end;
}

#if defined(__SSE2__)
size_t NextPairSse2(const char* data, size_t from, size_t end, size_t gap, char first, char last) {
  const __m128i first_bytes = _mm_set1_epi8(first);
  const __m128i last_bytes = _mm_set1_epi8(last);
  size_t i = from;
  for (; i + 16 <= end; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(head, first_bytes), _mm_cmpeq_epi8(tail, last_bytes))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
  return NextPairPlain(data, i, end, gap, first, last);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) size_t NextPairAvx2(const char* data, size_t from, size_t end,
                                                    size_t gap, char first, char last) {
  const __m256i first_bytes = _mm256_set1_epi8(first);
  const __m256i last_bytes = _mm256_set1_epi8(last);
  size_t i = from;
  for (; i + 32 <= end; i += 32) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + gap));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
        _mm256_cmpeq_epi8(head, first_bytes), _mm256_cmpeq_epi8(tail, last_bytes))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
  return NextPairSse2(data, i, end, gap, first, last);
}
#endif

using NextPairFunction = size_t (*)(const char*, size_t, size_t, size_t, char, char);

// The widest filter this processor runs, chosen once.
NextPairFunction NextPair() {
  static const NextPairFunction chosen = [] {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) return &NextPairAvx2;
#endif
#if defined(__SSE2__)
    return &NextPairSse2;
#else
    return &NextPairPlain;
#endif
  }();
  return chosen;
}

size_t FindByte(std::string_view bytes, char byte, size_t from) {
  if (from >= bytes.size()) return npos;
  const void* at = std::memchr(bytes.data() + from, byte, bytes.size() - from);
  return at == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(at) - bytes.data());
}

}  // namespace

ByteSearcher::ByteSearcher(std::string_view pattern) : pattern_(pattern) {}

size_t ByteSearcher::FindIn(std::string_view bytes, size_t from) const {
  return pattern_search::Find(bytes, pattern_, from, failure_, NextPair(), FindByte);
}

}  // namespace quelbo
