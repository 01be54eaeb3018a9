#include "window/presenter/refresh_plan.h"

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

bool MayBeHeldBack(Control control) {
  return KindOf(control) == ControlKind::kMultiLineText && control != kSkippedPages;
}

}  // namespace

RefreshPlan::RefreshPlan(const Clock& clock, Refresh refresh, StartTimer start_timer)
    : clock_(clock), refresh_(std::move(refresh)), start_timer_(std::move(start_timer)) {}

void RefreshPlan::MarkDirty(Control control) {
  dirty_.set(Index(control));
  Schedule();
}

void RefreshPlan::Schedule() {
  if (scheduled_) return;
  scheduled_ = true;
  start_timer_(busy_ && busy_() ? kBusyFrame : kFrame);
}

void RefreshPlan::ShowHeld() {
  if (held_.none()) return;
  dirty_ |= std::exchange(held_, {});
  if (flushing_) {
    Schedule();  // a refresh moved something into view
  } else {
    Flush(false);
  }
}

void RefreshPlan::Flush(bool all) {
  flushing_ = true;
  scheduled_ = false;
  // Taken before refreshing: a refresh that makes the model write again marks anew.
  std::bitset<kControlCount> dirty = std::exchange(dirty_, {});
  if (all) dirty |= std::exchange(held_, {});
  bool any = false;
  for (size_t i = 0; i < kControlCount; ++i) {
    if (!dirty.test(i)) continue;
    const auto control = static_cast<Control>(i);
    if (!all && unseen_ && MayBeHeldBack(control) && unseen_(control)) {
      held_.set(i);  // no frame until it can be seen
      continue;
    }
    const TimePoint start = clock_.Now();
    if (!all && start < not_before_[i]) {
      dirty_.set(i);  // shown at a later frame
      continue;
    }
    any = true;
    ++refreshed_controls_;
    refresh_(control);
    not_before_[i] = start + (clock_.Now() - start) * kCostShare;
  }
  if (any) ++flushes_;
  flushing_ = false;
  if (dirty_.any()) Schedule();
}

}  // namespace quelbo
