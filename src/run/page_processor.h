#pragma once

#include <functional>
#include <optional>
#include <string>

#include "page/encoded_rules.h"
#include "page/page_files.h"
#include "panel/control_panel.h"
#include "platform/file_system.h"
#include "run/pending_page_list.h"
#include "run/preview_report.h"
#include "run/replacement_batch.h"
#include "run/run_journal.h"
#include "run/run_report.h"
#include "run/step_scheduler.h"

namespace quelbo {

// The page steps of a run: take the next entry of the pending-page list, detect its charset,
// transform the page, skip a line that names no page. Each step disarms itself and arms the
// next one; the rules and switches are read from the panel when the step runs.
//
// A page is either left byte for byte as it was or replaced whole by its new content. A page
// that cannot be processed safely (missing, not a regular file, outside the site, bytes not
// valid in the encoding it is read in, a character its output encoding cannot hold, a read or
// write failure) is left alone, named on the status line and added to the report, and the run
// goes on with the next entry.
class PageProcessor {
 public:
  // REQUIRES: everything given outlives the processor.
  PageProcessor(ControlPanel& panel, StepScheduler& scheduler, FileSystem& fs, const SiteRoot& root,
                RunReport& report, const Texts& texts = TextsIn(kFormLanguage));

  // Registers the four steps with the scheduler.
  void InstallSteps();

  // With a preview report, a page that would change is reported there and not written.
  void SetPreview(PreviewReport* preview) { preview_ = preview; }
  // With an open journal, a page's old bytes are kept there before it is replaced; a page
  // whose old bytes cannot be kept is not replaced.
  void SetJournal(RunJournal* journal) { journal_ = journal; }
  // Told when TakeNextPage finds no page left: the run is over.
  void SetEndListener(std::function<void()> listener) { on_end_ = std::move(listener); }

  void TakeNextPage();     // Timer1
  void SkipPendingLine();  // quyi
  void DetectCharset();    // Timer3
  void TransformPage();    // Timer2

  // Finishes the pages whose new content waits in the batch of durable writes (see
  // FileSystem::StageReplacement): each is replaced and reported, or reported skipped. The run
  // calls it when a batch is full and at its end; the owner calls it when the run is stopped.
  void FinishWrites();
  // The run was stopped: FinishWrites, and the page DetectCharset read ahead is read again
  // when the run goes on, since it may change while the run waits.
  void Stopped();
  // The step the page in the current-page field waits for (DetectCharset or TransformPage)
  // when TakeNextPage took it and TransformPage has not yet finished it.
  std::optional<Step> StepInWork() const { return in_work_; }
  // A stopped run is ended without going on: its waiting pages are finished, and the page in
  // work and the pending ones are dropped, so that nothing is left to continue.
  void RunEnded();

 private:
  // Reads, transforms and writes one page; the reason it was left untouched, if it was.
  std::optional<std::u16string> RewritePage(std::u16string_view entry);
  // Replaces a page whose bytes change (`old_content` named them before), its old bytes kept
  // first when a journal is open.
  std::optional<std::u16string> WritePage(std::u16string_view entry, const SiteRoot::Page& page,
                                          const ContentId& old_content, std::string_view new_bytes);
  // Reports a page left untouched and shows it on the status line.
  void Skip(std::u16string_view entry, std::u16string reason);
  // The reason for a page left untouched because its old bytes could not be kept.
  std::u16string JournalFailure(const Error& error) const;
  // The page an entry names, with its bytes: what DetectCharset found and read for the same
  // entry just before, else resolved and read now. A page changed between the two steps
  // without a stop is left alone when its replacement is committed (it is no longer the file
  // read).
  [[nodiscard]] Result<SiteRoot::PageRead> ReadPage(std::u16string_view entry);

  ControlPanel& panel_;
  StepScheduler& scheduler_;
  FileSystem& fs_;
  const SiteRoot& root_;
  RunReport& report_;
  const Texts& texts_;
  PendingPageList pending_;
  // What DetectCharset read, and for which entry, for the TransformPage that follows it.
  struct DetectedPage {
    std::u16string entry;
    SiteRoot::PageRead read;
  };
  std::optional<DetectedPage> detected_;
  std::optional<Step> in_work_;
  PreviewReport* preview_ = nullptr;
  RunJournal* journal_ = nullptr;
  ReplacementBatch batch_;
  std::function<void()> on_end_;
  // The rule texts in each encoding, for pages rewritten on their own bytes.
  EncodedRuleCache encoded_rules_;
};

}  // namespace quelbo
