#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelbo {

// Bytes as a run journal names them: their size and their XXH3-128 digest (the xxHash
// library's 128-bit hash, written as the 32 lowercase hexadecimal digits of its canonical,
// big-endian form). A fast hash against accidental change (a page edited, a kept copy damaged
// or swapped), not against an adversary who may write the journal. Journals on users' disks
// hold these values, so they never change for a given input.
struct ContentId {
  std::uint64_t size = 0;
  std::string digest;
  bool operator==(const ContentId&) const = default;
};

ContentId IdentifyContent(std::string_view bytes);

// Whether `bytes` are the ones `id` names; the size is compared first, which settles most
// differences without hashing.
bool IsContent(const ContentId& id, std::string_view bytes);

// Whether `text` has the form of a digest: 32 lowercase hexadecimal digits.
bool IsDigestText(std::string_view text);

}  // namespace quelbo
