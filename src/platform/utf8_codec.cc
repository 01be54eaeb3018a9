#include <cstdint>
#include <cstring>

#include "platform/text_codec.h"

namespace quelbo {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Length of the valid sequence starting at `p` (1 to 4), or 0 with `bad_length` set to the
// length of the maximal subpart to replace by one U+FFFD.
size_t ValidSequence(const unsigned char* p, size_t available, uint32_t& code_point,
                     size_t& bad_length) {
  const unsigned char lead = p[0];
  size_t length;
  uint32_t min_second = 0x80, max_second = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0Fu;
    if (lead == 0xE0) min_second = 0xA0;  // overlong
    if (lead == 0xED) max_second = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07u;
    if (lead == 0xF0) min_second = 0x90;  // overlong
    if (lead == 0xF4) max_second = 0x8F;  // above U+10FFFF
  } else {
    bad_length = 1;
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    const unsigned char c = i < available ? p[i] : 0;
    const bool ok = i < available &&
                    (i == 1 ? (c >= min_second && c <= max_second) : (c >= 0x80 && c <= 0xBF));
    if (!ok) {
      bad_length = i;
      return 0;
    }
    code_point = (code_point << 6) | (c & 0x3Fu);
  }
  return length;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool EightAscii(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return (word & 0x8080808080808080ull) == 0;
}

}  // namespace

DecodedText DecodeUtf8(std::string_view bytes) {
  DecodedText result;
  result.text.resize(bytes.size());  // never more code units than bytes
  char16_t* out = result.text.data();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* end = p + bytes.size();
  while (p < end) {
    if (end - p >= 8 && EightAscii(p)) {
      for (int i = 0; i < 8; ++i) *out++ = p[i];
      p += 8;
      continue;
    }
    if (*p < 0x80) {
      *out++ = *p++;
      continue;
    }
    uint32_t cp = 0;
    size_t bad_length = 0;
    const size_t length = ValidSequence(p, static_cast<size_t>(end - p), cp, bad_length);
    if (length == 0) {
      *out++ = kReplacement;
      p += bad_length;
      result.well_formed = false;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      p += length;
    } else {
      *out++ = static_cast<char16_t>(cp);
      p += length;
    }
  }
  result.text.resize(static_cast<size_t>(out - result.text.data()));
  // Strict decoding maps each valid sequence to one code point and back to the same bytes.
  result.round_trips = result.well_formed;
  return result;
}

EncodedBytes EncodeUtf8(std::u16string_view text) {
  EncodedBytes result;
  result.bytes.reserve(text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      result.bytes.push_back(static_cast<char>(unit));
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      const uint32_t cp = 0x10000 + ((uint32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      AppendUtf8(result.bytes, cp);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(result.bytes, kReplacement);
      result.complete = false;
    } else {
      AppendUtf8(result.bytes, unit);
    }
  }
  return result;
}

std::string ToUtf8(std::u16string_view text) { return EncodeUtf8(text).bytes; }

std::u16string FromUtf8(std::string_view bytes) { return DecodeUtf8(bytes).text; }

}  // namespace quelbo
