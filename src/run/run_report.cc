#include "run/run_report.h"

namespace quelbo {

void RunReport::Reset() {
  ++runs_;
  processed_ = 0;
  changed_ = 0;
  staged_ = 0;
  rewritten_on_bytes_ = 0;
  skipped_.clear();
}

void RunReport::PageDone(bool changed) {
  ++processed_;
  if (changed) ++changed_;
}

void RunReport::PageSkipped(SkippedPage page) {
  skipped_.push_back(std::move(page));
  for (const Listener& listener : on_skip_) listener(skipped_.back());
}

}  // namespace quelbo
