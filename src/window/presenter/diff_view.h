#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelbo {

// One line of a page's diff as the window shows it.
struct DiffViewLine {
  enum class Kind { kHunk, kKept, kRemoved, kAdded };
  Kind kind;
  std::u16string text;

  friend bool operator==(const DiffViewLine&, const DiffViewLine&) = default;
};

// The window's view of a unified diff (as PageDiff writes it, UTF-8): the file header dropped
// (the list names the page), each hunk headed in Chinese, and each removed or added line ending
// in a sign for its line break ("[CR LF]", "[LF]", "[CR]", "[无换行]" for none), so that a line
// whose only change is its line break shows two different lines. A bare CR inside a line shows
// as "[CR]" too.
std::vector<DiffViewLine> DiffView(std::string_view unified_diff);

}  // namespace quelbo
