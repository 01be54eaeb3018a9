#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace quelbo::testing {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) out.push_back(' ');
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 15]);
  }
  return out;
}

}  // namespace quelbo::testing
