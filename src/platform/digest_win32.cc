#include <windows.h>
// <windows.h> first: <bcrypt.h> needs its types.
#include <bcrypt.h>

#include <memory>

#include "platform/digest.h"

// The Windows sibling: SHA-256 from the system's own cryptography (CNG), so that both systems
// read the digests of older run journals alike.

namespace quelbo {
namespace {

struct AlgorithmCloser {
  void operator()(BCRYPT_ALG_HANDLE algorithm) const {
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};
struct HashDestroyer {
  void operator()(BCRYPT_HASH_HANDLE hash) const { ::BCryptDestroyHash(hash); }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
  BCRYPT_ALG_HANDLE raw_algorithm = nullptr;
  if (!Succeeded(
          ::BCryptOpenAlgorithmProvider(&raw_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return {};  // never equal to a real digest, so nothing is taken for unchanged
  }
  std::unique_ptr<void, AlgorithmCloser> algorithm(raw_algorithm);
  BCRYPT_HASH_HANDLE raw_hash = nullptr;
  if (!Succeeded(::BCryptCreateHash(raw_algorithm, &raw_hash, nullptr, 0, nullptr, 0, 0))) {
    return {};
  }
  std::unique_ptr<void, HashDestroyer> hash(raw_hash);
  // BCryptHashData takes at most 4 GiB at once, and a non-const pointer it does not write.
  auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
  for (size_t done = 0; done < bytes.size();) {
    const size_t left = bytes.size() - done;
    const ULONG chunk = left > (1u << 30) ? (1u << 30) : static_cast<ULONG>(left);
    if (!Succeeded(::BCryptHashData(raw_hash, data + done, chunk, 0))) return {};
    done += chunk;
  }
  unsigned char digest[32];
  if (!Succeeded(::BCryptFinishHash(raw_hash, digest, sizeof digest, 0))) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(sizeof digest * 2);
  for (const unsigned char byte : digest) {
    hex.push_back(kHex[byte >> 4]);
    hex.push_back(kHex[byte & 0xF]);
  }
  return hex;
}

}  // namespace quelbo
