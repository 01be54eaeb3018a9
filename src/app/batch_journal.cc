#include "app/batch_journal.h"

#include <cctype>
#include <string_view>

#include "base/paths.h"
#include "base/text_codec.h"
#include "settings/journal_switch.h"

namespace quelbo {
namespace {

void PrintCounts(std::FILE* out, const RewriteCounts& counts) {
  for (size_t i = 0; i < kRewriteRuleCount; ++i) {
    const std::string_view label = RuleLabel(static_cast<RewriteRule>(i));
    std::fprintf(out, "%s%.*s=%zu", i == 0 ? "" : " ", static_cast<int>(label.size()), label.data(),
                 counts.applied[i]);
  }
}

}  // namespace

namespace {

// A run's id ("20261207-194232-00") as opposed to a site folder after --undo.
bool LooksLikeRunId(std::string_view arg) {
  return !arg.empty() && std::isdigit(static_cast<unsigned char>(arg.front())) &&
         arg.find_first_not_of("0123456789-") == std::string_view::npos;
}

}  // namespace

bool ParseBatchModeOption(int argc, const char* const* argv, int& i, BatchMode& mode) {
  const std::string_view arg = argv[i];
  if (arg == "--dry-run") {
    mode.dry_run = true;
  } else if (arg == "--diff") {
    mode.diff = true;
  } else if (arg == "--list-runs") {
    mode.list_runs = true;
  } else if (arg == "--undo") {
    mode.undo = true;
    if (i + 1 < argc && LooksLikeRunId(argv[i + 1])) mode.undo_id = argv[++i];
  } else if (arg == "--journal=on" || arg == "--journal=off") {
    mode.journal_on = arg == "--journal=on";
  } else {
    return false;
  }
  return true;
}

void ShowPreviewPages(std::FILE* out, PreviewReport& preview, bool diff) {
  preview.AddListener([out, diff](const PreviewReport::Change& change) {
    std::fputs("page\t", out);
    PrintCounts(out, change.page.counts);
    std::fprintf(out, "\t%s\n", ToUtf8(change.page.entry).c_str());
    if (diff) {
      const std::string text =
          PageDiff(change.page.entry, change.old_bytes, change.new_bytes, change.encodings);
      std::fwrite(text.data(), 1, text.size(), out);
    }
  });
}

void PrintPreviewTotal(std::FILE* out, const PreviewReport& preview) {
  std::fputs("total\t", out);
  PrintCounts(out, preview.totals());
  std::fprintf(out, "\t%zu pages would change\n", preview.pages().size());
}

int ListRuns(std::FILE* out, Session& session) {
  std::uint64_t total = 0;
  const std::vector<JournaledRun> runs = session.journal().ListRuns();
  for (const JournaledRun& run : runs) {
    const std::string kind = run.undoes.empty() ? run.kind : run.kind + " of " + run.undoes;
    std::fprintf(out, "%s\t%s\t%s\t%zu pages\t%llu bytes\t%s\n", run.id.c_str(),
                 run.started.c_str(), kind.c_str(), run.pages,
                 static_cast<unsigned long long>(run.bytes), ShownPath(run.site).c_str());
    total += run.bytes;
  }
  std::fprintf(out, "total\t%zu runs\t%llu bytes\t%s%s\n", runs.size(),
               static_cast<unsigned long long>(total),
               ShownPath(RunsDirectory(session.store())).c_str(),
               JournalOn(session.store()) ? "" : "\t(journal off)");
  return 0;
}

int UndoRunFromCommandLine(Session& session, const std::string& id) {
  const auto outcome = session.Undo(id);
  if (!outcome) {
    std::fprintf(stderr, "quelbo-batch: cannot undo: %s\n", outcome.error().Message().c_str());
    return 2;
  }
  for (const std::u16string& entry : outcome->changed_since) {
    std::fprintf(stderr, "changed since the run, left alone: %s\n", ToUtf8(entry).c_str());
  }
  for (const SkippedPage& page : outcome->failed) {
    std::fprintf(stderr, "not restored: %s: %s\n", ToUtf8(page.entry).c_str(),
                 ToUtf8(page.reason).c_str());
  }
  std::fprintf(stderr, "run %s undone: %zu pages restored%s%s\n", outcome->undone.c_str(),
               outcome->restored, outcome->journal.empty() ? "" : ", as run ",
               outcome->journal.c_str());
  return outcome->changed_since.empty() && outcome->failed.empty() ? 0 : 1;
}

int SwitchJournal(Session& session, bool on) {
  if (auto saved = SetJournalOn(session.store(), on); !saved) {
    std::fprintf(stderr, "quelbo-batch: %s\n", saved.error().Message().c_str());
    return 2;
  }
  std::fprintf(stderr, "run journal %s\n", on ? "on" : "off");
  return 0;
}

}  // namespace quelbo
