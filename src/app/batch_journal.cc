#include "app/batch_journal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>

#include "app/batch_output.h"
#include "base/paths.h"
#include "base/text_codec.h"
#include "run/headless_loop.h"
#include "settings/journal_switch.h"

namespace quelbo {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitNotStarted = 2;
constexpr int kExitInterrupted = 130;

void PrintCounts(std::FILE* out, const RewriteCounts& counts) {
  for (size_t i = 0; i < kRewriteRuleCount; ++i) {
    const std::string_view label = RuleLabel(static_cast<RewriteRule>(i));
    std::fprintf(out, "%s%.*s=%zu", i == 0 ? "" : " ", static_cast<int>(label.size()), label.data(),
                 counts.applied[i]);
  }
}

// "2026-12-07 20:42:32" in the machine's time zone.
std::string LocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const std::tm* local = std::localtime(&seconds);  // one thread: its static result is fine
  char text[32];
  const size_t size = local ? std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) : 0;
  return std::string(text, size);
}

// "512 bytes", "3.4 kB", "120.5 MB", "2.10 GB".
std::string ReadableSize(std::uint64_t bytes) {
  char text[32];
  const double value = static_cast<double>(bytes);
  if (bytes < 1000) return CountOf(static_cast<size_t>(bytes), "byte");
  if (bytes < 1000'000) {
    std::snprintf(text, sizeof text, "%.1f kB", value / 1e3);
  } else if (bytes < 1000'000'000) {
    std::snprintf(text, sizeof text, "%.1f MB", value / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.2f GB", value / 1e9);
  }
  return text;
}

// A site folder on one line of the listing.
std::string OneLine(std::string text) {
  for (size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string::npos; at += 2) {
    text.replace(at, 1, text[at] == '\n' ? "\\n" : "\\r");
  }
  return text;
}

}  // namespace

bool ParseBatchModeOption(int argc, const char* const* argv, int& i, BatchMode& mode,
                          const std::function<bool(const std::string&)>& is_folder,
                          const Texts& texts) {
  const std::string_view arg = argv[i];
  if (arg == "--dry-run") {
    mode.dry_run = true;
  } else if (arg == "--diff") {
    mode.diff = true;
  } else if (arg == "--list-runs") {
    mode.list_runs = true;
  } else if (arg == "--undo") {
    mode.undo = true;
    const std::string next = i + 1 < argc ? argv[i + 1] : "";
    if (IsRunId(next)) {
      mode.undo_id = argv[++i];
    } else if (!next.empty() && next.front() != '-' && !is_folder(next) && mode.fault.empty()) {
      mode.fault = Filled(texts.not_a_run_id, {next});
      ++i;
    }
  } else if (arg == "--journal=on" || arg == "--journal=off") {
    if (mode.journal_on && *mode.journal_on != (arg == "--journal=on") && mode.fault.empty()) {
      mode.fault = std::string(texts.journal_on_and_off);
    }
    mode.journal_on = arg == "--journal=on";
  } else {
    return false;
  }
  mode.given.emplace_back(arg);
  return true;
}

std::optional<std::string> ContradictionIn(const BatchMode& mode, bool trace, const Texts& texts) {
  if (!mode.fault.empty()) return mode.fault;
  // Each of these is a whole task of its own; two at once cannot both be done.
  std::vector<std::string> tasks;
  for (const std::string& option : mode.given) {
    if (option != "--diff" && std::find(tasks.begin(), tasks.end(), option) == tasks.end()) {
      tasks.push_back(option);
    }
  }
  if (tasks.size() > 1) return Filled(texts.not_together, {tasks[0], tasks[1]});
  if (mode.diff && !mode.dry_run) return std::string(texts.diff_without_dry_run);
  if (trace && (mode.list_runs || mode.journal_on)) {
    return Filled(texts.not_together, {tasks[0], "--trace"});
  }
  return std::nullopt;
}

void ShowPreviewPages(std::FILE* out, PreviewReport& preview, bool diff,
                      std::function<void(int)> failed) {
  preview.AddListener([out, diff, failed](const PreviewReport::Change& change) {
    errno = 0;
    std::fputs("page\t", out);
    PrintCounts(out, change.page.counts);
    std::fprintf(out, "\t%s\n", ToUtf8(change.page.entry).c_str());
    if (diff) {
      const std::string text =
          PageDiff(change.page.entry, change.old_bytes, change.new_bytes, change.encodings);
      std::fwrite(text.data(), 1, text.size(), out);
    }
    if (std::ferror(out) != 0) failed(errno);
  });
}

void PrintPreviewTotal(std::FILE* out, const PreviewReport& preview) {
  std::fputs("total\t", out);
  PrintCounts(out, preview.totals());
  std::fprintf(out, "\t%s would change\n", CountOf(preview.pages().size(), "page").c_str());
}

int ListRuns(std::FILE* out, FileSystem& fs, const ConfigStore& store,
             const std::optional<std::string>& site, const Texts& texts) {
  std::uint64_t total = 0;
  size_t listed = 0;
  const RunJournal journal(fs, RunsDirectory(store));
  errno = 0;
  for (const JournaledRun& run : journal.ListRuns()) {
    if (site && run.site != *site) continue;
    const std::string kind = run.undoes.empty() ? run.kind : run.kind + " of " + run.undoes;
    std::fprintf(out, "%s\t%s\t%s\t%s\t%s\t%s\n", run.id.c_str(), LocalTime(run.started).c_str(),
                 kind.c_str(), CountOf(run.replaced, "page").c_str(),
                 ReadableSize(run.bytes).c_str(), OneLine(ShownPath(run.site)).c_str());
    total += run.bytes;
    ++listed;
  }
  std::fprintf(out, "total\t%s\t%s\t%s%s\n", CountOf(listed, "run").c_str(),
               ReadableSize(total).c_str(), ShownPath(RunsDirectory(store)).c_str(),
               JournalOn(store) ? "" : "\t(journal off)");
  if (std::fflush(out) != 0 || std::ferror(out) != 0) {
    std::fprintf(stderr, "quelbo-batch: %s\n",
                 Filled(texts.stdout_failed, {std::strerror(errno)}).c_str());
    return kExitInterrupted;
  }
  return kExitClean;
}

int UndoRunFromCommandLine(Session& session, const std::string& id, Console& console, Clock& clock,
                           const Texts& texts) {
  if (auto started = session.StartUndo(id); !started) {
    std::fprintf(stderr, "quelbo-batch: %s\n",
                 Filled(texts.cannot_undo, {started.error().Message()}).c_str());
    return kExitNotStarted;
  }
  console.CatchStopRequests();
  HeadlessLoop loop(session.scheduler(), clock);
  const RunUndo& undo = session.undo();
  size_t drawn = 0;
  const auto ended = loop.Run([&] {
    if (console.ShowsProgress() && undo.done() >= drawn + 64) {
      drawn = undo.done();
      console.DrawProgress(
          Filled(texts.undo_progress, {std::to_string(drawn), std::to_string(undo.total())}));
    }
    return console.StopRequested();
  });
  if (ended != HeadlessLoop::Outcome::kIdle) session.StopUndo();
  if (console.ShowsProgress()) console.ClearProgress();

  const UndoOutcome& outcome = undo.outcome();
  auto say = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  for (const std::u16string& entry : outcome.changed_since) {
    say(Filled(texts.changed_since, {ToUtf8(entry)}));
  }
  for (const SkippedPage& page : outcome.failed) PrintSkipped(stderr, page, texts.not_restored);
  const std::string& run = outcome.undone;
  if (outcome.damaged_lines > 0) {
    say(Filled(texts.damaged_lines, {run, Counted(outcome.damaged_lines, texts.damaged_line)}));
  }
  if (outcome.missing_lines > 0) {
    say(Filled(texts.missing_lines, {run, Counted(outcome.missing_lines, texts.line)}));
  }
  if (!outcome.unjournaled.empty()) say(Filled(texts.unjournaled, {outcome.unjournaled}));
  PrintUnremovedRuns(stderr, texts, session.journal().unremoved());
  const std::string restored = Counted(outcome.restored, texts.page);
  if (outcome.stopped) {
    say(Filled(texts.undo_stopped,
               {run, restored, std::to_string(undo.done()), std::to_string(undo.total())}));
  } else if (outcome.restored > 0) {
    say(outcome.journal.empty() ? Filled(texts.undone, {run, restored})
                                : Filled(texts.undone_as, {run, restored, outcome.journal}));
  } else {
    say(Filled(outcome.Complete() && outcome.unchanged > 0 ? texts.nothing_to_restore
                                                           : texts.nothing_restored,
               {run}));
  }
  if (outcome.stopped) return kExitInterrupted;
  return outcome.Complete() ? kExitClean : kExitIncomplete;
}

int SwitchJournal(const ConfigStore& store, bool on, const Texts& texts) {
  store.MakeDirectory();
  if (auto saved = SetJournalOn(store, on); !saved) {
    std::fprintf(stderr, "quelbo-batch: %s\n", saved.error().Message().c_str());
    return kExitNotStarted;
  }
  std::fprintf(stderr, "%s\n", std::string(on ? texts.journal_on : texts.journal_off).c_str());
  return kExitClean;
}

}  // namespace quelbo
