#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <utility>

#include "panel/control.h"
#include "platform/clock.h"

namespace quelbo {

// When a window shows what changed in the model: each changed control is refreshed once per
// frame at most, so that a writer's speed does not depend on how often it writes (marking is a
// bit and a flag), and a control whose last refresh was costly waits a while before the next.
// The binding owns one single-shot timer and refreshes the controls it is told to.
class RefreshPlan {
 public:
  // One frame at 30 Hz: smooth for a status line and a progress bar while the user works.
  static constexpr Milliseconds kFrame{33};
  // While a run goes on, each frame repaints the progress, the status line and the moving
  // list of pages (a millisecond or more that the pages wait for, more under load): ten frames
  // a second still show the run moving, at a third of the cost.
  static constexpr Milliseconds kBusyFrame{100};
  // A control is refreshed again only once this many times its last refresh took has passed,
  // so that showing it never takes more than a tenth of a run's time, however long its text
  // (an EDIT control lays its text out again from a change to its end).
  static constexpr int kCostShare = 10;

  using Refresh = std::function<void(Control)>;
  // Starts the binding's timer: a flush is wanted after that long.
  using StartTimer = std::function<void(Milliseconds)>;

  // REQUIRES: `clock` outlives the plan.
  RefreshPlan(const Clock& clock, Refresh refresh, StartTimer start_timer);
  RefreshPlan(const RefreshPlan&) = delete;
  RefreshPlan& operator=(const RefreshPlan&) = delete;

  // `busy` says whether a run is going on, for the longer frame; none: never busy.
  void SetBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
  // `unseen` says whether a control cannot be seen now (hidden, or beyond the window's edge,
  // without the focus). A multi-line field that cannot be seen is held back until ShowHeld: a
  // run writes a working list once per page, and showing it costs as much as showing the list
  // of pages still to do. Only multi-line fields cost that much, and the skipped pages' field
  // is never held, as the status bar reports its changes. None: every control can be seen.
  void SetUnseenCheck(std::function<bool(Control)> unseen) { unseen_ = std::move(unseen); }

  void MarkDirty(Control control);
  // The timer fired: refreshes every marked control whose cost allows, in the order of the
  // Control enumeration; the others wait for a later frame.
  void OnTimer() { Flush(false); }
  // Refreshes every marked control now.
  void FlushAll() { Flush(true); }
  // Something may have come into view (the window grew, the panel moved, a field took the
  // focus): the controls held back that can be seen now are refreshed now.
  void ShowHeld();

  std::uint64_t flushes() const { return flushes_; }
  std::uint64_t refreshed_controls() const { return refreshed_controls_; }

 private:
  void Flush(bool all);
  void Schedule();

  const Clock& clock_;
  Refresh refresh_;
  StartTimer start_timer_;
  std::function<bool()> busy_;
  std::function<bool(Control)> unseen_;
  std::bitset<kControlCount> dirty_;
  std::bitset<kControlCount> held_;  // changed while unseen
  bool scheduled_ = false;
  bool flushing_ = false;
  std::array<TimePoint, kControlCount> not_before_{};
  std::uint64_t flushes_ = 0;
  std::uint64_t refreshed_controls_ = 0;
};

}  // namespace quelbo
