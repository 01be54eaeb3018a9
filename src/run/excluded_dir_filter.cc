#include "run/excluded_dir_filter.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "page/replacement_rules.h"
#include "panel/settings_fields.h"
#include "run/list_texts.h"

namespace quelbo {
namespace {

std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view separator) {
  std::vector<std::u16string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    pieces.emplace_back(text.substr(start, at == std::u16string_view::npos ? at : at - start));
    if (at == std::u16string_view::npos) return pieces;
    start = at + separator.size();
  }
}

// The count is a 16-bit number; past its limit it stays there, since only "not zero" matters.
constexpr int kCountLimit = std::numeric_limits<std::int16_t>::max();

}  // namespace

void FilterExcludedDirectories(ControlPanel& panel, StepScheduler& scheduler,
                               const std::function<void(int)>& on_count) {
  const std::vector<std::u16string> names = Split(panel.Text(kDirectoryQueue), kCrLf);
  panel.SetText(kDirectoryQueue, u"");
  for (const std::u16string& name : names) {
    const std::vector<std::u16string> entries = Split(panel.Text(field::excludedDirs), u"|");
    int count = 0;
    for (const std::u16string& raw_entry : entries) {
      const std::u16string entry = StripLineBreaks(raw_entry);
      const bool active = entry.find(u'#') == std::u16string::npos;
      if (active && !name.empty() && name.find(entry) == std::u16string::npos &&
          count < kCountLimit) {
        ++count;
        if (on_count) on_count(count);
      }
      scheduler.Yield();
    }
    if (count != 0) {
      panel.PrependText(kDirectoryQueue, name + std::u16string(kCrLf));
    }
    scheduler.Yield();
  }
  panel.SetText(kDirectoryQueue,
                CollapseBlankLinePairs(std::u16string(panel.Text(kDirectoryQueue))));
}

void TestExcludedDirectoryFilter(ControlPanel& panel, StepScheduler& scheduler) {
  panel.SetText(kStatusLine, u"过滤提取子目录名字");
  if (!panel.Text(field::excludedDirs).empty()) {
    FilterExcludedDirectories(panel, scheduler, [&panel](int count) {
      panel.SetText(Control::Form1, DecimalText(count));
    });
  }
  panel.SetText(kDirectoryQueue,
                std::u16string(panel.Text(kDirectoryQueue)) + std::u16string(kQueueEndMarkers));
  panel.SetText(kStatusLine, u"okle");
}

}  // namespace quelbo
