#pragma once

#include <QTimer>
#include <bitset>
#include <cstdint>
#include <functional>

#include "panel/control.h"

namespace quelbo {

// Remembers which controls changed and refreshes each of them once per frame at most, so that
// a writer's speed does not depend on how often it writes: marking is a bit and a flag.
class RefreshQueue {
 public:
  using Refresh = std::function<void(Control)>;

  // One frame at 30 Hz: smooth for a status line and a progress bar, and during a run each
  // frame costs about a millisecond of painting that the pages wait for.
  static constexpr int kFrameMilliseconds = 33;

  explicit RefreshQueue(Refresh refresh);
  RefreshQueue(const RefreshQueue&) = delete;
  RefreshQueue& operator=(const RefreshQueue&) = delete;

  void MarkDirty(Control control);
  // Refreshes every marked control now, in the order of the Control enumeration.
  void Flush();

  std::uint64_t flushes() const { return flushes_; }
  std::uint64_t refreshed_controls() const { return refreshed_controls_; }

 private:
  Refresh refresh_;
  std::bitset<kControlCount> dirty_;
  bool scheduled_ = false;
  QTimer timer_;
  std::uint64_t flushes_ = 0;
  std::uint64_t refreshed_controls_ = 0;
};

}  // namespace quelbo
