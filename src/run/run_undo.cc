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

RunUndo::RunUndo(FileSystem& fs, const SiteRoot& root, RunJournal& journal,
                 StepScheduler& scheduler, const Texts& texts)
    : fs_(fs), root_(root), journal_(journal), scheduler_(scheduler), texts_(texts), batch_(fs) {}

void RunUndo::InstallStep() {
  scheduler_.SetOperation(Step::undo, [this] { TakeBackNextPage(); });
}

Status RunUndo::Start(const std::string& id, bool keep_journal,
                      std::chrono::system_clock::time_point now) {
  outcome_ = UndoOutcome{};
  pages_.clear();
  done_ = 0;
  const std::vector<JournaledRun> runs = journal_.ListRuns();
  const auto run =
      std::find_if(runs.begin(), runs.end(), [&](const JournaledRun& r) { return r.id == id; });
  Status checked = Ok();
  FileLock probe;
  if (run == runs.end()) {
    // A journal still being written is not listed: neither offered nor taken back.
    const Status held = journal_.Hold(id, probe);
    checked = std::unexpected(
        !held && held.error().kind() == ErrorKind::kBusy
            ? Error(ErrorKind::kBusy, "undo", id, "another program is still writing this run")
            : Error(ErrorKind::kNotFound, "undo", id, "no such run"));
  } else if (run->site != root_.path()) {
    checked = std::unexpected(
        Error(ErrorKind::kOutsideRoot, "undo", id, "ran on " + ShownPath(run->site)));
  } else if (auto held = journal_.Hold(id, held_); !held) {
    // Listed a moment ago, so not held then: another program took it up since.
    checked = std::unexpected(
        Error(ErrorKind::kBusy, "undo", id, "another program is writing or undoing this run"));
  }
  auto read = checked ? journal_.ReadPages(id) : Result<JournalPages>();
  if (checked && !read) checked = std::unexpected(read.error());
  if (!checked) {
    held_.Release();
    return checked;
  }
  pages_ = std::move(read->pages);
  outcome_.undone = id;
  outcome_.damaged_lines = read->damaged_lines;
  outcome_.missing_lines = read->missing_lines;
  if (keep_journal) {
    if (auto begun = journal_.Begin(root_.path(), "undo", id, "", now); begun) {
      outcome_.journal = journal_.run_id();
    } else {
      outcome_.unjournaled = begun.error().Message();
    }
  }
  active_ = true;
  scheduler_.Arm(Step::undo, kNextPass);
  return Ok();
}

void RunUndo::TakeBackNextPage() {
  if (done_ == pages_.size()) return Finish();
  ++done_;
  TakeBack(pages_[pages_.size() - done_]);
}

void RunUndo::TakeBack(const JournaledPage& line) {
  auto leave = [&](std::u16string reason) {
    outcome_.failed.push_back({line.entry, std::move(reason)});
  };
  auto read = root_.ReadPage(fs_, line.entry);
  if (read && batch_.Holds(read->page.path)) {
    // Replaced twice by the run: this older line starts from what the newer one restores.
    FinishWrites();
    read = root_.ReadPage(fs_, line.entry);
  }
  if (!read) {
    const Error& error = read.error();
    return leave(error.kind() == ErrorKind::kNotFound ? FromUtf8(texts_.page_gone)
                                                      : Unrestored(error));
  }
  if (IsContent(line.old_content, read->bytes)) {
    ++outcome_.unchanged;
    return;
  }
  if (!IsContent(line.new_content, read->bytes)) {
    outcome_.changed_since.push_back(line.entry);
    return;
  }
  auto kept = journal_.ReadKeptBytes(outcome_.undone, line);
  if (!kept) {
    return leave(FromUtf8(Filled(texts_.kept_bytes_unreadable, {kept.error().Message()})));
  }
  if (!IsContent(line.old_content, *kept)) return leave(FromUtf8(texts_.kept_bytes_damaged));
  if (journal_.active()) {
    if (auto journaled = journal_.KeepPage(line.entry, read->page.path, read->page.info,
                                           line.new_content, line.old_content);
        !journaled) {
      GoOnUnjournaled(journaled.error());
    }
  }
  if (auto staged = batch_.Stage(line.entry, read->page, *kept); !staged) {
    return leave(Unrestored(staged.error()));
  }
  if (batch_.Full()) FinishWrites();
}

void RunUndo::FinishWrites() {
  if (batch_.empty()) return;
  if (journal_.active()) {
    if (auto recorded = journal_.RecordKeptPages(); !recorded) GoOnUnjournaled(recorded.error());
  }
  size_t restored = 0;
  for (ReplacementBatch::Outcome& page : batch_.Commit()) {
    if (page.status) {
      ++restored;
    } else {
      outcome_.failed.push_back({page.entry, Unrestored(page.status.error())});
    }
  }
  outcome_.restored += restored;
  journal_.NotePagesReplaced(restored);
}

std::u16string RunUndo::Unrestored(const Error& error) const {
  return FilledUtf16(texts_.left_unrestored, {SkipReason(error, texts_)});
}

void RunUndo::GoOnUnjournaled(const Error& error) {
  journal_.Abandon();
  outcome_.journal.clear();
  outcome_.unjournaled = error.Message();
}

void RunUndo::Stop() {
  if (!active_) return;
  outcome_.stopped = done_ < pages_.size();
  Finish();
}

void RunUndo::Finish() {
  scheduler_.Disarm(Step::undo);
  FinishWrites();
  if (journal_.active()) {
    journal_.End();  // an undo that restored nothing leaves no journal
    if (outcome_.restored == 0) outcome_.journal.clear();
  }
  held_.Release();
  active_ = false;
  if (on_end_) on_end_();
}

}  // namespace quelbo
