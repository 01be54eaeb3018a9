#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_rewrite.h"
#include "page/rewrite_counts.h"

namespace quelbo {

// A page a preview found would change, and how often each rule applied in it.
struct PreviewedPage {
  std::u16string entry;
  RewriteCounts counts;
};

// What a preview found: the pages a run would change. The pages it would skip are in the
// RunReport, as for a run. Reset by each preview.
class PreviewReport {
 public:
  // A page as the run would write it; the views last only for the listener's call.
  struct Change {
    const PreviewedPage& page;
    std::string_view old_bytes;
    std::string_view new_bytes;
    PageEncodings encodings;
  };
  using Listener = std::function<void(const Change&)>;

  void Reset();
  void PageWouldChange(const Change& change);
  void AddListener(Listener listener) { listeners_.push_back(std::move(listener)); }

  const std::vector<PreviewedPage>& pages() const { return pages_; }
  const RewriteCounts& totals() const { return totals_; }

 private:
  std::vector<PreviewedPage> pages_;
  RewriteCounts totals_;
  std::vector<Listener> listeners_;
};

// A unified diff (three lines of context) of a page's old and new bytes, each decoded in its
// own encoding and shown as UTF-8 text, under the header lines "--- a/<entry>" and
// "+++ b/<entry>". Empty when the texts are equal.
std::string PageDiff(std::u16string_view entry, std::string_view old_bytes,
                     std::string_view new_bytes, PageEncodings encodings);

}  // namespace quelbo
