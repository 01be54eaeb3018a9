#include "run/replacement_batch.h"

#include <utility>

namespace quelbo {
namespace {

constexpr size_t kBatchPages = 1024;
constexpr size_t kBatchBytes = size_t{64} << 20;

}  // namespace

bool ReplacementBatch::Full() const {
  return entries_.size() >= kBatchPages || bytes_ >= kBatchBytes;
}

Status ReplacementBatch::Stage(std::u16string_view entry, const SiteRoot::Page& page,
                               std::string_view bytes) {
  if (auto staged = fs_.StageReplacement(page.path, bytes, page.info); !staged) return staged;
  entries_.emplace_back(entry);
  paths_.insert(page.path);
  bytes_ += bytes.size();
  return Ok();
}

std::vector<ReplacementBatch::Outcome> ReplacementBatch::Commit() {
  std::vector<Outcome> outcomes;
  if (entries_.empty()) return outcomes;
  std::vector<Status> statuses = fs_.CommitStaged();
  std::vector<std::u16string> entries = Discard();  // the file system holds nothing any more
  for (size_t i = 0; i < entries.size(); ++i) {
    outcomes.push_back(
        {std::move(entries[i]),
         i < statuses.size()
             ? std::move(statuses[i])
             : Status(std::unexpected(Error(ErrorKind::kIo, "replace", "", "not committed")))});
  }
  return outcomes;
}

std::vector<std::u16string> ReplacementBatch::Discard() {
  fs_.DiscardStaged();
  paths_.clear();
  bytes_ = 0;
  return std::exchange(entries_, {});
}

}  // namespace quelbo
