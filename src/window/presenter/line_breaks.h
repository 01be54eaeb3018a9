#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Model texts keep their line breaks as stored: CR LF, a bare LF or a bare CR. A text widget
// shows each of them as one character, so positions differ between the two. Throughout, a
// CR LF's display character is counted at its LF, so that a text whose front was cut between
// the CR and the LF is still measured consistently.

namespace quelbo {

// The text as a widget shows it: every line break as one '\n'.
std::u16string ToDisplay(std::u16string_view model);

// Display characters of the first `count` code units of `model`.
size_t DisplayLength(std::u16string_view model, size_t count);
inline size_t DisplayLength(std::u16string_view model) {
  return DisplayLength(model, model.size());
}

// Where the model's first `lines` lines end: the position of the break after the last of
// them, or model.size() when the text has no more lines than that. REQUIRES: lines >= 1.
size_t LinesEnd(std::u16string_view model, size_t lines);

// The model position where display character `display_pos` begins; model.size() past the end.
size_t ModelPosition(std::u16string_view model, size_t display_pos);

// Model code units [position, position + removed) replaced by `added`.
struct TextEdit {
  size_t position = 0;
  size_t removed = 0;
  std::u16string added;

  friend bool operator==(const TextEdit&, const TextEdit&) = default;
};

// The smallest model edit after which `model` shows as a widget does once it has replaced
// `removed` display characters at `display_pos` by `added` (line breaks there as '\n', '\r',
// U+2028 or U+2029). Characters the widget reports as replaced by themselves keep their model
// form, breaks included; each new line break becomes CR LF. A deletion that would join a bare
// CR and a bare LF into one break ends the CR's line with CR LF, so that both breaks stay.
// REQUIRES: display_pos + removed <= DisplayLength(model).
TextEdit ToModelEdit(std::u16string_view model, size_t display_pos, size_t removed,
                     std::u16string_view added);

std::u16string ApplyEdit(std::u16string_view model, const TextEdit& edit);

// Where two texts differ: [start, before_end) of `before` became [start, after_end) of
// `after`, the rest being the same. The cuts never part a CR LF pair in either text, so each
// of the three parts shows the same on its own as within its text.
struct ChangedRange {
  size_t start = 0;
  size_t before_end = 0;
  size_t after_end = 0;

  friend bool operator==(const ChangedRange&, const ChangedRange&) = default;
};
ChangedRange FindChangedRange(std::u16string_view before, std::u16string_view after);

}  // namespace quelbo
