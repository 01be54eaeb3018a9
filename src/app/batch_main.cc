// quelbo-batch: the panel without a window. It loads the stored settings, presses Start, and
// drives the run to its end.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/batch_journal.h"
#include "app/batch_output.h"
#include "panel/settings_fields.h"
#include "platform/locations.h"
#include "platform/text_codec.h"
#include "run/headless_loop.h"
#include "run/session.h"

namespace {

using namespace quelbo;

constexpr int kExitClean = 0;
constexpr int kExitPagesSkipped = 1;
constexpr int kExitNotStarted = 2;
constexpr int kExitInterrupted = 130;

volatile std::sig_atomic_t g_stop_requested = 0;

void RequestStop(int) { g_stop_requested = 1; }

void PrintUsage(std::FILE* out, const std::string& config_directory) {
  std::fprintf(out,
               "Usage: quelbo-batch [--trace] [--dry-run [--diff]]\n"
               "       quelbo-batch --list-runs | --undo [RUN] | --journal=on|off\n"
               "\n"
               "Rewrites the pages of the site in the directory that holds this program (and,\n"
               "when the stored settings say so, its immediate subdirectories) with the stored\n"
               "rules, exactly as pressing Start in the window does, then exits.\n"
               "\n"
               "Settings come from %s\n"
               "(the INI file htm批处理配置.ini and its list files, in GBK), the same directory\n"
               "the window uses; $XDG_CONFIG_HOME, when set to an absolute path, replaces\n"
               "~/.config. Nothing is saved after the run.\n"
               "\n"
               "  --trace   print every status-line text, one per line, on stdout\n"
               "  --dry-run change nothing: print each page that would change, with how often\n"
               "            each rule applied, then the total, on stdout\n"
               "  --diff    with --dry-run, also print each page's changes as a unified diff\n"
               "  --list-runs  list the journaled runs that can be undone, and their disk use\n"
               "  --undo [RUN] restore the pages of the last run on this site (or of RUN)\n"
               "            that nobody changed since; an undo can itself be undone\n"
               "  --journal=on|off  keep (the default) or stop keeping the run journal\n"
               "  --help    print this text\n"
               "\n"
               "Exit status: 0 finished, 1 finished but pages were skipped (listed on stderr),\n"
               "2 the run could not start, 130 stopped by SIGINT or SIGTERM.\n",
               config_directory.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string config_directory = ConfigDirectory();
  bool trace = false;
  BatchMode mode;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (ParseBatchModeOption(argc, argv, i, mode)) continue;
    if (arg == "--trace") {
      trace = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout, config_directory);
      return kExitClean;
    } else {
      std::fprintf(stderr, "quelbo-batch: unknown option %s\n", argv[i]);
      PrintUsage(stderr, config_directory);
      return kExitNotStarted;
    }
  }

  const auto root = ExecutableDirectory();
  if (!root) {
    std::fprintf(stderr, "quelbo-batch: %s\n", root.error().Message().c_str());
    return kExitNotStarted;
  }
  const std::unique_ptr<FileSystem> machine_fs = NewMachineFileSystem();
  FileSystem& fs = *machine_fs;
  SteadyClock clock;
  auto created = Session::Create(fs, clock, SessionPaths{*root, config_directory});
  if (!created) {
    std::fprintf(stderr, "quelbo-batch: %s\n", created.error().Message().c_str());
    return kExitNotStarted;
  }
  Session& session = **created;
  if (mode.list_runs) return ListRuns(stdout, session);
  if (mode.undo) return UndoRunFromCommandLine(session, mode.undo_id);
  if (mode.journal_on) return SwitchJournal(session, *mode.journal_on);
  if (mode.dry_run) ShowPreviewPages(stdout, session.preview(), mode.diff);
  ControlPanel& panel = session.panel();
  HeadlessLoop loop(session.scheduler(), clock);

  // Each trace line goes out as it is written, so that a reader can follow the run live.
  if (trace) std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const bool show_progress = ::isatty(STDERR_FILENO) != 0;
  panel.AddObserver([&](Control control) {
    if (control == kStatusLine && trace) PrintTraceLine(stdout, panel.Text(kStatusLine));
    if (control == kCurrentPage && show_progress) {
      const RunReport& report = session.report();
      PrintProgress(stderr, report.processed() + report.skipped().size(), panel.ProgressBar().max,
                    panel.Text(kCurrentPage));
    }
  });
  session.report().AddSkipListener([&](const SkippedPage& page) {
    if (show_progress) std::fputs("\r\033[K", stderr);
    PrintSkipped(stderr, page);
  });

  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  // Past a file-size limit a write should fail and be reported, not kill the program.
  std::signal(SIGXFSZ, SIG_IGN);

  session.LoadSettings();
  if (!session.StartRun(mode.dry_run)) {
    std::fprintf(stderr, "quelbo-batch: %s\n", ToUtf8(panel.Text(kStatusLine)).c_str());
    return kExitNotStarted;
  }
  const auto outcome = loop.Run([] { return g_stop_requested != 0; });
  if (mode.dry_run) PrintPreviewTotal(stdout, session.preview());
  std::fflush(stdout);
  if (show_progress) std::fputs("\r\033[K", stderr);
  PrintSummary(stderr, session.report());
  if (outcome == HeadlessLoop::Outcome::kStopRequested) return kExitInterrupted;
  return session.report().skipped().empty() ? kExitClean : kExitPagesSkipped;
}
