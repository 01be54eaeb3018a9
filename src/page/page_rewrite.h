#pragma once

#include <expected>
#include <string>

#include "page/rewrite_counts.h"
#include "panel/control_panel.h"

namespace quelbo {

// The encodings a page is read in and written in: UTF-8, else code page 936.
struct PageEncodings {
  bool read_utf8 = false;
  bool write_utf8 = false;
};

// A page's new bytes: decoded, its charset names made to match the output encoding, the
// replacement rules and the block sets of `rules` applied, encoded. Or, where that cannot be
// done without altering what the page holds, the reason (a status-line text): bytes not valid
// in the input encoding, or a character the output encoding cannot hold.
// `bytes` is let go of once decoded, so a large page is not held twice. Each rule's
// replacements are added to `*counts` when given.
std::expected<std::string, std::u16string> RewritePageBytes(std::string bytes,
                                                            PageEncodings encodings,
                                                            const ControlPanel& rules,
                                                            RewriteCounts* counts = nullptr);

}  // namespace quelbo
