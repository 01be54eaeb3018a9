#include "window/presenter/diff_view.h"

#include "base/text_codec.h"
#include "base/texts.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
namespace {

constexpr std::string_view kNoNewline = "\\ No newline at end of file";
// The signs of the line breaks, in letters every font has.
constexpr std::u16string_view kCrLf = u"[CR LF]";
constexpr std::u16string_view kLfMark = u"[LF]";
constexpr std::u16string_view kCrMark = u"[CR]";

// "@@ -a,b +c,d @@" as "原第 a 行起 b 行 → 新第 c 行起 d 行".
std::u16string HunkText(std::string_view line) {
  const size_t minus = line.find('-');
  const size_t plus = line.find('+');
  const size_t end = line.find(" @@", plus == std::string_view::npos ? 0 : plus);
  if (minus == std::string_view::npos || plus == std::string_view::npos ||
      end == std::string_view::npos) {
    return FromUtf8(line);
  }
  const auto range = [](std::string_view numbers) {
    const size_t comma = numbers.find(',');
    return Filled(kWindowTexts.hunk_range,
                  {numbers.substr(0, comma),
                   comma == std::string_view::npos ? "1" : numbers.substr(comma + 1)});
  };
  return FromUtf8(Filled(kWindowTexts.hunk, {range(line.substr(minus + 1, plus - minus - 2)),
                                             range(line.substr(plus + 1, end - plus - 1))}));
}

// A CR inside the text shows as its sign; a changed line's break shows too.
std::u16string LineText(std::string_view body, bool show_break) {
  std::u16string text = FromUtf8(body);
  const bool lf = !text.empty() && text.back() == u'\n';
  if (lf) text.pop_back();
  const bool cr_lf = lf && !text.empty() && text.back() == u'\r';
  if (cr_lf) text.pop_back();
  std::u16string shown;
  for (char16_t unit : text) {
    if (unit == u'\r') {
      shown += kCrMark;
    } else {
      shown += unit;
    }
  }
  if (show_break) shown += cr_lf ? kCrLf : lf ? kLfMark : FromUtf8(kWindowTexts.no_line_break);
  return shown;
}

}  // namespace

std::vector<DiffViewLine> DiffView(std::string_view diff) {
  std::vector<DiffViewLine> lines;
  for (size_t start = 0; start < diff.size();) {
    size_t end = diff.find('\n', start);
    end = end == std::string_view::npos ? diff.size() : end + 1;
    const std::string_view line = diff.substr(start, end - start);
    start = end;
    if (line.starts_with("--- ") || line.starts_with("+++ ")) continue;
    if (line.starts_with(kNoNewline)) {
      // The line before had no break of its own: its sign says so.
      if (!lines.empty() && lines.back().kind != DiffViewLine::Kind::kKept) {
        // The LF the diff added; a CR before it is the line's own ending.
        std::u16string& text = lines.back().text;
        if (text.ends_with(kCrLf)) {
          text.replace(text.size() - kCrLf.size(), kCrLf.size(), kCrMark);
        } else if (text.ends_with(kLfMark)) {
          text.replace(text.size() - kLfMark.size(), kLfMark.size(),
                       FromUtf8(kWindowTexts.no_line_break));
        }
      }
      continue;
    }
    switch (line.empty() ? ' ' : line.front()) {
      case '@':
        lines.push_back({DiffViewLine::Kind::kHunk, HunkText(line)});
        break;
      case '-':
        lines.push_back({DiffViewLine::Kind::kRemoved, LineText(line.substr(1), true)});
        break;
      case '+':
        lines.push_back({DiffViewLine::Kind::kAdded, LineText(line.substr(1), true)});
        break;
      default:
        lines.push_back({DiffViewLine::Kind::kKept, LineText(line.substr(1), false)});
        break;
    }
  }
  return lines;
}

}  // namespace quelbo
