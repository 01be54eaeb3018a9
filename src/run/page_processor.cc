#include "run/page_processor.h"

#include "page/charset_tokens.h"
#include "page/page_rewrite.h"
#include "panel/settings_fields.h"
#include "platform/text_codec.h"

namespace quelbo {
namespace {

// Pages above this size are not held twice: their bytes are let go once decoded, and the new
// bytes are compared with the file itself.
constexpr size_t kKeptBytesLimit = size_t{16} << 20;

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
    scheduler_.Arm(panel_.Ticked(field::autoDetectCharset) ? Step::Timer3 : Step::Timer2,
                   kNextPass);
  } else if (pending_.ContainsDot()) {
    panel_.SetText(kStatusLine, u"去空行处理完毕了");
    scheduler_.Arm(Step::quyi, 10);
  } else {
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
  if (auto page = root_.ResolvePage(fs_, entry)) {
    if (auto bytes = ReadFileBytes(fs_, page->path)) {
      const bool utf8 = !DeclaresGb2312(*bytes);
      panel_.SetTicked(field::readUtf8, utf8);
      panel_.SetTicked(field::writeUtf8, utf8);
      detected_ = DetectedPage{std::u16string(entry), {std::move(*page), std::move(*bytes)}};
    }
  }
  panel_.SetText(kStatusLine, u"工作中");
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
  const PageEncodings encodings{panel_.Ticked(field::readUtf8), panel_.Ticked(field::writeUtf8)};
  RewriteCounts counts;
  auto rewritten = RewritePageBytes(compare_with_file ? std::move(old_bytes) : old_bytes, encodings,
                                    panel_, &counts);
  if (!rewritten) return std::move(rewritten.error());
  const std::string& new_bytes = *rewritten;

  // Equal bytes are not written, so the page keeps its modification time.
  bool unchanged = new_bytes == old_bytes;
  if (compare_with_file) {
    const auto same = fs_.ContentEquals(page.path, new_bytes);
    if (!same) return ReasonFor(same.error());
    unchanged = *same;
  }
  if (!unchanged) {
    if (preview_ != nullptr) {
      preview_->PageWouldChange({{std::u16string(entry), counts}, old_bytes, new_bytes, encodings});
    } else if (auto problem = WritePage(entry, page, new_bytes)) {
      return problem;
    }
  }
  report_.PageDone(!unchanged);
  return std::nullopt;
}

std::optional<std::u16string> PageProcessor::WritePage(std::u16string_view entry,
                                                       const SiteRoot::Page& page,
                                                       std::string_view new_bytes) {
  if (journal_ != nullptr && journal_->active()) {
    if (auto kept = journal_->KeepPage(entry, page.path, page.info.size, new_bytes); !kept) {
      return u"无法保存撤销记录，未改动（" + FromUtf8(kept.error().Message()) + u"）";
    }
  }
  if (auto written = fs_.ReplaceKnownFile(page.path, new_bytes, page.info); !written) {
    return ReasonFor(written.error());
  }
  return std::nullopt;
}

Result<PageProcessor::PageBytes> PageProcessor::ReadPage(std::u16string_view entry) {
  std::optional<DetectedPage> detected;
  detected.swap(detected_);
  if (detected && detected->entry == entry) {
    // The run may have been stopped between the two steps and the file changed meanwhile.
    const auto now = fs_.Stat(detected->read.page.path);
    if (now && now->SameFileAs(detected->read.page.info)) return std::move(detected->read);
  }
  auto page = root_.ResolvePage(fs_, entry);
  if (!page) return std::unexpected(page.error());
  auto bytes = ReadFileBytes(fs_, page->path);
  if (!bytes) return std::unexpected(bytes.error());
  return PageBytes{std::move(*page), std::move(*bytes)};
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
    case ErrorKind::kIo:
      break;
  }
  return u"无法读写（" + FromUtf8(error.Message()) + u"）";
}

}  // namespace quelbo
