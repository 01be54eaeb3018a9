#include "page/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quelbo {
namespace {

// The obviously correct search the fast one must agree with.
size_t NaiveFind(std::u16string_view text, std::u16string_view pattern, size_t from) {
  for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
    if (text.substr(i, pattern.size()) == pattern) return i;
  }
  return std::u16string_view::npos;
}

TEST(TextSearch, SystemSearchRules) {
  EXPECT_EQ(FindText(u"abc", u""), 0u);          // empty sought: at the start
  EXPECT_EQ(FindText(u"", u""), std::nullopt);   // nothing in an empty text
  EXPECT_EQ(FindText(u"", u"a"), std::nullopt);
  EXPECT_EQ(FindText(u"xAbcabc", u"abc"), 4u);   // case-sensitive
  EXPECT_EQ(FindText(u"ab", u"abc"), std::nullopt);
}

TEST(TextSearch, AgreesWithNaiveSearchOnRandomTexts) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    // A tiny alphabet makes near misses and overlaps common.
    const auto letter = [&] { return static_cast<char16_t>(u'a' + random() % 3); };
    std::u16string text(random() % 80, u'a');
    for (auto& c : text) c = letter();
    std::u16string pattern(1 + random() % 12, u'a');
    for (auto& c : pattern) c = letter();
    const size_t from = text.empty() ? 0 : random() % (text.size() + 1);
    EXPECT_EQ(TextSearcher(pattern).FindIn(text, from), NaiveFind(text, pattern, from))
        << "round " << round;
  }
}

TEST(TextSearch, AdversarialPatternsStillFindTheRightPlace) {
  // Patterns whose first and last units match everywhere in a run of "a": the filter proposes
  // every position and the search must fall back to the automaton without losing a match.
  std::u16string text(200000, u'a');
  std::u16string pattern = std::u16string(500, u'a') + u"b" + std::u16string(499, u'a');
  EXPECT_EQ(TextSearcher(pattern).FindIn(text), std::u16string_view::npos);
  text.replace(150000, pattern.size(), pattern);
  EXPECT_EQ(TextSearcher(pattern).FindIn(text), 150000u);
  EXPECT_EQ(TextSearcher(pattern).FindIn(text, 150001), std::u16string_view::npos);

  const std::u16string a_then_b = std::u16string(1000, u'a') + u"b";
  std::u16string page(1'000'000, u'a');
  EXPECT_EQ(TextSearcher(a_then_b).FindIn(page), std::u16string_view::npos);
  page += u"b";
  EXPECT_EQ(TextSearcher(a_then_b).FindIn(page), page.size() - a_then_b.size());
}

TEST(TextSearch, NonAsciiUnitsAndTails) {
  const std::u16string text = u"前后中文中文字";
  EXPECT_EQ(TextSearcher(u"中文字").FindIn(text), 4u);
  EXPECT_EQ(TextSearcher(u"字").FindIn(text), 6u);
  EXPECT_EQ(TextSearcher(u"后中").FindIn(text, 2), std::u16string_view::npos);
}

}  // namespace
}  // namespace quelbo
