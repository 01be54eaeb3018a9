#pragma once

#include <optional>
#include <string_view>

#include "page/encoded_rules.h"
#include "page/page_decoding.h"
#include "page/page_rewrite.h"
#include "page/rewrite_counts.h"
#include "panel/control_panel.h"

namespace quelbo {

// RewritePageBytes for a page read and written in the same encoding (UTF-8 or code page 936),
// done on the page's own bytes with the rules encoded once (`cache`), without the round trip
// through UTF-16. The result, and each rule's count added to `*counts`, are exactly
// RewritePageBytes's. Nothing (and no count) where this path cannot be sure of that: another
// pair of encodings, bytes not valid in the encoding (with detection: in either), a rule text
// with a lone surrogate or a replacement the encoding lacks, a block that would end inside a
// surrogate pair. RewritePageBytes then gives the result or the reason the page is refused.
std::optional<RewrittenPage> RewriteOnOwnBytes(std::string_view bytes, PageEncodings encodings,
                                               const ControlPanel& panel, EncodedRuleCache& cache,
                                               RewriteCounts* counts = nullptr);

}  // namespace quelbo
