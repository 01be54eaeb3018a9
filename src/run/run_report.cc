#include "run/run_report.h"

#include "base/text_codec.h"

namespace quelbo {

std::u16string SkipReason(const Error& error, const Texts& texts) {
  switch (error.kind()) {
    case ErrorKind::kNotFound:
      return FromUtf8(texts.page_missing);
    case ErrorKind::kNotRegularFile:
      return FromUtf8(texts.not_regular_file);
    case ErrorKind::kOutsideRoot:
      return FromUtf8(texts.outside_site);
    case ErrorKind::kBadName:
      return FromUtf8(texts.bad_file_name);
    case ErrorKind::kReadOnly:
      return FromUtf8(texts.read_only_file);
    case ErrorKind::kChanged:
      return FromUtf8(texts.changed_during_run);
    case ErrorKind::kTooLarge:
      return FromUtf8(texts.file_too_large);
    case ErrorKind::kBusy:
    case ErrorKind::kExists:
    case ErrorKind::kIo:
      break;
  }
  return FromUtf8(Filled(texts.cannot_read_or_write, {error.Message()}));
}

void RunReport::Reset() {
  ++runs_;
  processed_ = 0;
  changed_ = 0;
  staged_ = 0;
  rewritten_on_bytes_ = 0;
  rewritten_in_one_pass_ = 0;
  skipped_.clear();
}

void RunReport::PageDone(bool changed) {
  ++processed_;
  if (changed) ++changed_;
}

void RunReport::PageSkipped(SkippedPage page) {
  skipped_.push_back(std::move(page));
  for (const Listener& listener : on_skip_) listener(skipped_.back());
}

}  // namespace quelbo
