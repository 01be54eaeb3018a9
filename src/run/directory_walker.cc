#include "run/directory_walker.h"

#include "base/paths.h"
#include "panel/settings_fields.h"
#include "run/excluded_dir_filter.h"
#include "run/list_texts.h"

namespace quelbo {
namespace {

// A ListRootFiles count above this sets up the progress bar.
constexpr long long kProgressThreshold = 5;

}  // namespace

DirectoryWalker::DirectoryWalker(ControlPanel& panel, StepScheduler& scheduler, FileSystem& fs,
                                 const SiteRoot& root, RunReport& report, const Texts& texts)
    : panel_(panel),
      scheduler_(scheduler),
      report_(report),
      texts_(texts),
      listing_(
          fs, root, [this](SkippedPage page) { ReportSkipped(std::move(page)); }, texts) {}

void DirectoryWalker::ReportSkipped(SkippedPage page) {
  // Named on the status line as a page the run skips is, so the window shows it as it happens.
  panel_.SetText(kStatusLine, FilledUtf16(texts_.skipped_status, {page.entry, page.reason}));
  report_.PageSkipped(std::move(page));
}

void DirectoryWalker::InstallSteps() {
  scheduler_.SetOperation(Step::du, [this] { ListRootFiles(); });
  scheduler_.SetOperation(Step::Timer4, [this] { CollectSubdirectories(); });
  scheduler_.SetOperation(Step::Timer5, [this] { NextDirectory(); });
  scheduler_.SetOperation(Step::Timer6, [this] { ListDirectoryFiles(); });
}

std::u16string DirectoryWalker::ListIntoBlock(const std::vector<std::u16string>& names,
                                              std::u16string_view prefix, Control shown_on) {
  // The block is put together in one go at the end; until then nobody can see it.
  for (size_t i = 0; i < names.size(); ++i) {
    scheduler_.Yield();
    panel_.SetText(shown_on, i + 1 < names.size() ? names[i + 1] : u"");
  }
  return DirectoryBlock(names, prefix);
}

void DirectoryWalker::SetUpProgress(long long found) {
  panel_.SetProgressMin(0);
  panel_.SetProgressMax(static_cast<double>(found));
  panel_.SetProgressVisible(true);
  panel_.SetProgressValue(0);
}

bool DirectoryWalker::Listing() const {
  return scheduler_.IsArmed(Step::du) || scheduler_.IsArmed(Step::Timer4) ||
         scheduler_.IsArmed(Step::Timer5) || scheduler_.IsArmed(Step::Timer6);
}

void DirectoryWalker::ListRootFiles() {
  panel_.SetText(kPendingPages, std::u16string(kListMarker));
  const auto names = listing_.PageNames(u"", SuffixOf(panel_.SuffixChoice()), u"");
  panel_.SetText(kPendingPages, ListIntoBlock(names, u"", kStatusLine));
  const long long found = FoundCount(panel_.Text(kPendingPages));
  if (panel_.Ticked(field::includeSubdirs)) {
    panel_.SetText(kStatusLine, u"读取中请稍后...");
    panel_.SetText(kDirectoryQueue, u"");
    scheduler_.Arm(Step::Timer4, kNextPass);
  } else {
    panel_.SetText(kStatusLine, FoundMessage(found, u'A'));
    if (found > kProgressThreshold) SetUpProgress(found);
    scheduler_.Arm(Step::Timer1, kNextPass);
  }
  scheduler_.Disarm(Step::du);
}

void DirectoryWalker::ListSubdirectories() {
  std::u16string queue(panel_.Text(kDirectoryQueue));
  for (const std::u16string& name : listing_.SubdirectoryNames()) {
    queue.append(name);
    queue.append(kCrLf);
  }
  panel_.SetText(kDirectoryQueue, std::move(queue));
}

void DirectoryWalker::CollectSubdirectories() {
  panel_.SetText(kStatusLine, u"过滤提取子目录名字");
  ListSubdirectories();
  scheduler_.Disarm(Step::Timer4);
  panel_.SetText(kDirectoryQueue,
                 CollapseBlankLinePairs(std::u16string(panel_.Text(kDirectoryQueue))));
  if (!panel_.Text(field::excludedDirs).empty()) FilterExcludedDirectories(panel_, scheduler_);
  panel_.SetText(kDirectoryQueue,
                 std::u16string(panel_.Text(kDirectoryQueue)) + std::u16string(kQueueEndMarkers));
  panel_.SetText(kCollectedFiles, u"");
  scheduler_.Arm(Step::Timer5, kNextPass);
}

void DirectoryWalker::MergeCollectedFiles() {
  std::u16string pending = WithoutChar(panel_.Text(kCollectedFiles), u'#');
  pending.append(kCrLf);
  pending.append(panel_.Text(kPendingPages));
  panel_.SetText(kPendingPages, CollapseBlankLinePairs(std::move(pending)));
  panel_.SetText(kDirectoryQueue, u"");
  panel_.SetText(kCollectedFiles, u"");
  panel_.SetText(kPendingPages, CollapseBlankLinePairs(std::u16string(panel_.Text(kPendingPages))));
  const long long found = FoundCount(panel_.Text(kPendingPages));
  panel_.SetText(kStatusLine, FoundMessage(found, u'B'));
  SetUpProgress(found);
  scheduler_.Arm(Step::Timer1, kNextPass);
}

void DirectoryWalker::NextDirectory() {
  const std::u16string_view queue = panel_.Text(kDirectoryQueue);
  const std::u16string_view line = FirstLine(queue);
  // A queue that lost its end markers (edited by hand) ends the walk too, instead of reading
  // the same line for ever.
  if (line.find(u"##") != std::u16string_view::npos || queue.empty()) {
    MergeCollectedFiles();
  } else {
    panel_.SetText(kCurrentDirectory, std::u16string(line));
    const std::u16string_view rest = panel_.Text(kDirectoryQueue);
    const size_t lf = rest.find(u'\n');
    panel_.DropTextPrefix(kDirectoryQueue, lf == std::u16string_view::npos ? rest.size() : lf + 1);
    scheduler_.Arm(Step::Timer6, kNextPass);
  }
  scheduler_.Disarm(Step::Timer5);
}

long long DirectoryWalker::CollectedBreaks() {
  const std::u16string_view collected = panel_.Text(kCollectedFiles);
  if (panel_.TextVersion(kCollectedFiles) != collected_version_ ||
      collected.size() != collected_size_) {
    NoteCollectedBreaks(LineBreaks(collected));
  }
  return collected_breaks_;
}

void DirectoryWalker::NoteCollectedBreaks(long long breaks) {
  collected_breaks_ = breaks;
  collected_version_ = panel_.TextVersion(kCollectedFiles);
  collected_size_ = panel_.Text(kCollectedFiles).size();
}

void DirectoryWalker::ListDirectoryFiles() {
  const std::u16string directory(panel_.Text(kCurrentDirectory));
  panel_.SetText(kStatusLine, u"这里开始读取" + directory + u"的文件");
  const std::u16string prefix = directory + kEntrySeparator;
  const auto names = listing_.PageNames(directory, SuffixOf(panel_.SuffixChoice()), prefix);
  std::u16string block = ListIntoBlock(names, prefix, kEntryLine);
  block.append(kCrLf);
  const long long breaks = LineBreaks(block) + CollectedBreaks();
  // Each directory's files go in front of those collected before.
  panel_.PrependText(kCollectedFiles, block);
  NoteCollectedBreaks(breaks);
  panel_.SetText(kStatusLine, FoundMessage(FoundCountOf(breaks), u'C'));
  scheduler_.Disarm(Step::Timer6);
  scheduler_.Arm(Step::Timer5, kNextPass);
}

}  // namespace quelbo
