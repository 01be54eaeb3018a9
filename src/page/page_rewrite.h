#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "page/page_decoding.h"
#include "page/rewrite_counts.h"
#include "panel/control_panel.h"

namespace quelbo {

// Pages above this size are not held twice: their bytes are let go once decoded (callers
// compare the new bytes with the file itself).
inline constexpr std::size_t kKeptBytesLimit = std::size_t{16} << 20;

struct RewrittenPage {
  // The new bytes are held[held_from...]: closing up a block near the front moves the front
  // rather than the rest of the page.
  std::string held;
  std::size_t held_from = 0;
  bool read_utf8 = false;  // the encoding the page was read in; with detection, what its bytes
                           // are valid in, and also the encoding it was written in
  bool write_utf8 = false;
  bool in_one_pass = false;  // the replacement rules were applied in one pass (one_pass_rules.h)

  std::string_view bytes() const { return std::string_view(held).substr(held_from); }
};

// A page's new bytes: decoded (page_decoding.h), its charset names made to match the output
// encoding, the replacement rules and the block sets of `rules` applied, encoded. Or, where
// that cannot be done without altering what the page holds, the reason (a status-line text):
// bytes not valid in the input encoding, a page that would be garbled, or a character the
// output encoding cannot hold. Each rule's replacements are added to `*counts` when given.
std::expected<RewrittenPage, std::u16string> RewritePageBytes(std::string bytes,
                                                              PageEncodings encodings,
                                                              const ControlPanel& rules,
                                                              RewriteCounts* counts = nullptr);

}  // namespace quelbo
