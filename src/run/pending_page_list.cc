#include "run/pending_page_list.h"

#include <string>

#include "page/text_search.h"
#include "panel/settings_fields.h"
#include "run/list_texts.h"

namespace quelbo {

std::u16string_view PendingPageList::Text() const { return panel_.Text(kPendingPages); }

void PendingPageList::CollapseBlankLines() {
  if (panel_.TextVersion(kPendingPages) == clean_version_) return;
  const std::u16string_view text = Text();
  const TextSearcher pair(kBlankLinePair);
  if (pair.FindIn(text) != std::u16string_view::npos) {
    panel_.SetText(kPendingPages, CollapseBlankLinePairs(std::u16string(text)));
    // One pass halves each run of breaks, so a list is clean after a few passes at most.
    if (pair.FindIn(Text()) != std::u16string_view::npos) return;
  }
  clean_version_ = panel_.TextVersion(kPendingPages);
}

std::u16string_view PendingPageList::FirstEntry() const {
  const std::u16string_view text = Text();
  return text.substr(0, text.find(u"\r\n"));
}

bool PendingPageList::DropFirstLine() {
  const size_t lf = Text().find(u'\n');
  if (lf == std::u16string_view::npos) return false;
  panel_.DropTextPrefix(kPendingPages, lf + 1);
  return true;
}

bool PendingPageList::ContainsDot() {
  const std::u16string_view text = Text();
  if (panel_.TextVersion(kPendingPages) != dot_version_) {
    const size_t dot = text.rfind(u'.');
    last_dot_from_end_ = dot == std::u16string_view::npos ? 0 : text.size() - dot;
    dot_version_ = panel_.TextVersion(kPendingPages);
  }
  return last_dot_from_end_ != 0 && last_dot_from_end_ <= text.size();
}

}  // namespace quelbo
