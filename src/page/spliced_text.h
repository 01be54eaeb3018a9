#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quelbo {

// Room to leave past a rewritten page's bytes, so that a later rule that makes the page grow a
// little can do so in place instead of holding it twice. Room never used is never touched, and
// for a large page untouched memory is not resident.
inline size_t GrowthRoom(size_t size) { return size / 64; }

// `text` with the `find_size` units at each of `matches` (ascending, not overlapping) replaced
// by `replacement`, built in one allocation of the result's size (and `room` more capacity).
// For bytes and code units.
template <typename Char>
std::basic_string<Char> Spliced(std::basic_string_view<Char> text,
                                const std::vector<size_t>& matches, size_t find_size,
                                std::basic_string_view<Char> replacement, size_t room = 0) {
  using Traits = std::char_traits<Char>;
  const size_t size =
      text.size() - matches.size() * find_size + matches.size() * replacement.size();
  std::basic_string<Char> result;
  if (room > 0) result.reserve(size + room);
  result.resize_and_overwrite(size, [&](Char* out, size_t) {
    size_t copied = 0;
    for (const size_t match : matches) {
      out = Traits::copy(out, text.data() + copied, match - copied) + (match - copied);
      out = Traits::copy(out, replacement.data(), replacement.size()) + replacement.size();
      copied = match + find_size;
    }
    Traits::copy(out, text.data() + copied, text.size() - copied);
    return size;
  });
  return result;
}

}  // namespace quelbo
