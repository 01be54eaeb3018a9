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
#include "platform/user_language.h"
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

void PrintUsage(std::FILE* out, const std::string& config_directory, Language language) {
  const size_t in = Index(language);
  const std::string usage =
      Filled(TextsIn(language).usage, {kProgramFolderExamples[in], ShownPath(config_directory),
                                       kConfigDirectoryChoice[in], kStopRequestNames[in]});
  std::fwrite(usage.data(), 1, usage.size(), out);
}

int RunBatch(int argc, char** argv, Console& console) {
  UseUserLanguageForSystemMessages();
  const Language language = UserLanguage();
  const Texts& texts = TextsIn(language);
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
    if (!ParseBatchModeOption(count, utf8_argv.data(), i, mode, is_folder, texts)) {
      rest.push_back(utf8_argv[static_cast<size_t>(i)]);
    }
  }
  const auto line = ParseCommandLine(static_cast<int>(rest.size()), rest.data(),
                                     CommandLineOptions{.trace = true}, texts);
  if (!line) {
    std::fprintf(stderr, "quelbo-batch: %s\n", line.error().c_str());
    PrintUsage(stderr, config_directory, language);
    return kExitNotStarted;
  }
  if (line->help) {
    PrintUsage(stdout, config_directory, language);
    return kExitClean;
  }
  if (line->version) {
    std::printf("%s\n", VersionLine("quelbo-batch").c_str());
    return kExitClean;
  }
  // Refused before anything is touched: half of two tasks is neither.
  if (const auto contradiction = ContradictionIn(mode, line->trace, texts)) {
    std::fprintf(stderr, "quelbo-batch: %s\n", contradiction->c_str());
    return kExitNotStarted;
  }
  const bool trace = line->trace;

  // The journal's listing and switch need no site: only the configuration directory.
  if (mode.list_runs || mode.journal_on) {
    const ConfigStore store(fs, config_directory, /*read_only=*/mode.list_runs);
    if (mode.journal_on) return SwitchJournal(store, *mode.journal_on, texts);
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
    return ListRuns(stdout, fs, store, site, texts);
  }

  const auto root = SiteFolderFor(fs, line->site_folder);
  if (!root) {
    std::fprintf(stderr, "quelbo-batch: %s\n", root.error().Message().c_str());
    return kExitNotStarted;
  }
  // An installed copy started without a folder would otherwise work on /usr/bin.
  if (!root->given && IsSystemFolder(root->path)) {
    const std::string refusal =
        Filled(texts.system_folder, {ShownPath(root->path), "quelbo-batch [--trace] SITE_FOLDER"});
    std::fprintf(stderr, "quelbo-batch: %s\n", refusal.c_str());
    return kExitNotStarted;
  }
  SteadyClock clock;
  // A preview only reads the configuration: it makes, saves and locks nothing there.
  auto created = Session::Create(
      fs, clock, SessionPaths{root->path, config_directory, /*read_only=*/mode.dry_run, language});
  if (!created) {
    std::fprintf(stderr, "quelbo-batch: %s\n", created.error().Message().c_str());
    return kExitNotStarted;
  }
  Session& session = **created;
  if (mode.undo) return UndoRunFromCommandLine(session, mode.undo_id, console, clock, texts);
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
    std::fprintf(stderr, "quelbo-batch: %s\n",
                 Filled(texts.stdout_failed_stopping, {std::strerror(errno_value)}).c_str());
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
    PrintSkipped(stderr, page, texts.skipped);
  });

  console.CatchStopRequests();

  session.LoadSettings();
  if (config_place.instead_of_usual) {
    panel.SetText(kStatusLine, UsualConfigPlaceUnusableMessage(config_directory, texts));
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
  PrintSummary(stderr, texts, session.report(), trace, mode.dry_run);
  PrintUnremovedRuns(stderr, texts, session.journal().unremoved());
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
