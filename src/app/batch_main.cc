// quelbo-batch: the panel without a window. It loads the stored settings, presses Start, and
// drives the run to its end.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch_journal.h"
#include "app/batch_output.h"
#include "base/paths.h"
#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "platform/console.h"
#include "platform/locations.h"
#include "platform/program_arguments.h"
#include "platform/site_places.h"
#include "run/command_line.h"
#include "run/headless_loop.h"
#include "run/session.h"
#include "run/site_folder.h"
#include "settings/config_place_message.h"

namespace {

using namespace quelbo;

constexpr int kExitClean = 0;
constexpr int kExitPagesSkipped = 1;
constexpr int kExitNotStarted = 2;
constexpr int kExitInterrupted = 130;

void PrintUsage(std::FILE* out, const std::string& config_directory) {
  std::fprintf(out,
               "Usage: quelbo-batch [--trace] [--dry-run [--diff]] [SITE_FOLDER]\n"
               "       quelbo-batch --undo [RUN] [SITE_FOLDER]\n"
               "       quelbo-batch --list-runs [SITE_FOLDER] | --journal=on|off\n"
               "\n"
               "Rewrites the pages of the site in SITE_FOLDER (and, when the stored settings say\n"
               "so, in its immediate subfolders) with the stored rules, exactly as pressing Start\n"
               "in the window does, then exits. Without SITE_FOLDER the site is the folder that\n"
               "holds this program, which must then not be a system folder or a folder of\n"
               "programs such as %s.\n"
               "\n"
               "Settings come from %s\n"
               "(the INI file htm批处理配置.ini and its list files, in GBK), the same directory\n"
               "the window uses; %s. Nothing is saved after the run.\n"
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
               "other, another run on the site), 130 stopped (after the page in work) by %s"
               " or because stdout could not be written.\n",
               kProgramFolderExamples, ShownPath(config_directory).c_str(), kConfigDirectoryChoice,
               kStopRequestNames);
}

int RunBatch(int argc, char** argv, Console& console) {
  const ConfigPlace config_place = ConfigDirectoryPlace();
  const std::string& config_directory = config_place.directory;
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> utf8_argv;
  for (const std::string& argument : arguments) utf8_argv.push_back(argument.c_str());
  const std::unique_ptr<FileSystem> machine_fs = NewMachineFileSystem();
  FileSystem& fs = *machine_fs;
  // The journal's options first; what is left is the common command line.
  BatchMode mode;
  auto is_folder = [&fs](const std::string& path) {
    const auto info = fs.Stat(path);
    return info && info->type == FileType::kDirectory;
  };
  std::vector<const char*> rest = {utf8_argv[0]};
  const int count = static_cast<int>(utf8_argv.size());
  for (int i = 1; i < count; ++i) {
    if (std::string_view(utf8_argv[static_cast<size_t>(i)]) == "--") {
      rest.insert(rest.end(), utf8_argv.begin() + i, utf8_argv.end());
      break;
    }
    if (!ParseBatchModeOption(count, utf8_argv.data(), i, mode, is_folder)) {
      rest.push_back(utf8_argv[static_cast<size_t>(i)]);
    }
  }
  const auto line = ParseCommandLine(static_cast<int>(rest.size()), rest.data(),
                                     CommandLineOptions{.trace = true});
  if (!line) {
    std::fprintf(stderr, "quelbo-batch: %s\n", line.error().c_str());
    PrintUsage(stderr, config_directory);
    return kExitNotStarted;
  }
  if (line->help) {
    PrintUsage(stdout, config_directory);
    return kExitClean;
  }
  if (line->version) {
    std::printf("%s\n", VersionLine("quelbo-batch").c_str());
    return kExitClean;
  }
  // Refused before anything is touched: half of two tasks is neither.
  if (const auto contradiction = ContradictionIn(mode, line->trace)) {
    std::fprintf(stderr, "quelbo-batch: %s\n", contradiction->c_str());
    return kExitNotStarted;
  }
  const bool trace = line->trace;

  // The journal's listing and switch need no site: only the configuration directory.
  if (mode.list_runs || mode.journal_on) {
    const ConfigStore store(fs, config_directory, /*read_only=*/mode.list_runs);
    if (mode.journal_on) return SwitchJournal(store, *mode.journal_on);
    std::optional<std::string> site;
    if (line->site_folder) {
      const auto folder = SiteFolderFor(fs, line->site_folder);
      const auto resolved = folder ? fs.RealPath(folder->path) : Result<std::string>("");
      if (!folder || !resolved) {
        const Error& error = folder ? resolved.error() : folder.error();
        std::fprintf(stderr, "quelbo-batch: %s\n", error.Message().c_str());
        return kExitNotStarted;
      }
      site = *resolved;
    }
    return ListRuns(stdout, fs, store, site);
  }

  const auto root = SiteFolderFor(fs, line->site_folder);
  if (!root) {
    std::fprintf(stderr, "quelbo-batch: %s\n", root.error().Message().c_str());
    return kExitNotStarted;
  }
  // An installed copy started without a folder would otherwise work on /usr/bin.
  if (!root->given && IsSystemFolder(root->path)) {
    std::fprintf(stderr, "quelbo-batch: %s holds programs, not pages; name the site folder: %s\n",
                 ShownPath(root->path).c_str(), "quelbo-batch [--trace] SITE_FOLDER");
    return kExitNotStarted;
  }
  SteadyClock clock;
  // A preview only reads the configuration: it makes, saves and locks nothing there.
  auto created = Session::Create(
      fs, clock, SessionPaths{root->path, config_directory, /*read_only=*/mode.dry_run});
  if (!created) {
    std::fprintf(stderr, "quelbo-batch: %s\n", created.error().Message().c_str());
    return kExitNotStarted;
  }
  Session& session = **created;
  if (mode.undo) return UndoRunFromCommandLine(session, mode.undo_id, console, clock);
  ControlPanel& panel = session.panel();
  HeadlessLoop loop(session.scheduler(), clock);

  const bool show_progress = console.ShowsProgress();
  // A trace that cannot be written (a reader that went away, a full device) ends the run as a
  // stop request does: said once on stderr, and nothing more is written to stdout.
  bool trace_failed = false;
  auto trace_write_failed = [&](int errno_value) {
    if (trace_failed) return;
    trace_failed = true;
    if (show_progress) console.ClearProgress();
    std::fprintf(stderr,
                 "quelbo-batch: cannot write to stdout: %s; stopping after the page in work\n",
                 std::strerror(errno_value));
    console.RequestStop();
  };
  if (mode.dry_run) ShowPreviewPages(stdout, session.preview(), mode.diff, trace_write_failed);

  // Each trace line goes out as it is written, so that a reader can follow the run live.
  if (trace) std::setvbuf(stdout, nullptr, _IOLBF, 0);
  panel.AddObserver([&](Control control) {
    if (control == kStatusLine && trace && !trace_failed) {
      errno = 0;
      if (!PrintTraceLine(stdout, panel.Text(kStatusLine))) trace_write_failed(errno);
    }
    if (control == kCurrentPage && show_progress) {
      const RunReport& report = session.report();
      console.DrawProgress(ProgressLine(report.processed() + report.skipped().size(),
                                        panel.ProgressBar().max, panel.Text(kCurrentPage)));
    }
  });
  session.report().AddSkipListener([&](const SkippedPage& page) {
    if (show_progress) console.ClearProgress();
    PrintSkipped(stderr, page);
  });

  console.CatchStopRequests();

  session.LoadSettings();
  if (config_place.instead_of_usual) {
    panel.SetText(kStatusLine, UsualConfigPlaceUnusableMessage(config_directory));
    std::fprintf(stderr, "quelbo-batch: %s\n", ToUtf8(panel.Text(kStatusLine)).c_str());
  }
  if (!session.StartRun(mode.dry_run)) {
    std::fprintf(stderr, "quelbo-batch: %s\n", ToUtf8(panel.Text(kStatusLine)).c_str());
    return kExitNotStarted;
  }
  const auto outcome = loop.Run([&console] { return console.StopRequested(); });
  session.FinishWrites();
  errno = 0;
  if (!trace_failed && std::fflush(stdout) != 0) trace_write_failed(errno);
  if (show_progress) console.ClearProgress();
  if (mode.dry_run && !trace_failed) {
    PrintPreviewTotal(stdout, session.preview());
    errno = 0;
    if (std::fflush(stdout) != 0) trace_write_failed(errno);
  }
  PrintSummary(stderr, session.report(), trace, mode.dry_run);
  if (outcome == HeadlessLoop::Outcome::kStopRequested || trace_failed) return kExitInterrupted;
  return session.report().skipped().empty() ? kExitClean : kExitPagesSkipped;
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<Console> console = MakeConsole();
  const int status = RunBatch(argc, argv, *console);
  console->KeepOwnWindowOpen();
  return status;
}
