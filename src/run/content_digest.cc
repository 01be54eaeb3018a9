#include "run/content_digest.h"

#include <xxhash.h>

namespace quelbo {

ContentId IdentifyContent(std::string_view bytes) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits(bytes.data(), bytes.size()));
  static constexpr char kHex[] = "0123456789abcdef";
  ContentId id{bytes.size(), {}};
  id.digest.reserve(2 * sizeof canonical.digest);
  for (const unsigned char byte : canonical.digest) {
    id.digest.push_back(kHex[byte >> 4]);
    id.digest.push_back(kHex[byte & 0xF]);
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
