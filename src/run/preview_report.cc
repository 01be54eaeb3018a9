#include "run/preview_report.h"

namespace quelbo {

void PreviewReport::Reset() {
  pages_.clear();
  totals_ = {};
}

void PreviewReport::PageWouldChange(const Change& change) {
  pages_.push_back(change.page);
  totals_ += change.page.counts;
  for (const Listener& listener : listeners_)
    listener(Change{pages_.back(), change.old_bytes, change.new_bytes, change.encodings});
}

}  // namespace quelbo
