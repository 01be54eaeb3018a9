#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/control.h"

namespace quelbo {

struct ProgressBarState {
  double min = 0;
  double max = 100;
  double value = 0;
  bool visible = true;
};

// Positions in twips, as the layout is drawn.
struct FramePosition {
  int left = 0;
  int top = 0;
};

inline constexpr FramePosition kFrame1DesignPosition{9120, 3120};

// The program's whole state: every named element of the window as a plain value. Commands
// and steps read their rules here and write their lists, messages and progress here; front
// ends show it and write the user's edits into it.
//
// Every control has a text: a field's content, or the caption of a box, option, label,
// command or the window (Form1). Observers hear of every write, also one that changes nothing
// (the status line's history is made of such writes).
class ControlPanel {
 public:
  using Observer = std::function<void(Control)>;
  using Reaction = std::function<void()>;

  // The design-time state: sample texts, Option2 chosen, Check3 ticked, Command4 "继续".
  ControlPanel();
  ControlPanel(const ControlPanel&) = delete;
  ControlPanel& operator=(const ControlPanel&) = delete;

  std::u16string_view Text(Control control) const;
  void SetText(Control control, std::u16string text);
  // Adds to the end of a text in amortised constant time.
  void AppendText(Control control, std::u16string_view text);
  // Adds to the front of a text in amortised time linear in `text`: a list that grows at its
  // front, block after block, costs its length once rather than once per block.
  void PrependText(Control control, std::u16string_view text);
  // Removes the first `count` code units of a text in amortised constant time.
  void DropTextPrefix(Control control, size_t count);
  // Whether a text that has lost its first `dropped` of `size` code units is worth compacting:
  // a small front is kept, a large one goes once it is the larger half, so each code unit is
  // moved at most once on average.
  static bool WorthCompacting(size_t dropped, size_t size) {
    return dropped > 4096 && dropped * 2 > size;
  }
  // Changes with every SetText of the control, but not with DropTextPrefix, so that a caller
  // can keep facts about a text that only ever loses its front.
  std::uint64_t TextVersion(Control control) const;

  bool Enabled(Control control) const;
  void SetEnabled(Control control, bool enabled);

  // Check boxes and options. Ticking an option clears the other five; clearing one leaves no
  // option chosen. A box whose state changes runs its reaction after observers are told.
  bool Ticked(Control control) const;
  void SetTicked(Control control, bool ticked);
  // The number (1 to 6) of the chosen suffix option, 0 when none is chosen.
  int SuffixChoice() const;

  const ProgressBarState& ProgressBar() const { return progress_; }
  void SetProgressMin(double min);
  void SetProgressMax(double max);
  void SetProgressVisible(bool visible);
  // A value outside min..max is not taken: the call returns false and nothing changes.
  bool SetProgressValue(double value);

  FramePosition Frame1Position() const { return frame1_; }
  void SetFrame1Left(int left);
  void SetFrame1Top(int top);

  void SetReaction(Control box, Reaction reaction);

  using ObserverId = size_t;
  ObserverId AddObserver(Observer observer);
  void RemoveObserver(ObserverId id);

 private:
  struct ControlState {
    std::u16string text;
    // Code units in front of the text proper: dropped from it, or room left for prepending.
    size_t offset = 0;
    std::uint64_t version = 0;
    bool enabled = true;
    bool ticked = false;
  };

  ControlState& State(Control control) { return controls_[Index(control)]; }
  const ControlState& State(Control control) const { return controls_[Index(control)]; }
  void Notify(Control control);
  void RunReaction(Control control);

  std::array<ControlState, kControlCount> controls_;
  std::array<Reaction, kControlCount> reactions_;
  ProgressBarState progress_;
  FramePosition frame1_ = kFrame1DesignPosition;
  std::vector<std::pair<ObserverId, Observer>> observers_;
  ObserverId next_observer_id_ = 1;
};

}  // namespace quelbo
