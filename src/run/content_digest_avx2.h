#pragma once

#include <cstddef>
#include <cstdint>

namespace quelbo {

// The two halves of the hash, as the library's XXH128_hash_t holds them.
struct Digest128 {
  std::uint64_t low;
  std::uint64_t high;
};

// XXH3-128 of `size` bytes at `data`, computed with AVX2. REQUIRES: the processor has AVX2.
Digest128 Xxh3With256BitVectors(const void* data, size_t size);

}  // namespace quelbo
