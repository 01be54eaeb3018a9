#pragma once

#include <QTimer>
#include <bitset>
#include <cstdint>
#include <functional>
#include <utility>

#include "panel/control.h"

namespace quelbo {

// Remembers which controls changed and refreshes each of them once per frame at most, so that
// a writer's speed does not depend on how often it writes: marking is a bit and a flag.
class RefreshQueue {
 public:
  using Refresh = std::function<void(Control)>;

  // One frame at 30 Hz: smooth for a status line and a progress bar while the user works.
  static constexpr int kFrameMilliseconds = 33;
  // While a run goes on, each frame repaints the progress, the status line and the moving
  // list of pages (a millisecond or more of painting that the pages wait for, and more under
  // load): ten frames a second still show the run moving, at a third of the cost.
  static constexpr int kBusyFrameMilliseconds = 100;

  explicit RefreshQueue(Refresh refresh);
  // `busy` says whether a run is going on, for the longer frame; none: never busy.
  void SetBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
  RefreshQueue(const RefreshQueue&) = delete;
  RefreshQueue& operator=(const RefreshQueue&) = delete;

  void MarkDirty(Control control);
  // Refreshes every marked control now, in the order of the Control enumeration.
  void Flush();

  std::uint64_t flushes() const { return flushes_; }
  std::uint64_t refreshed_controls() const { return refreshed_controls_; }

 private:
  Refresh refresh_;
  std::function<bool()> busy_;
  std::bitset<kControlCount> dirty_;
  bool scheduled_ = false;
  QTimer timer_;
  std::uint64_t flushes_ = 0;
  std::uint64_t refreshed_controls_ = 0;
};

}  // namespace quelbo
