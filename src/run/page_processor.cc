#include "run/page_processor.h"

#include <utility>

#include "base/text_codec.h"
#include "page/byte_rewrite.h"
#include "page/charset_declarations.h"
#include "page/page_rewrite.h"
#include "panel/settings_fields.h"
#include "run/content_digest.h"

namespace quelbo {

PageProcessor::PageProcessor(ControlPanel& panel, StepScheduler& scheduler, FileSystem& fs,
                             const SiteRoot& root, RunReport& report, const Texts& texts)
    : panel_(panel),
      scheduler_(scheduler),
      fs_(fs),
      root_(root),
      report_(report),
      texts_(texts),
      pending_(panel),
      batch_(fs) {}

void PageProcessor::InstallSteps() {
  scheduler_.SetOperation(Step::Timer1, [this] { TakeNextPage(); });
  scheduler_.SetOperation(Step::quyi, [this] { SkipPendingLine(); });
  scheduler_.SetOperation(Step::Timer3, [this] { DetectCharset(); });
  scheduler_.SetOperation(Step::Timer2, [this] { TransformPage(); });
}

void PageProcessor::TakeNextPage() {
  if (in_work_) {
    // A page taken and not yet rewritten goes first: the walk's end arms this step again
    // when the walk and the page loop interleave after Continue, and taking the next page
    // over it would leave it unprocessed while the run says all pages are done.
    scheduler_.Arm(*in_work_, kNextPass);
    scheduler_.Disarm(Step::Timer1);
    return;
  }
  panel_.SetText(kStatusLine, u"页面替换中。。。");
  pending_.CollapseBlankLines();
  const std::u16string_view first = pending_.FirstEntry();
  if (first.find(u'.') != std::u16string_view::npos) {
    panel_.SetText(kCurrentPage, std::u16string(first));
    if (!pending_.DropFirstLine()) {
      // No line break at all (a list edited by hand): taking the entry must still shorten the
      // list, or the same page would be taken again for ever.
      panel_.SetText(kPendingPages, u"");
    }
    panel_.SetProgressValue(panel_.ProgressBar().value + 1);
    in_work_ = panel_.Ticked(field::autoDetectCharset) ? Step::Timer3 : Step::Timer2;
    scheduler_.Arm(*in_work_, kNextPass);
  } else if (pending_.ContainsDot()) {
    panel_.SetText(kStatusLine, u"去空行处理完毕了");
    scheduler_.Arm(Step::quyi, 10);
  } else {
    FinishWrites();
    panel_.SetText(kStatusLine, u"本目录内页面全部处理完毕了");
    panel_.SetProgressValue(0);
    panel_.SetText(kCurrentPage, u"");
    scheduler_.Disarm(Step::Timer1);
    if (on_end_) on_end_();
    return;
  }
  scheduler_.Disarm(Step::Timer1);
}

void PageProcessor::SkipPendingLine() {
  (void)pending_.DropFirstLine();
  scheduler_.Disarm(Step::quyi);
  scheduler_.Arm(Step::Timer1, 100);
}

void PageProcessor::DetectCharset() {
  panel_.SetText(kStatusLine, u"自动识别编码");
  detected_.reset();
  // A page that cannot be read keeps the switches; TransformPage reports it.
  const std::u16string_view entry = panel_.Text(kCurrentPage);
  if (auto read = root_.ReadPage(fs_, entry)) {
    const bool utf8 = DeclaredCharset(read->bytes) != Charset::kGbk;
    panel_.SetTicked(field::readUtf8, utf8);
    panel_.SetTicked(field::writeUtf8, utf8);
    detected_ = DetectedPage{std::u16string(entry), std::move(*read)};
  }
  panel_.SetText(kStatusLine, u"工作中");
  if (in_work_) in_work_ = Step::Timer2;
  scheduler_.Disarm(Step::Timer3);
  scheduler_.Arm(Step::Timer2, kNextPass);
}

void PageProcessor::TransformPage() {
  panel_.SetText(kStatusLine, u"开始处理内容");
  const std::u16string entry(panel_.Text(kCurrentPage));
  if (entry.empty()) {
    panel_.SetText(kStatusLine, FromUtf8(texts_.no_page_in_work));
  } else if (auto problem = RewritePage(entry)) {
    Skip(entry, std::move(*problem));
  } else {
    if (panel_.Ticked(field::writeUtf8)) panel_.SetText(kStatusLine, u"生成UTF-8格式完毕");
    panel_.SetText(kStatusLine, u"工作中");
  }
  in_work_.reset();
  scheduler_.Disarm(Step::Timer2);
  scheduler_.Arm(Step::Timer1, kNextPass);
}

std::optional<std::u16string> PageProcessor::RewritePage(std::u16string_view entry) {
  auto read = ReadPage(entry);
  if (read && batch_.Holds(read->page.path)) {
    // Listed twice: the second time works on what the first one wrote.
    FinishWrites();
    read = root_.ReadPage(fs_, entry);
  }
  if (!read) return SkipReason(read.error(), texts_);
  const SiteRoot::Page& page = read->page;
  std::string& old_bytes = read->bytes;
  // Named before the bytes may be handed on below: the journal proves by it what it keeps.
  const bool journaled = preview_ == nullptr && journal_ != nullptr && journal_->active();
  const ContentId old_content = journaled ? IdentifyContent(old_bytes) : ContentId{};

  // A large page is held no more than twice, old and new bytes (a preview keeps the old bytes
  // whatever their size: its diff shows them).
  const bool large = old_bytes.size() > kKeptBytesLimit && preview_ == nullptr;
  const bool read_utf8 = panel_.Ticked(field::readUtf8);
  const bool write_utf8 = panel_.Ticked(field::writeUtf8);
  const bool detect = panel_.Ticked(field::autoDetectCharset) && read_utf8 == write_utf8;
  const PageEncodings encodings{read_utf8, write_utf8, detect, &texts_};
  RewriteCounts counts;
  // Pages kept in their encoding are rewritten on their own bytes when that gives the same
  // result for sure; the others go the UTF-16 way, which lets a large page's bytes go once
  // decoded and compares the new bytes with the file instead.
  std::expected<RewrittenPage, std::u16string> rewritten;
  std::optional<RewrittenPage> on_bytes =
      RewriteOnOwnBytes(old_bytes, encodings, panel_, encoded_rules_, &counts);
  const bool compare_with_file = large && !on_bytes;
  if (on_bytes) {
    report_.PageRewrittenOnBytes();
    if (on_bytes->in_one_pass) report_.PageRewrittenInOnePass();
    rewritten = std::move(*on_bytes);
  } else {
    rewritten = RewritePageBytes(compare_with_file ? std::move(old_bytes) : old_bytes, encodings,
                                 panel_, &counts);
  }
  if (!rewritten) return std::move(rewritten.error());
  if (rewritten->read_utf8 != read_utf8) {
    // Detection went by the bytes, not the declaration: the switches show what was used.
    panel_.SetTicked(field::readUtf8, rewritten->read_utf8);
    panel_.SetTicked(field::writeUtf8, rewritten->write_utf8);
  }
  const std::string_view new_bytes = rewritten->bytes();

  // Equal bytes are not written, so the page keeps its modification time.
  bool unchanged = new_bytes == old_bytes;
  if (compare_with_file) {
    const auto same = fs_.ContentEquals(page.path, new_bytes);
    if (!same) return SkipReason(same.error(), texts_);
    unchanged = *same;
  }
  if (large) std::string().swap(old_bytes);  // written from the new bytes alone
  if (unchanged) {
    report_.PageDone(false);
    return std::nullopt;
  }
  if (preview_ != nullptr) {
    const PageEncodings used{rewritten->read_utf8, rewritten->write_utf8, detect, &texts_};
    preview_->PageWouldChange({{std::u16string(entry), counts}, old_bytes, new_bytes, used});
    report_.PageDone(true);
    return std::nullopt;
  }
  return WritePage(entry, page, old_content, new_bytes);
}

std::optional<std::u16string> PageProcessor::WritePage(std::u16string_view entry,
                                                       const SiteRoot::Page& page,
                                                       const ContentId& old_content,
                                                       std::string_view new_bytes) {
  // The old bytes are kept before the new ones are staged, so no page is replaced unkept.
  if (journal_ != nullptr && journal_->active()) {
    if (auto kept = journal_->KeepPage(entry, page.path, page.info, old_content,
                                       IdentifyContent(new_bytes));
        !kept) {
      return JournalFailure(kept.error());
    }
  }
  if (auto staged = batch_.Stage(entry, page, new_bytes); !staged) {
    return SkipReason(staged.error(), texts_);
  }
  report_.PageStaged();
  if (batch_.Full()) FinishWrites();
  return std::nullopt;
}

void PageProcessor::FinishWrites() {
  if (batch_.empty()) return;
  report_.StagedPagesSettled();
  const bool journaled = journal_ != nullptr && journal_->active();
  if (journaled) {
    if (auto recorded = journal_->RecordKeptPages(); !recorded) {
      for (const std::u16string& entry : batch_.Discard()) {
        Skip(entry, JournalFailure(recorded.error()));
      }
      return;
    }
  }
  size_t replaced = 0;
  for (ReplacementBatch::Outcome& outcome : batch_.Commit()) {
    if (outcome.status) {
      ++replaced;
      report_.PageDone(true);
    } else {
      Skip(outcome.entry, SkipReason(outcome.status.error(), texts_));
    }
  }
  if (journaled) journal_->NotePagesReplaced(replaced);
}

void PageProcessor::Stopped() {
  detected_.reset();
  FinishWrites();
}

void PageProcessor::RunEnded() {
  Stopped();
  in_work_.reset();
  panel_.SetText(kCurrentPage, u"");
  panel_.SetText(kPendingPages, u"");
  panel_.SetProgressValue(0);
}

Result<SiteRoot::PageRead> PageProcessor::ReadPage(std::u16string_view entry) {
  std::optional<DetectedPage> detected;
  detected.swap(detected_);
  if (detected && detected->entry == entry) return std::move(detected->read);
  return root_.ReadPage(fs_, entry);
}

std::u16string PageProcessor::JournalFailure(const Error& error) const {
  return FromUtf8(Filled(texts_.journal_unwritable, {error.Message()}));
}

void PageProcessor::Skip(std::u16string_view entry, std::u16string reason) {
  panel_.SetText(kStatusLine, FilledUtf16(texts_.skipped_status, {entry, reason}));
  report_.PageSkipped(SkippedPage{std::u16string(entry), std::move(reason)});
}

}  // namespace quelbo
