#include "window/presenter/line_breaks.h"

#include <algorithm>

namespace quelbo {
namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

bool IsBreak(char16_t unit) {
  return unit == kCr || unit == kLf || unit == u'\u2028' || unit == u'\u2029';
}

// Units of the character starting at `i`: a CR LF pair is one character.
size_t UnitsAt(std::u16string_view text, size_t i) {
  return text[i] == kCr && i + 1 < text.size() && text[i + 1] == kLf ? 2 : 1;
}

// Units of the character ending at `end`, not reaching before `floor`.
size_t UnitsBefore(std::u16string_view text, size_t end, size_t floor) {
  return text[end - 1] == kLf && end - 1 > floor && text[end - 2] == kCr ? 2 : 1;
}

bool SameCharacter(char16_t a, char16_t b) { return a == b || (IsBreak(a) && IsBreak(b)); }

}  // namespace

std::u16string ToDisplay(std::u16string_view model) {
  std::u16string display;
  display.reserve(model.size());
  for (size_t i = 0; i < model.size(); i += UnitsAt(model, i)) {
    display.push_back(model[i] == kCr ? kLf : model[i]);
  }
  return display;
}

size_t DisplayLength(std::u16string_view model, size_t count) {
  size_t length = count;
  for (size_t i = 0; i < count; ++i) {
    if (model[i] == kCr && i + 1 < model.size() && model[i + 1] == kLf) --length;
  }
  return length;
}

size_t LinesEnd(std::u16string_view model, size_t lines) {
  size_t seen = 0;
  for (size_t i = 0; i < model.size(); i += UnitsAt(model, i)) {
    if ((model[i] == kCr || model[i] == kLf) && ++seen == lines) return i;
  }
  return model.size();
}

size_t ModelPosition(std::u16string_view model, size_t display_pos) {
  size_t i = 0;
  for (size_t shown = 0; shown < display_pos && i < model.size(); ++shown) {
    i += UnitsAt(model, i);
  }
  return i;
}

TextEdit ToModelEdit(std::u16string_view model, size_t display_pos, size_t removed,
                     std::u16string_view added) {
  size_t begin = ModelPosition(model, display_pos);
  size_t end = begin + ModelPosition(model.substr(begin), removed);
  size_t added_begin = 0;
  size_t added_end = added.size();

  // Widgets report an edit generously (a format change can make a whole block count as
  // replaced); text that came back unchanged must keep its own line breaks.
  while (begin < end && added_begin < added_end &&
         SameCharacter(model[begin], added[added_begin])) {
    begin += UnitsAt(model.substr(0, end), begin);
    added_begin += UnitsAt(added.substr(0, added_end), added_begin);
  }
  while (begin < end && added_begin < added_end &&
         SameCharacter(model[end - 1], added[added_end - 1])) {
    end -= UnitsBefore(model, end, begin);
    added_end -= UnitsBefore(added, added_end, added_begin);
  }

  TextEdit edit{begin, end - begin, {}};
  // A deletion that brings a bare CR and a bare LF together would fuse two breaks the widget
  // still shows apart; the CR's break becomes a CR LF instead.
  if (added_begin == added_end && begin > 0 && model[begin - 1] == kCr && end < model.size() &&
      model[end] == kLf) {
    edit.added.push_back(kLf);
    return edit;
  }
  for (size_t i = added_begin; i < added_end; i += UnitsAt(added.substr(0, added_end), i)) {
    if (IsBreak(added[i])) {
      edit.added += u"\r\n";
    } else {
      edit.added.push_back(added[i]);
    }
  }
  return edit;
}

std::u16string ApplyEdit(std::u16string_view model, const TextEdit& edit) {
  std::u16string text;
  text.reserve(model.size() - edit.removed + edit.added.size());
  text.append(model.substr(0, edit.position));
  text.append(edit.added);
  text.append(model.substr(edit.position + edit.removed));
  return text;
}

ChangedRange FindChangedRange(std::u16string_view before, std::u16string_view after) {
  const size_t shorter = std::min(before.size(), after.size());
  size_t start = 0;
  while (start < shorter && before[start] == after[start]) ++start;
  // The first differing unit may be an LF in one text only.
  if (start > 0 && before[start - 1] == kCr) --start;
  size_t same_end = 0;
  while (same_end < shorter - start &&
         before[before.size() - 1 - same_end] == after[after.size() - 1 - same_end]) {
    ++same_end;
  }
  if (same_end > 0) {
    const size_t b = before.size() - same_end;
    const size_t a = after.size() - same_end;
    const bool parts_a_pair =
        before[b] == kLf && ((b > 0 && before[b - 1] == kCr) || (a > 0 && after[a - 1] == kCr));
    if (parts_a_pair) --same_end;
  }
  return {start, before.size() - same_end, after.size() - same_end};
}

}  // namespace quelbo
