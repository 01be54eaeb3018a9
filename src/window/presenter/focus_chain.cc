#include "window/presenter/focus_chain.h"

#include <algorithm>

namespace quelbo {

std::vector<size_t> FocusChain(std::span<const FocusCandidate> candidates) {
  const bool any_chosen = std::any_of(candidates.begin(), candidates.end(),
                                      [](const FocusCandidate& c) { return c.option && c.chosen; });
  bool first_option = true;
  std::vector<size_t> chain;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const FocusCandidate& candidate = candidates[i];
    // An option that is not chosen is reached with the arrow keys from the chosen one.
    const bool stands = !candidate.option || candidate.chosen || (!any_chosen && first_option);
    if (candidate.option) first_option = false;
    if (candidate.in_sight && stands) chain.push_back(i);
  }
  std::stable_sort(chain.begin(), chain.end(), [candidates](size_t a, size_t b) {
    const PixelRect& pa = candidates[a].place;
    const PixelRect& pb = candidates[b].place;
    return pa.top != pb.top ? pa.top < pb.top : pa.left < pb.left;
  });
  return chain;
}

std::optional<size_t> NextInChain(std::span<const size_t> chain, std::optional<size_t> current,
                                  bool forward) {
  if (chain.empty()) return std::nullopt;
  const auto at = current ? std::find(chain.begin(), chain.end(), *current) : chain.end();
  if (at == chain.end()) return forward ? chain.front() : chain.back();
  const auto index = static_cast<size_t>(at - chain.begin());
  const size_t size = chain.size();
  return chain[forward ? (index + 1) % size : (index + size - 1) % size];
}

}  // namespace quelbo
