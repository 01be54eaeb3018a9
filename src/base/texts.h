#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// The system's own texts beyond the form's, one table per language (texts_en.cc,
// texts_zh.cc). The form's own status-line texts stay with the steps that write them. Patterns
// name their values {0}, {1}, … so that each language may order them as it needs.

namespace quelbo {

enum class Language : std::uint8_t { kEnglish, kChinese };
inline constexpr size_t kLanguageCount = 2;
inline constexpr size_t Index(Language language) { return static_cast<size_t>(language); }
// The window's language, as the form's: what the core says unless told another.
inline constexpr Language kFormLanguage = Language::kChinese;

// A noun as counted: "1 page", "2 pages"; Chinese counts with one form.
struct Noun {
  std::string_view one;
  std::string_view many;
};

struct Texts {
  Noun page, line, damaged_line, run_folder;

  // Help: {0} folders of programs, {1} the configuration directory, {2} how it is chosen,
  // {3} how a stop is asked for.
  std::string_view usage;

  // The command line.
  std::string_view unknown_option;      // {0} the option
  std::string_view second_site_folder;  // {0} the second folder
  std::string_view not_a_run_id;        // {0} the argument
  std::string_view journal_on_and_off;
  std::string_view not_together;  // {0}, {1} the options
  std::string_view diff_without_dry_run;
  std::string_view system_folder;  // {0} the folder, {1} the usage line

  // The run and its end.
  std::string_view stdout_failed_stopping;  // {0} the system's reason
  std::string_view stdout_failed;           // {0} the system's reason
  std::string_view summary;                 // {0} pages processed, {1} changed, {2} skipped
  std::string_view preview_summary;         // the same for a dry run
  std::string_view rewritten_on_bytes;      // {0} pages, {1} of them in one pass
  std::string_view skipped;                 // {0} entry, {1} reason
  std::string_view not_restored;            // {0} entry, {1} reason

  // The journal.
  std::string_view cannot_undo;         // {0} why
  std::string_view undo_progress;       // {0} pages looked at, {1} of all
  std::string_view changed_since;       // {0} entry
  std::string_view damaged_lines;       // {0} run, {1} lines
  std::string_view missing_lines;       // {0} run, {1} lines
  std::string_view unjournaled;         // {0} why
  std::string_view undo_stopped;        // {0} run, {1} pages, {2} looked at, {3} of all
  std::string_view undone;              // {0} run, {1} pages
  std::string_view undone_as;           // {0} run, {1} pages, {2} the undo's own run
  std::string_view nothing_restored;    // {0} run
  std::string_view nothing_to_restore;  // {0} run: every page holds its old bytes already
  std::string_view journal_on;
  std::string_view journal_off;
  std::string_view unremoved_runs;  // {0} run folders, {1} the first refusal

  // Why a page or a name was left alone, as a run reports it (status line and report).
  std::string_view page_missing;
  std::string_view not_regular_file;
  std::string_view outside_site;
  std::string_view bad_file_name;
  std::string_view read_only_file;
  std::string_view changed_during_run;
  std::string_view file_too_large;
  std::string_view cannot_read_or_write;  // {0} the system's reason
  std::string_view journal_unwritable;    // {0} the system's reason
  std::string_view no_page_in_work;
  std::string_view link_outside_site;
  std::string_view name_not_utf8;
  std::string_view name_with_line_break;
  std::string_view name_with_backslash;
  std::string_view name_with_hash;
  std::string_view special_file;
  std::string_view cannot_list_folder;
  std::string_view cannot_list_subfolders;
  std::string_view with_detail;         // {0} a reason, {1} the system's detail
  std::string_view skipped_status;      // {0} entry, {1} reason: the status line
  std::string_view skipped_list_entry;  // {0} entry, {1} reason: a line of the skipped pages

  // Why an undo left a page as it is.
  std::string_view page_gone;
  std::string_view left_unrestored;        // {0} the reason the page could not be written
  std::string_view kept_bytes_unreadable;  // {0} the system's reason
  std::string_view kept_bytes_damaged;

  // Why a piece of work did not start, on the status line.
  std::string_view site_folder_gone;  // {0} the system's reason
  std::string_view site_busy;         // {0} the lock file
  std::string_view site_unlockable;   // {0} the system's reason
  std::string_view undo_going_on_no_start;
  std::string_view run_going_on_no_preview;
  std::string_view journal_not_started;  // {0} the system's reason
  std::string_view undo_going_on;
  std::string_view run_going_on_no_undo;
  std::string_view no_run_to_undo;
  std::string_view undo_failed;  // {0} the system's reason
  std::string_view undoing;

  // An undo's outcome on the status line: one opening, then each clause that applies.
  std::string_view undo_stopped_status;  // {0} pages restored
  std::string_view undo_done_status;     // {0} pages restored
  std::string_view undo_nothing_status;  // {0} pages restored
  std::string_view undo_changed_since;   // {0} pages
  std::string_view undo_failed_pages;    // {0} pages
  std::string_view undo_damaged_lines;   // {0} a number of lines
  std::string_view undo_missing_lines;   // {0} a number of lines
  std::string_view undo_unjournaled;

  // The settings.
  std::string_view save_failed;              // {0} the system's reason
  std::string_view save_failed_not_started;  // {0} the system's reason
  std::string_view config_unreadable;        // {0} the files, each with its reason
  std::string_view extra_blocks_unreadable;  // {0} the file
  std::string_view list_separator;
  std::string_view config_elsewhere;  // {0} the directory that holds the settings instead

  // Why a page was left alone for its encoding: {0} "UTF-8" or "GBK" where an encoding is named.
  std::string_view not_valid_in;           // {0} encoding, {1} where (or nothing)
  std::string_view where_in_bytes;         // {0} line, {1} byte offset
  std::string_view utf8_cannot_write;      // {0} `described`, or nothing
  std::string_view gbk_cannot_hold;        // {0} `described`, or nothing
  std::string_view described;              // {0} the character, as U+XXXX and itself
  std::string_view unencodable_somewhere;  // {0} utf8_cannot_write or gbk_cannot_hold
  std::string_view replacement_holds;      // {0} the character's description
  std::string_view page_holds;             // {0} the character's description, {1} line
  std::string_view garbled_as;             // {0} the encoding it would be read in
  std::string_view begins_with_bom;        // {0} garbled_as
  std::string_view declares_on_line;       // {0} line, {1} encoding, {2} as written, {3} garbled_as
  std::string_view read_by_bom;            // {0} encoding, {1} why it is not valid
  std::string_view read_by_declaration;    // {0} line, {1} as written, {2} encoding, {3} why
};

const Texts& TextsIn(Language language);

// `pattern` with {0}, {1}, … replaced by `values` in that order of numbers.
std::string Filled(std::string_view pattern, std::initializer_list<std::string_view> values);
// The same for the panel's UTF-16 texts.
std::u16string FilledUtf16(std::string_view pattern,
                           std::initializer_list<std::u16string_view> values);

// "1 page", "3 pages", "3 个页面".
std::string Counted(size_t count, const Noun& noun);

}  // namespace quelbo
