#pragma once

#include <cstdint>
#include <string_view>

#include "panel/control_panel.h"

namespace quelbo {

// The pending-page list (RichTextBox2) as the page steps use it. The text the user sees is
// exactly what the steps' rules make of it, but taking a page costs constant time however long
// the list is: the first line goes by a prefix drop, and what is known about the rest (free of
// blank-line pairs, where its last "." is) is kept until anyone else sets the text.
class PendingPageList {
 public:
  explicit PendingPageList(ControlPanel& panel) : panel_(panel) {}

  // One left-to-right pass replacing CR LF CR LF by CR LF (three breaks in a row become two).
  void CollapseBlankLines();

  // The text before the first CR LF, or all of it.
  std::u16string_view FirstEntry() const;

  // Drops everything through the first LF; a list without LF stays as it is (false).
  bool DropFirstLine();

  // Whether a "." stands anywhere in the list.
  bool ContainsDot();

 private:
  std::u16string_view Text() const;

  ControlPanel& panel_;
  // The text version known to hold no CR LF CR LF; a prefix drop keeps the version and a
  // suffix of such a text holds none either.
  std::uint64_t clean_version_ = UINT64_MAX;
  // For dot_version_: how far the last "." stands from the end (0: none).
  std::uint64_t dot_version_ = UINT64_MAX;
  size_t last_dot_from_end_ = 0;
};

}  // namespace quelbo
