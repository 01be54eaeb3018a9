// Writes what the code page 936 codec makes of every input that matters, to the file named
// by its argument: each byte 0x80-0xFF alone and followed by every byte, each UTF-16 code unit
// alone and each character beyond the BMP. The Linux and the Windows builds must write the same
// file: the Linux codec is checked against ICU, so this shows that the Windows one, built on
// the system's own conversion, gives the same bytes and texts.

#include <cstdio>
#include <string>

#include "base/text_codec.h"

namespace {

using quelbo::DecodeGbk;
using quelbo::EncodeGbk;

void PutDecoded(std::string& out, std::string_view bytes) {
  const quelbo::DecodedText decoded = DecodeGbk(bytes);
  out.push_back(static_cast<char>(decoded.text.size()));
  for (const char16_t unit : decoded.text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  out.push_back(static_cast<char>((decoded.well_formed ? 1 : 0) | (decoded.round_trips ? 2 : 0)));
}

void PutEncoded(std::string& out, std::u16string_view text) {
  const quelbo::EncodedBytes encoded = EncodeGbk(text);
  out.push_back(static_cast<char>(encoded.bytes.size()));
  out += encoded.bytes;
  out.push_back(static_cast<char>(encoded.complete ? 1 : 0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gbk_table_dump FILE\n");
    return 2;
  }
  std::string out;
  for (int first = 0x80; first <= 0xFF; ++first) {
    PutDecoded(out, std::string(1, static_cast<char>(first)));
    for (int next = 0; next <= 0xFF; ++next) {
      const char pair[2] = {static_cast<char>(first), static_cast<char>(next)};
      PutDecoded(out, std::string_view(pair, 2));
    }
  }
  for (char32_t unit = 0; unit < 0x10000; ++unit) {
    PutEncoded(out, std::u16string(1, static_cast<char16_t>(unit)));
  }
  for (char32_t code_point = 0x10000; code_point < 0x110000; ++code_point) {
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF))};
    PutEncoded(out, std::u16string_view(pair, 2));
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr || std::fwrite(out.data(), 1, out.size(), file) != out.size() ||
      std::fclose(file) != 0) {
    std::fprintf(stderr, "gbk_table_dump: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
