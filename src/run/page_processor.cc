#include "run/page_processor.h"

#include <utility>

#include "page/byte_rewrite.h"
#include "page/charset_declarations.h"
#include "page/page_rewrite.h"
#include "panel/settings_fields.h"
#include "base/text_codec.h"

namespace quelbo {
namespace {

// A batch of durable writes is committed at this many pages or bytes: large enough that the
// disk's flushes are shared by many pages, small enough that few finished pages wait.
constexpr size_t kBatchPages = 1024;
constexpr size_t kBatchBytes = size_t{64} << 20;

}  // namespace

PageProcessor::PageProcessor(ControlPanel& panel, StepScheduler& scheduler, FileSystem& fs,
                             const SiteRoot& root, RunReport& report)
    : panel_(panel),
      scheduler_(scheduler),
      fs_(fs),
      root_(root),
      report_(report),
      pending_(panel) {}

void PageProcessor::InstallSteps() {
  scheduler_.SetOperation(Step::Timer1, [this] { TakeNextPage(); });
  scheduler_.SetOperation(Step::quyi, [this] { SkipPendingLine(); });
  scheduler_.SetOperation(Step::Timer3, [this] { DetectCharset(); });
  scheduler_.SetOperation(Step::Timer2, [this] { TransformPage(); });
}

void PageProcessor::TakeNextPage() {
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
    panel_.SetText(kStatusLine, u"当前页面为空，没有页面可处理");
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
  if (!read) return ReasonFor(read.error());
  const SiteRoot::Page& page = read->page;
  std::string& old_bytes = read->bytes;

  // A preview keeps the old bytes whatever their size: its diff shows them.
  const bool compare_with_file = old_bytes.size() > kKeptBytesLimit && preview_ == nullptr;
  const bool read_utf8 = panel_.Ticked(field::readUtf8);
  const bool write_utf8 = panel_.Ticked(field::writeUtf8);
  const bool detect = panel_.Ticked(field::autoDetectCharset) && read_utf8 == write_utf8;
  const PageEncodings encodings{read_utf8, write_utf8, detect};
  RewriteCounts counts;
  // Pages kept in their encoding are rewritten on their own bytes when that gives the same
  // result for sure; the others go the UTF-16 way. So do pages too large to be held twice: the
  // byte path keeps the old bytes beside a changing copy, where the UTF-16 way lets them go.
  std::expected<RewrittenPage, std::u16string> rewritten;
  std::optional<RewrittenPage> on_bytes;
  if (!compare_with_file) {
    on_bytes = RewriteOnOwnBytes(old_bytes, encodings, panel_, encoded_rules_, &counts);
  }
  if (on_bytes) {
    rewritten = std::move(*on_bytes);
    report_.PageRewrittenOnBytes();
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
  const std::string& new_bytes = rewritten->bytes;

  // Equal bytes are not written, so the page keeps its modification time.
  bool unchanged = new_bytes == old_bytes;
  if (compare_with_file) {
    const auto same = fs_.ContentEquals(page.path, new_bytes);
    if (!same) return ReasonFor(same.error());
    unchanged = *same;
  }
  if (unchanged) {
    report_.PageDone(false);
    return std::nullopt;
  }
  if (preview_ != nullptr) {
    const PageEncodings used{rewritten->read_utf8, rewritten->write_utf8, detect};
    preview_->PageWouldChange({{std::u16string(entry), counts}, old_bytes, new_bytes, used});
    report_.PageDone(true);
    return std::nullopt;
  }
  return WritePage(entry, page, new_bytes);
}

std::optional<std::u16string> PageProcessor::WritePage(std::u16string_view entry,
                                                       const SiteRoot::Page& page,
                                                       std::string_view new_bytes) {
  // A page listed twice is written the second time over the first time's result.
  if (staged_paths_.contains(page.path)) FinishWrites();
  // The old bytes are kept before the new ones are staged, so no page is replaced unkept.
  if (journal_ != nullptr && journal_->active()) {
    if (auto kept = journal_->KeepPage(entry, page.path, page.info.size, new_bytes); !kept) {
      return JournalFailure(kept.error());
    }
  }
  if (auto staged = fs_.StageReplacement(page.path, new_bytes, page.info); !staged) {
    return ReasonFor(staged.error());
  }
  staged_entries_.emplace_back(entry);
  report_.PageStaged();
  staged_paths_.insert(page.path);
  staged_bytes_ += new_bytes.size();
  if (staged_entries_.size() >= kBatchPages || staged_bytes_ >= kBatchBytes) FinishWrites();
  return std::nullopt;
}

void PageProcessor::FinishWrites() {
  if (staged_entries_.empty()) return;
  const std::vector<std::u16string> entries = std::exchange(staged_entries_, {});
  staged_paths_.clear();
  staged_bytes_ = 0;
  report_.StagedPagesSettled(entries.size());
  if (journal_ != nullptr && journal_->active()) {
    if (auto recorded = journal_->RecordKeptPages(); !recorded) {
      fs_.DiscardStaged();
      for (const std::u16string& entry : entries) {
        Skip(entry, JournalFailure(recorded.error()));
      }
      return;
    }
  }
  std::vector<Status> outcomes = fs_.CommitStaged();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i < outcomes.size() && outcomes[i]) {
      report_.PageDone(true);
    } else {
      Skip(entries[i],
           i < outcomes.size() ? ReasonFor(outcomes[i].error()) : u"无法读写（未写入）");
    }
  }
}

void PageProcessor::Stopped() {
  detected_.reset();
  FinishWrites();
}

Result<SiteRoot::PageRead> PageProcessor::ReadPage(std::u16string_view entry) {
  std::optional<DetectedPage> detected;
  detected.swap(detected_);
  if (detected && detected->entry == entry) return std::move(detected->read);
  return root_.ReadPage(fs_, entry);
}

std::u16string PageProcessor::JournalFailure(const Error& error) {
  return u"无法保存撤销记录，未改动（" + FromUtf8(error.Message()) + u"）";
}

void PageProcessor::Skip(std::u16string_view entry, std::u16string reason) {
  panel_.SetText(kStatusLine, u"跳过 " + std::u16string(entry) + u"：" + reason);
  report_.PageSkipped(SkippedPage{std::u16string(entry), std::move(reason)});
}

std::u16string PageProcessor::ReasonFor(const Error& error) {
  switch (error.kind()) {
    case ErrorKind::kNotFound:
      return u"页面文件不存在";
    case ErrorKind::kNotRegularFile:
      return u"不是普通文件";
    case ErrorKind::kOutsideRoot:
      return u"指向网站目录之外";
    case ErrorKind::kBadName:
      return u"文件名无效";
    case ErrorKind::kReadOnly:
      return u"只读文件，未改动";
    case ErrorKind::kChanged:
      return u"运行期间已被改动，未改动";
    case ErrorKind::kTooLarge:
      return u"文件太大，未读取";
    case ErrorKind::kBusy:
    case ErrorKind::kIo:
      break;
  }
  return u"无法读写（" + FromUtf8(error.Message()) + u"）";
}

}  // namespace quelbo
