#pragma once

#include <string>
#include <string_view>

namespace quelbo {

// The SHA-256 digest of `bytes`, as 64 lowercase hexadecimal digits: what run journals held
// before they took a faster digest of their own, and still hold when written by older builds.
std::string Sha256Hex(std::string_view bytes);

}  // namespace quelbo
