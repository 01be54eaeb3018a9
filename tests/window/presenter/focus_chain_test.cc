#include "window/presenter/focus_chain.h"

#include <gtest/gtest.h>

namespace quelbo {
namespace {

using Chain = std::vector<size_t>;

TEST(FocusChain, RowByRowInSightAndOneOptionForItsGroup) {
  auto at = [](int left, int top) { return FocusCandidate{{left, top, 10, 10}}; };
  FocusCandidate hidden = at(0, 0);
  hidden.in_sight = false;
  auto option = [&](int left, bool chosen) {
    FocusCandidate candidate = at(left, 50);
    candidate.option = true;
    candidate.chosen = chosen;
    return candidate;
  };
  struct Case {
    std::vector<FocusCandidate> candidates;
    Chain chain;
  };
  const Case cases[] = {
      {{at(20, 10), at(0, 10), at(5, 0)}, {2, 1, 0}},
      {{at(0, 0), hidden, at(0, 20)}, {0, 2}},
      {{option(0, false), option(10, true), at(20, 50)}, {1, 2}},
      {{option(30, false), option(10, false), at(0, 0)}, {2, 0}},  // none chosen: the first
      {{}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(FocusChain(c.candidates), c.chain);
}

TEST(FocusChain, NextWrapsAroundAndStartsAtAnEndFromOutside) {
  const Chain chain = {4, 2, 7};
  struct Case {
    std::optional<size_t> current;
    bool forward;
    std::optional<size_t> next;
  };
  const Case cases[] = {
      {4, true, 2}, {7, true, 4}, {4, false, 7}, {std::nullopt, true, 4}, {9, false, 7}};
  for (const Case& c : cases) EXPECT_EQ(NextInChain(chain, c.current, c.forward), c.next);
  EXPECT_EQ(NextInChain({}, 1, true), std::nullopt);
}

}  // namespace
}  // namespace quelbo
