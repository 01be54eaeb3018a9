#include "run/content_digest.h"

#include <xxhash.h>

#ifdef QUELBO_XXH3_AVX2
#include "run/content_digest_avx2.h"
#endif

namespace quelbo {

namespace {

XXH128_hash_t Xxh3(std::string_view bytes) {
#ifdef QUELBO_XXH3_AVX2
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) {
    const Digest128 digest = Xxh3With256BitVectors(bytes.data(), bytes.size());
    return {digest.low, digest.high};
  }
#endif
  return XXH3_128bits(bytes.data(), bytes.size());
}

}  // namespace

ContentId IdentifyContent(std::string_view bytes) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, Xxh3(bytes));
  static constexpr char kHex[] = "0123456789abcdef";
  ContentId id{bytes.size(), std::string(2 * sizeof canonical.digest, '0')};
  for (size_t i = 0; i < sizeof canonical.digest; ++i) {
    id.digest[2 * i] = kHex[canonical.digest[i] >> 4];
    id.digest[2 * i + 1] = kHex[canonical.digest[i] & 0xF];
  }
  return id;
}

bool IsContent(const ContentId& id, std::string_view bytes) {
  return id.size == bytes.size() && IdentifyContent(bytes) == id;
}

bool IsDigestText(std::string_view text) {
  return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace quelbo
