#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "run/session.h"

// The numbered faults of the windows, as one table both window test programs play through
// their real controls: the Qt window offscreen, the Windows window under Wine.

namespace quelbo::testing {

// A window under test, reached by the names of its controls (the designed controls by their
// control names; "previewButton", "undoButton", "runSummary", "skippedCount" below them).
class WindowDriver {
 public:
  virtual ~WindowDriver() = default;
  virtual Session& session() = 0;
  virtual void Click(std::string_view name) = 0;
  // Enter on the focused control.
  virtual void Enter(std::string_view name) = 0;
  virtual bool Enabled(std::string_view name) = 0;
  // What the control shows now (after any refresh held back).
  virtual std::u16string Shown(std::string_view name) = 0;
  virtual size_t PreviewRows() = 0;
  // Runs the event loop until `done` (false after a generous limit); `done` is asked between
  // events and also from within a long step's yields.
  virtual bool RunUntil(const std::function<bool()>& done) = 0;
};

enum class Act {
  kClick,         // `name`
  kEnter,         // on `name`
  kUntilTaken,    // run until the progress bar has taken `count` pages
  kUntilIdle,     // run until nothing is armed
  kUntilCounted,  // run until the status bar counts a processed page
  kUntilUndone,   // run until the undo has looked at `count` pages
  kSiteLocked,    // expects the site's lock held (`count` 1) or free (0)
  kEditPage,      // the page `name` gets bytes "edited"
  kReplaceSite,   // the site folder renamed away, another with the same pages in its place
};

// One step and what the window shows after it; an empty text, or -1, is not checked.
struct ItemStep {
  Act act;
  std::string_view name = {};
  int count = 0;
  std::u16string_view summary = {};  // the status bar's counts and skipped count, joined
  int preview_enabled = -1;
  int undo_enabled = -1;
  std::u16string_view undo_caption = {};
  std::u16string_view summary_tail = {};  // how the counts end, when they move with time
  int preview_rows = -1;
  std::string_view shown_name = {};  // a control that then shows a text beginning so
  std::u16string_view shown_start = {};
};

struct WindowItem {
  std::string_view title;
  std::span<const ItemStep> steps;
  char pages_end;         // what every page holds at the end: 'a' as made, 'b' rewritten
  int journal_runs = -1;  // complete journals at the end
  int pages = 300;        // p0.htm … on the site, each "a"
};

// The items, on a site of pages "a" whose first rule turns "a" into "b".
std::span<const WindowItem> WindowItems();

// Plays `item` on a fresh site in `site`; failures are reported with the item's title.
void PlayWindowItem(WindowDriver& window, const WindowItem& item, const std::string& site);

}  // namespace quelbo::testing
