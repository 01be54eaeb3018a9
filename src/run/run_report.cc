#include "run/run_report.h"

#include "base/text_codec.h"

namespace quelbo {

std::u16string SkipReason(const Error& error) {
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
    case ErrorKind::kExists:
    case ErrorKind::kIo:
      break;
  }
  return u"无法读写（" + FromUtf8(error.Message()) + u"）";
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
