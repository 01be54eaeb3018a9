#include "base/texts.h"

namespace quelbo {

extern const Texts kEnglishTexts;
const Texts kEnglishTexts = {
    .page = {"page", "pages"},
    .line = {"line", "lines"},
    .damaged_line = {"damaged line", "damaged lines"},
    .run_folder = {"run folder", "run folders"},

    .usage =
        "Usage: quelbo-batch [--trace] [--dry-run [--diff]] [SITE_FOLDER]\n"
        "       quelbo-batch --undo [RUN] [SITE_FOLDER]\n"
        "       quelbo-batch --list-runs [SITE_FOLDER] | --journal=on|off\n"
        "\n"
        "Rewrites the pages of the site in SITE_FOLDER (and, when the stored settings say\n"
        "so, in its immediate subfolders) with the stored rules, exactly as pressing Start\n"
        "in the window does, then exits. Without SITE_FOLDER the site is the folder that\n"
        "holds this program, which must then not be a system folder or a folder of\n"
        "programs such as {0}.\n"
        "\n"
        "Settings come from {1}\n"
        "(the INI file htm批处理配置.ini and its list files, in GBK), the same directory\n"
        "the window uses; {2}. Nothing is saved after the run.\n"
        "\n"
        "  --trace      print every status-line text, one per line, on stdout\n"
        "  --dry-run    change nothing: print each page that would change, with how often\n"
        "               each rule applied, then the total, on stdout\n"
        "  --diff       with --dry-run, also print each page's changes as a unified diff\n"
        "  --list-runs  list the journaled runs that can be undone (of every site, or of\n"
        "               SITE_FOLDER), with the pages each replaced and its disk use\n"
        "  --undo [RUN] restore the pages of the last run on this site (or of RUN)\n"
        "               that nobody changed since, when the journal proves their old\n"
        "               bytes; an undo can itself be undone\n"
        "  --journal=on|off  keep (the default) or stop keeping the run journal\n"
        "  --help       print this text\n"
        "  --version    print the version\n"
        "\n"
        "Exit status: 0 finished, 1 finished but pages were skipped or not restored\n"
        "(listed on stderr), 2 the run could not start (options that contradict each\n"
        "other, another run on the site), 130 stopped (after the page in work) by {3}"
        " or because stdout could not be written.\n",

    .unknown_option = "unknown option {0}",
    .second_site_folder = "more than one site folder given: {0}",
    .not_a_run_id = "{0} is neither a run id (such as 20261207-194232-00) nor a site folder",
    .journal_on_and_off = "--journal=on and --journal=off contradict each other",
    .not_together = "{0} and {1} cannot be given together",
    .diff_without_dry_run = "--diff shows what --dry-run finds: give both or neither",
    .system_folder = "{0} holds programs, not pages; name the site folder: {1}",

    .stdout_failed_stopping = "cannot write to stdout: {0}; stopping after the page in work",
    .stdout_failed = "cannot write to stdout: {0}",
    .summary = "{0} processed, {1} changed, {2} skipped",
    .preview_summary = "{0} processed, {1} would change, {2} skipped",
    .rewritten_on_bytes = "{0} rewritten on their own bytes, {1} of them in one pass",
    .skipped = "skipped: {0}: {1}",
    .not_restored = "not restored: {0}: {1}",

    .cannot_undo = "cannot undo: {0}",
    .undo_progress = "undo {0}/{1}",
    .changed_since = "changed since the run, left alone: {0}",
    .damaged_lines = "the journal of run {0} has {1} that cannot be read: not restored",
    .missing_lines = "the journal of run {0} lacks {1} that its run.txt counts: not restored",
    .unjournaled = "this undo could not be journaled ({0}): it cannot itself be undone",
    .undo_stopped = "undo of run {0} stopped: {1} restored, {2} of {3} looked at",
    .undone = "run {0} undone: {1} restored",
    .undone_as = "run {0} undone: {1} restored, as run {2}",
    .nothing_restored = "run {0}: no page restored",
    .nothing_to_restore =
        "run {0}: no page restored (every page already holds its bytes from before the run)",
    .journal_on = "run journal on",
    .journal_off = "run journal off",
    .unremoved_runs = "{0} of the run journal could not be removed ({1}); the next run tries again",

    .page_missing = "the page file does not exist",
    .not_regular_file = "not a regular file",
    .outside_site = "points outside the site folder",
    .bad_file_name = "invalid file name",
    .read_only_file = "read-only file, left unchanged",
    .changed_during_run = "changed during the run, left unchanged",
    .file_too_large = "file too large, not read",
    .cannot_read_or_write = "cannot be read or written ({0})",
    .journal_unwritable = "the journal cannot be saved, left unchanged ({0})",
    .no_page_in_work = "the current-page field is empty: no page to process",
    .link_outside_site = "link points outside the site folder, not followed",
    .name_not_utf8 = "the name is not valid UTF-8",
    .name_with_line_break = "the name holds a line break",
    .name_with_backslash = "the name holds \\ (a path separator in the page list)",
    .name_with_hash = "the name holds # (the page list drops it)",
    .special_file = "not a regular file, not processed",
    .cannot_list_folder = "cannot list the folder",
    .cannot_list_subfolders = "cannot list the subfolders",
    .with_detail = "{0} ({1})",
    .skipped_status = "skipped {0}: {1}",
    .skipped_list_entry = "{0}: {1}",

    .page_gone = "the page no longer exists, not restored",
    .left_unrestored = "{0}, not restored",
    .kept_bytes_unreadable =
        "the journal's copy of the old content cannot be read, not restored ({0})",
    .kept_bytes_damaged = "the journal's copy of the old content is damaged, not restored",

    .site_folder_gone = "the site folder no longer exists, not started: {0}",
    .site_busy = "another run is working on this site, not started: {0}",
    .site_unlockable = "cannot lock the site, not started: {0}",
    .undo_going_on_no_start = "an undo is going on, not started",
    .run_going_on_no_preview = "a run is going on, no preview",
    .journal_not_started = "the journal cannot be written, not started: {0}",
    .undo_going_on = "an undo is going on",
    .run_going_on_no_undo = "a run is going on, no undo",
    .no_run_to_undo = "no run to undo",
    .undo_failed = "undo failed: {0}",
    .undoing = "undoing...",

    .undo_stopped_status = "undo stopped: {0} restored",
    .undo_done_status = "undo finished: {0} restored",
    .undo_nothing_status = "no page restored: {0} restored",
    .undo_changed_since = ", {0} changed since the run, not restored",
    .undo_failed_pages = ", {0} could not be restored",
    .undo_damaged_lines = ", the journal has {0} damaged lines",
    .undo_missing_lines = ", the journal lacks {0} lines",
    .undo_unjournaled = "; the journal could not be written: this undo cannot itself be undone",

    .save_failed = "the settings could not be saved: {0}",
    .save_failed_not_started = "the settings could not be saved, not started: {0}",
    .config_unreadable =
        "cannot read the configuration file {0}: nothing is saved or started; restart once it "
        "is repaired",
    .extra_blocks_unreadable =
        "cannot read the configuration file {0}: more block sets not reloaded",
    .list_separator = ", ",
    .config_elsewhere = "drive D: cannot hold the settings; they are kept in {0}",

    .not_valid_in = "not valid {0}{1}, left unchanged",
    .where_in_bytes = " (line {0}, byte offset {1})",
    .utf8_cannot_write = "a character UTF-8 cannot write{0}",
    .gbk_cannot_hold = "a character GBK cannot hold{0}",
    .described = ", {0}",
    .unencodable_somewhere = "holds {0}, left unchanged",
    .replacement_holds = "the replacement texts hold {0}, left unchanged",
    .page_holds = "holds {0} on line {1}, left unchanged",
    .garbled_as = "read as {0} it would be garbled, left unchanged",
    .begins_with_bom = "the page begins with a UTF-8 byte order mark: {0}",
    .declares_on_line = "line {0} of the page declares {1} ({2}): {3}",
    .read_by_bom = "read as {0} by the UTF-8 byte order mark it begins with, but {1}",
    .read_by_declaration = "read as {2} by the declaration on line {0} ({1}), but {3}",
};

}  // namespace quelbo
