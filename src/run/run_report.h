#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/texts.h"

namespace quelbo {

// A page that a run left untouched because of a problem.
struct SkippedPage {
  std::u16string entry;
  std::u16string reason;
};

// The reason a file error gives a page left untouched, as the status line and the report
// name it in the language of `texts`.
std::u16string SkipReason(const Error& error, const Texts& texts);

// What a run did to its pages, for the front ends: the headless one prints it, the window
// shows it. Reset by each Start.
class RunReport {
 public:
  using Listener = std::function<void(const SkippedPage&)>;

  void Reset();
  void PageDone(bool changed);
  void PageSkipped(SkippedPage page);
  // A page's new content waits in the batch of durable writes; settled, each such page is then
  // reported done or skipped.
  void PageStaged() { ++staged_; }
  void StagedPagesSettled() { staged_ = 0; }
  // A processed page was rewritten on its own bytes, without the UTF-16 round trip.
  void PageRewrittenOnBytes() { ++rewritten_on_bytes_; }
  // ... and its replacement rules were applied in one pass.
  void PageRewrittenInOnePass() { ++rewritten_in_one_pass_; }

  // Each listener is told of each skipped page as it happens.
  void AddSkipListener(Listener listener) { on_skip_.push_back(std::move(listener)); }

  // How many times the report was reset: a front end tells a new run by it.
  std::uint64_t runs() const { return runs_; }
  size_t processed() const { return processed_; }
  size_t changed() const { return changed_; }
  // Pages whose new content waits for their batch: neither processed nor changed yet.
  size_t staged() const { return staged_; }
  size_t rewritten_on_bytes() const { return rewritten_on_bytes_; }
  size_t rewritten_in_one_pass() const { return rewritten_in_one_pass_; }
  const std::vector<SkippedPage>& skipped() const { return skipped_; }

 private:
  std::uint64_t runs_ = 0;
  size_t processed_ = 0;
  size_t changed_ = 0;
  size_t staged_ = 0;
  size_t rewritten_on_bytes_ = 0;
  size_t rewritten_in_one_pass_ = 0;
  std::vector<SkippedPage> skipped_;
  std::vector<Listener> on_skip_;
};

}  // namespace quelbo
