#include "window/qt/refresh_queue.h"

#include <utility>

namespace quelbo {

RefreshQueue::RefreshQueue(Refresh refresh) : refresh_(std::move(refresh)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Flush(); });
}

void RefreshQueue::MarkDirty(Control control) {
  dirty_.set(Index(control));
  if (!scheduled_) {
    scheduled_ = true;
    timer_.start(busy_ && busy_() ? kBusyFrameMilliseconds : kFrameMilliseconds);
  }
}

void RefreshQueue::Flush() {
  timer_.stop();
  scheduled_ = false;
  // Taken before refreshing: a refresh that makes the model write again schedules a new flush.
  const std::bitset<kControlCount> dirty = std::exchange(dirty_, {});
  if (dirty.none()) return;
  ++flushes_;
  for (size_t i = 0; i < kControlCount; ++i) {
    if (!dirty.test(i)) continue;
    ++refreshed_controls_;
    refresh_(static_cast<Control>(i));
  }
}

}  // namespace quelbo
