#include "run/run_undo.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text_codec.h"
#include "run/content_digest.h"

namespace quelbo {

std::optional<JournaledRun> LastRunOn(const RunJournal& journal, const std::string& site) {
  std::vector<JournaledRun> runs = journal.ListRuns();
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (run->site == site) return std::move(*run);
  }
  return std::nullopt;
}

Result<UndoOutcome> UndoRun(FileSystem& fs, const SiteRoot& root, RunJournal& journal,
                            const std::string& id, std::chrono::system_clock::time_point now) {
  const std::vector<JournaledRun> runs = journal.ListRuns();
  const auto run =
      std::find_if(runs.begin(), runs.end(), [&](const JournaledRun& r) { return r.id == id; });
  if (run == runs.end()) {
    return std::unexpected(Error(ErrorKind::kNotFound, "undo", id, "no such run"));
  }
  if (run->site != root.path()) {
    return std::unexpected(
        Error(ErrorKind::kOutsideRoot, "undo", id, "ran on " + ShownPath(run->site)));
  }
  auto pages = journal.ReadPages(id);
  if (!pages) return std::unexpected(pages.error());
  if (auto begun = journal.Begin(root.path(), "undo", id, "", now); !begun) {
    return std::unexpected(begun.error());
  }

  UndoOutcome outcome;
  outcome.undone = id;
  outcome.journal = journal.run_id();
  // Newest first: a page replaced twice goes back through its middle state to the first one.
  for (auto page = pages->rbegin(); page != pages->rend(); ++page) {
    auto leave = [&](std::u16string reason) {
      outcome.failed.push_back({page->entry, std::move(reason)});
    };
    auto target = root.ResolvePage(fs, page->entry);
    if (!target) {
      leave(u"页面已不存在，未恢复");
      continue;
    }
    auto current = fs.ReadFile(target->path);
    auto old_bytes = fs.ReadFile(page->old_bytes_path);
    if (!current || !old_bytes) {
      leave(u"无法读取，未恢复");
      continue;
    }
    if (*current == *old_bytes) {
      ++outcome.already_restored;
    } else if (!MatchesContentDigest(page->new_digest, *current)) {
      outcome.changed_since.push_back(page->entry);
    } else if (auto kept = journal.KeepPage(page->entry, target->path, current->size(), *old_bytes);
               !kept || !(kept = journal.RecordKeptPages())) {
      leave(u"无法保存撤销记录（" + FromUtf8(kept.error().Message()) + u"）");
    } else if (auto written = fs.ReplaceKnownFile(target->path, *old_bytes, target->info);
               !written) {
      leave(u"无法写入（" + FromUtf8(written.error().Message()) + u"）");
    } else {
      ++outcome.restored;
    }
  }
  if (outcome.restored == 0) outcome.journal.clear();
  journal.End();
  return outcome;
}

}  // namespace quelbo
