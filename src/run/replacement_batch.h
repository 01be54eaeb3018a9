#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "page/page_files.h"
#include "platform/file_system.h"

namespace quelbo {

// Pages whose new bytes are staged for replacement (see FileSystem::StageReplacement) and
// wait to be committed together, so that the disk's flushes are shared by a whole batch: the
// way both a run and an undo replace pages.
class ReplacementBatch {
 public:
  // REQUIRES: `fs` outlives the batch.
  explicit ReplacementBatch(FileSystem& fs) : fs_(fs) {}

  // Whether a page at `path` waits: a page written twice must be committed in between.
  bool Holds(const std::string& path) const { return paths_.contains(path); }
  bool empty() const { return entries_.empty(); }
  // At this many pages or bytes a batch is committed: large enough that the flushes are
  // shared by many pages, small enough that few finished pages wait.
  bool Full() const;

  // Stages `bytes` to replace `page`, as ReplaceKnownFile would; on failure nothing waits.
  [[nodiscard]] Status Stage(std::u16string_view entry, const SiteRoot::Page& page,
                             std::string_view bytes);

  struct Outcome {
    std::u16string entry;
    Status status;
  };
  // Replaces every waiting page (each unless it changed meanwhile), in the order staged.
  std::vector<Outcome> Commit();
  // Drops every waiting page, each left as it is; their entries, in the order staged.
  std::vector<std::u16string> Discard();

 private:
  FileSystem& fs_;
  std::vector<std::u16string> entries_;
  std::unordered_set<std::string> paths_;
  size_t bytes_ = 0;
};

}  // namespace quelbo
