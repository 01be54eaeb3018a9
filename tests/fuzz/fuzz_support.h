#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Helpers shared by the fuzz targets: cutting an input into fields, turning field bytes into
// text, and stopping with a readable report when a check fails.

namespace quelbo::fuzz {

// Fields of an input are separated by the byte 0xFF, which never occurs in UTF-8, so that a
// seed written as UTF-8 text stays readable.
inline constexpr char kFieldSeparator = '\xFF';

class FieldReader {
 public:
  FieldReader(const std::uint8_t* data, size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // The bytes up to the next separator (or the end); empty once the input is used up.
  std::string_view Next();
  // Everything not read yet, separators included.
  std::string_view Rest();
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// Field bytes as text. Well-formed UTF-8 gives its characters (encoded surrogates give lone
// surrogate units, so that fuzzing reaches them); any other byte gives the character of the
// same number (Latin-1). The byte 0xFE followed by a count byte c repeats the last code unit
// 16 * c more times, and 0xFD followed by c the last two units, so that short inputs can
// describe long runs. The text is cut at `max_units` code units.
std::u16string TextFromBytes(std::string_view bytes, size_t max_units);

// Printable forms for reports: ASCII as it is, every other unit or byte escaped.
std::string Describe(std::u16string_view text);
std::string DescribeBytes(std::string_view bytes);

// Prints what was checked, what was expected and what came, then aborts so that the fuzzer
// records the input.
[[noreturn]] void Mismatch(std::string_view what, std::string_view expected,
                           std::string_view actual);

}  // namespace quelbo::fuzz
