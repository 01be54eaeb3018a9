#pragma once

#include <cstdint>
#include <string>

#include "page/page_files.h"
#include "panel/control_panel.h"
#include "platform/file_system.h"
#include "run/run_report.h"
#include "run/site_listing.h"
#include "run/step_scheduler.h"

namespace quelbo {

// The steps that list the pages of a run into the pending-page list: the root directory, and
// with subdirectories on its immediate subdirectories, one per step, collected in the
// collected file list and merged in front of the root's pages at the end markers.
class DirectoryWalker {
 public:
  DirectoryWalker(ControlPanel& panel, StepScheduler& scheduler, FileSystem& fs,
                  const SiteRoot& root, RunReport& report,
                  const Texts& texts = TextsIn(kFormLanguage));

  void InstallSteps();

  void ListRootFiles();          // du
  void CollectSubdirectories();  // Timer4
  void NextDirectory();          // Timer5
  void ListDirectoryFiles();     // Timer6

  // Appends the root's subdirectories to the directory queue, one per line.
  void ListSubdirectories();

  // Whether a listing step is armed or running: the pending-page list is not complete yet.
  bool Listing() const;

  // A preview's listing removes nothing: leftover temporary files stay for the next run.
  void SetPreview(bool preview) { listing_.SetRemovesLeftovers(!preview); }

 private:
  // Builds a directory block of `names`, yielding after each one and showing the next name on
  // `shown_on` ("" after the last).
  std::u16string ListIntoBlock(const std::vector<std::u16string>& names, std::u16string_view prefix,
                               Control shown_on);
  void SetUpProgress(long long found);
  void MergeCollectedFiles();
  // The line breaks in the collected file list, counted once: each directory's block comes in
  // front of those before it, and counting the whole list again for every directory would
  // make the walk quadratic in the number of directories.
  long long CollectedBreaks();
  // Remembers `breaks` as the count of the collected file list as it is now.
  void NoteCollectedBreaks(long long breaks);
  // An entry or directory the listing left out: on the status line and in the report.
  void ReportSkipped(SkippedPage page);

  ControlPanel& panel_;
  StepScheduler& scheduler_;
  RunReport& report_;
  const Texts& texts_;
  SiteListing listing_;
  // What CollectedBreaks knows, and the version and size of the list it was counted on.
  long long collected_breaks_ = 0;
  std::uint64_t collected_version_ = 0;
  size_t collected_size_ = 0;
};

}  // namespace quelbo
