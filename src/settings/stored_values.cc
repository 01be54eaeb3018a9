#include "settings/stored_values.h"

#include <charconv>
#include <string>

namespace quelbo {

double ValueNumber(std::u16string_view value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
  // Keep the longest prefix that looks like a decimal number; from_chars then reads it exactly
  // and, unlike strtod, always with "." as the decimal point, whatever the user's locale.
  std::string number;
  auto take_digits = [&] {
    size_t count = 0;
    while (i < value.size() && value[i] >= u'0' && value[i] <= u'9') {
      number.push_back(static_cast<char>(value[i++]));
      ++count;
    }
    return count;
  };
  if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) {
    number.push_back(static_cast<char>(value[i++]));
  }
  size_t digits = take_digits();
  if (i < value.size() && value[i] == u'.') {
    number.push_back('.');
    ++i;
    digits += take_digits();
  }
  if (digits == 0) return 0;
  if (i < value.size() && (value[i] == u'e' || value[i] == u'E')) {
    const size_t mark = i;
    std::string exponent = "e";
    ++i;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) {
      exponent.push_back(static_cast<char>(value[i++]));
    }
    const size_t before = number.size();
    number += exponent;
    if (take_digits() == 0) {
      number.resize(before);
      i = mark;
    }
  }
  // from_chars takes no "+" sign; a value out of range reads as 0 (no setting is that large).
  const size_t skip = number.front() == '+' ? 1 : 0;
  double result = 0;
  const auto parsed = std::from_chars(number.data() + skip, number.data() + number.size(), result);
  return parsed.ec == std::errc() ? result : 0;
}

bool IsStoredOn(std::u16string_view value) { return ValueNumber(value) == 1.0; }

std::u16string StripTrailingBreak(std::u16string_view text) {
  if (text.ends_with(u"\r\n")) text.remove_suffix(2);
  if (text.ends_with(u'\n')) text.remove_suffix(1);
  if (text.ends_with(u'\r')) text.remove_suffix(1);
  return std::u16string(text);
}

}  // namespace quelbo
