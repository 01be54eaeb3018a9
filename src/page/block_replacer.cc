#include "page/block_replacer.h"

#include <array>
#include <optional>

#include "page/replacement_rules.h"
#include "page/text_search.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

// Where CutBlock's block lies, and whether the end marker follows the start marker: through the
// end marker as a 1-based position would count it, so one character more than the span; when
// the end marker is not there, as long as the end marker.
struct BlockPlace {
  size_t at;
  size_t length;
  bool end_follows;
};

std::optional<BlockPlace> PlaceBlock(std::u16string_view page, std::u16string_view start,
                                     std::u16string_view end) {
  const auto start_at = FindText(page, start);
  if (!start_at) return std::nullopt;
  const auto end_in_tail = FindText(page.substr(*start_at), end);
  return BlockPlace{*start_at, (end_in_tail ? *end_in_tail + 1 : 0) + end.size(),
                    end_in_tail.has_value()};
}

}  // namespace

std::u16string CutBlock(std::u16string_view page, std::u16string_view start,
                        std::u16string_view end) {
  const auto place = PlaceBlock(page, start, end);
  if (!place) return std::u16string(kBlockNotFound);
  return std::u16string(page.substr(place->at, place->length));
}

std::u16string ApplyBlockSets(std::u16string page, const ControlPanel& panel,
                              RewriteCounts* counts) {
  for (size_t index = 0; index < kBlockSets.size(); ++index) {
    const BlockSetFields& set = kBlockSets[index];
    if (!panel.Ticked(set.enabled)) continue;
    const std::u16string_view start = panel.Text(set.start);
    const std::u16string_view end = panel.Text(set.end);
    // An empty end marker would cut a single character and replace it all over the page (every
    // "<" of a site for an unfilled set): a set without an end marker does nothing.
    if (end.empty()) continue;
    const std::u16string_view view = page;
    const auto place = PlaceBlock(view, start, end);
    if (!place) continue;
    // The end marker must be somewhere in the page; when it is not after the start marker,
    // only the text before that can still hold it.
    if (!place->end_follows && !FindText(view.substr(0, place->at + end.size() - 1), end)) {
      continue;
    }
    const std::u16string block(view.substr(place->at, place->length));
    // A block that begins with the start marker cannot occur before its first occurrence.
    const size_t search_from = block.size() >= start.size() ? place->at : 0;
    size_t* replaced = counts != nullptr
                           ? &(*counts)[static_cast<RewriteRule>(
                                 static_cast<size_t>(RewriteRule::kBlockSet0) + index)]
                           : nullptr;
    page =
        ReplaceAllFrom(std::move(page), block, panel.Text(set.replacement), search_from, replaced);
  }
  return page;
}

}  // namespace quelbo
