#pragma once

#include <string>
#include <string_view>

namespace quelbo {

// The SHA-256 digest of `bytes`, as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace quelbo
