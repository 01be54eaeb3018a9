#pragma once

#include <string_view>
#include <utility>

#include "page/rewrite_counts.h"
#include "panel/control.h"

// The texts only the window says, each written once. They live beside the presenter rather
// than with the per-language tables in base/texts_*.cc because the window speaks the form's
// language only: a second language would be a table for nobody. Patterns name their values
// {0}, {1}, … for Filled().

namespace quelbo {

struct WindowTexts {
  // The status bar.
  std::string_view site_folder;       // {0} the folder
  std::string_view run_summary;       // {0} pages processed, {1} changed
  std::string_view skipped_count;     // {0} pages
  std::string_view preview_going;     // {0} pages looked at, {1} would change
  std::string_view preview_summary;   // {0} pages that would change
  std::string_view preview_done;      // {0} pages that would change: the status line
  std::string_view undo, redo;        // what the undo button does, its caption
  std::string_view looked_at;         // {0} pages looked at, {1} of all
  std::string_view undo_going;        // {0} undo or redo, {1} looked at
  std::string_view undo_stopped;      // {0} undo or redo, {1} looked at, {2} pages restored
  std::string_view undo_done;         // {0} undo or redo, {1} pages restored
  std::string_view left_alone_count;  // {0} pages
  std::string_view changed_since_run;
  std::string_view undo_tip, redo_tip;  // {0} runs journaled, {1} megabytes they take
  std::string_view field_description;   // {0} what the field holds, {1} its control name
  std::string_view name_separator;
  std::string_view saved_substitutes;  // {0} the fields

  // The preview list: a rule's name, each as the window names its fields.
  std::string_view rule_applied;  // {0} the rule, {1} how often
  std::string_view rule_names[kRewriteRuleCount];
  std::pair<Control, std::string_view> field_names[19];

  // The diff of a previewed page.
  std::string_view no_line_break;
  std::string_view hunk;        // {0} old range, {1} new range
  std::string_view hunk_range;  // {0} first line, {1} lines

  // The journal row, start-up and the folder dialog.
  std::string_view keep_journal;
  std::string_view preview;
  std::string_view skipped_tip;
  std::string_view site_folder_missing;  // {0} the folder given
  std::string_view choose_site_folder;
};

extern const WindowTexts kWindowTexts;

}  // namespace quelbo
