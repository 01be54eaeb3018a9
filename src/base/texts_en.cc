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
};

}  // namespace quelbo
