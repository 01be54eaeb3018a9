#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace quelbo::fuzz {
namespace {

// Escapes: 0xFE repeats the last code unit, 0xFD the last two, 16 times the count byte after.
constexpr unsigned char kRepeatOne = 0xFE;
constexpr unsigned char kRepeatTwo = 0xFD;
constexpr size_t kRepeatUnit = 16;
constexpr size_t kDescribeLimit = 600;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of a well-formed (surrogates allowed) UTF-8 sequence at the start of `bytes`,
// with its length, or length 0.
struct Sequence {
  std::uint32_t code_point = 0;
  size_t length = 0;
};

Sequence ReadSequence(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  size_t length = 0;
  std::uint32_t code_point = 0;
  std::uint32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code_point = lead & 0x1Fu;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code_point = lead & 0x0Fu;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code_point = lead & 0x07u;
    smallest = 0x10000;
  } else {
    return {};
  }
  if (bytes.size() < length) return {};
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (!IsContinuation(byte)) return {};
    code_point = (code_point << 6) | (byte & 0x3Fu);
  }
  if (code_point < smallest || code_point > 0x10FFFF) return {};
  return {code_point, length};
}

void AppendCodePoint(std::u16string& text, std::uint32_t code_point) {
  if (code_point < 0x10000) {
    text.push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

void AppendEscaped(std::string& out, const char* format, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  out += buffer;
}

}  // namespace

std::string_view FieldReader::Next() {
  const size_t separator = rest_.find(kFieldSeparator);
  const std::string_view field = rest_.substr(0, separator);
  rest_.remove_prefix(separator == std::string_view::npos ? rest_.size() : separator + 1);
  return field;
}

std::string_view FieldReader::Rest() {
  const std::string_view rest = rest_;
  rest_ = {};
  return rest;
}

std::u16string TextFromBytes(std::string_view bytes, size_t max_units) {
  std::u16string text;
  size_t i = 0;
  while (i < bytes.size() && text.size() < max_units) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if ((byte == kRepeatOne || byte == kRepeatTwo) && i + 1 < bytes.size()) {
      const size_t width = byte == kRepeatOne ? 1 : 2;
      const size_t count = kRepeatUnit * static_cast<unsigned char>(bytes[i + 1]);
      if (text.size() >= width) {
        const std::u16string last = text.substr(text.size() - width);
        for (size_t n = 0; n < count && text.size() < max_units; ++n) text += last;
      }
      i += 2;
      continue;
    }
    const Sequence sequence = byte < 0x80 ? Sequence{byte, 1} : ReadSequence(bytes.substr(i));
    if (sequence.length == 0) {
      text.push_back(byte);
      ++i;
    } else {
      AppendCodePoint(text, sequence.code_point);
      i += sequence.length;
    }
  }
  if (text.size() > max_units) text.resize(max_units);
  return text;
}

std::string Describe(std::u16string_view text) {
  std::string out = "u\"";
  for (size_t i = 0; i < text.size() && i < kDescribeLimit; ++i) {
    const char16_t unit = text[i];
    if (unit >= 0x20 && unit < 0x7F && unit != u'\\' && unit != u'"') {
      out.push_back(static_cast<char>(unit));
    } else {
      AppendEscaped(out, "\\u%04X", unit);
    }
  }
  out += "\"";
  if (text.size() > kDescribeLimit) out += " (first " + std::to_string(kDescribeLimit) + ")";
  out += " [" + std::to_string(text.size()) + " units]";
  return out;
}

std::string DescribeBytes(std::string_view bytes) {
  std::string out = "\"";
  for (size_t i = 0; i < bytes.size() && i < kDescribeLimit; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
      out.push_back(static_cast<char>(byte));
    } else {
      AppendEscaped(out, "\\x%02X", byte);
    }
  }
  out += "\"";
  if (bytes.size() > kDescribeLimit) out += " (first " + std::to_string(kDescribeLimit) + ")";
  out += " [" + std::to_string(bytes.size()) + " bytes]";
  return out;
}

void Mismatch(std::string_view what, std::string_view expected, std::string_view actual) {
  std::fprintf(stderr, "\n==== MISMATCH: %.*s\n  expected: %.*s\n  actual:   %.*s\n",
               static_cast<int>(what.size()), what.data(), static_cast<int>(expected.size()),
               expected.data(), static_cast<int>(actual.size()), actual.data());
  std::abort();
}

}  // namespace quelbo::fuzz
