#include "window/presenter/line_breaks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quelbo {
namespace {

struct ShownCase {
  std::u16string model;
  std::u16string display;
};

TEST(LineBreaks, EveryBreakShowsAsOneCharacter) {
  const ShownCase cases[] = {
      {u"", u""},
      {u"a\r\nb", u"a\nb"},
      {u"a\nb\rc\r\nd", u"a\nb\nc\nd"},
      {u"\r\r\n\n\r", u"\n\n\n\n"},
      {u"\n\r", u"\n\n"},  // LF CR is two breaks, not one
      {u"页\r\n面", u"页\n面"},
  };
  for (const auto& [model, display] : cases) {
    EXPECT_EQ(ToDisplay(model), display);
    EXPECT_EQ(DisplayLength(model), display.size());
    EXPECT_EQ(ModelPosition(model, display.size()), model.size());
  }
}

TEST(LineBreaks, APrefixCutInsideCrLfLeavesTheBreakToItsLf) {
  const std::u16string model = u"a\r\nb";
  EXPECT_EQ(DisplayLength(model, 1), 1u);
  EXPECT_EQ(DisplayLength(model, 2), 1u);  // "a\r": the break is still shown, by the LF
  EXPECT_EQ(DisplayLength(model, 3), 2u);
  EXPECT_EQ(DisplayLength(std::u16string_view(model).substr(2)), 2u);
  EXPECT_EQ(DisplayLength(u"a\r", 2), 2u);  // a CR at the very end is a break of its own
}

TEST(LineBreaks, ModelPositionsSkipWholeCrLfPairs) {
  const std::u16string model = u"ab\r\ncd\ne\rf";
  const size_t expected[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 10};
  for (size_t shown = 0; shown < std::size(expected); ++shown) {
    EXPECT_EQ(ModelPosition(model, shown), expected[shown]) << shown;
  }
  // Where the first lines end: at each break, a CR LF pair counted once.
  const size_t line_ends[] = {2, 6, 8, 10, 10};
  for (size_t lines = 1; lines <= std::size(line_ends); ++lines) {
    EXPECT_EQ(LinesEnd(model, lines), line_ends[lines - 1]) << lines;
  }
}

struct EditCase {
  const char* name;
  std::u16string model;
  size_t at;
  size_t removed;
  std::u16string added;
  std::u16string result;
};

TEST(LineBreaks, WidgetEditsChangeOnlyTheEditedRange) {
  const EditCase cases[] = {
      {"typed break is CR LF", u"one\ntwo", 3, 0, u"\u2029", u"one\r\n\ntwo"},
      {"line separator too", u"ab", 1, 0, u"\u2028", u"a\r\nb"},
      {"typing after bare LF", u"one\ntwo\nthree", 7, 0, u"X", u"one\ntwoX\nthree"},
      {"deleting a bare LF", u"one\ntwo", 3, 1, u"", u"onetwo"},
      {"deleting a CR LF at once", u"one\r\ntwo", 3, 1, u"", u"onetwo"},
      {"deleting a bare CR", u"a\rb", 1, 1, u"", u"ab"},
      {"across breaks", u"a\nb\r\nc\rd", 1, 5, u"-", u"a-d"},
      // Widgets may report a whole block as replaced when only a character was added.
      {"generous report", u"x\ny\rz", 0, 5, u"x\u2029yQ\u2029z", u"x\nyQ\rz"},
      {"generous report, all same", u"x\r\ny", 0, 3, u"x\u2029y", u"x\r\ny"},
      {"replacing a break by a typed break", u"a\nb", 1, 1, u"\u2029", u"a\nb"},
      {"pasted CR LF counts once", u"ab", 1, 0, u"1\r\n2", u"a1\r\n2b"},
      {"at the very end", u"a\n", 2, 0, u"b", u"a\nb"},
      {"bare CR and bare LF brought together", u"\r\r\n\n", 1, 1, u"", u"\r\n\n"},
      {"likewise with text between", u"a\rxy\nb", 2, 2, u"", u"a\r\n\nb"},
  };
  for (const auto& c : cases) {
    const TextEdit edit = ToModelEdit(c.model, c.at, c.removed, c.added);
    const std::u16string result = ApplyEdit(c.model, edit);
    EXPECT_EQ(result, c.result) << c.name;
    // Whatever the model keeps, it shows as the widget does after the edit.
    std::u16string widget = ToDisplay(c.model);
    std::u16string added = c.added;
    std::replace_if(
        added.begin(), added.end(), [](char16_t u) { return u > 0x2000; }, u'\n');
    widget.replace(c.at, c.removed, ToDisplay(added));
    EXPECT_EQ(ToDisplay(result), widget) << c.name;
  }
}

TEST(LineBreaks, AnUnchangedReportGivesAnEmptyEdit) {
  const TextEdit edit = ToModelEdit(u"a\nb\r\nc", 0, 5, u"a\u2029b\u2029c");
  EXPECT_EQ(edit.removed, 0u);
  EXPECT_TRUE(edit.added.empty());
}

TEST(LineBreaks, ChangedRangesKeepTheSameFrontAndBackWithoutPartingCrLf) {
  struct Case {
    std::u16string before, after;
    ChangedRange range;
  };
  const Case cases[] = {
      {u"b\r\nc", u"a\r\nb\r\nc", {0, 0, 3}},  // a block put in front
      {u"a\r\n", u"a\r\nb\r\n", {3, 3, 6}},    // and at the end
      {u"same", u"same", {4, 4, 4}},
      {u"a\rb", u"a\r\nb", {1, 2, 3}},  // the new LF would pair with the kept CR
      {u"a\nb", u"a\r\nb", {1, 2, 3}},  // the kept LF would pair with the new CR
      {u"a\r\nb", u"a\nb", {1, 3, 2}},
      {u"\r\r", u"\r\r\n", {1, 2, 3}},
      {u"", u"x", {0, 0, 1}},
  };
  for (const Case& c : cases) {
    const ChangedRange range = FindChangedRange(c.before, c.after);
    EXPECT_EQ(range, c.range);
    // Each part shows on its own as it does within its text.
    const std::u16string_view before(c.before), after(c.after);
    EXPECT_EQ(ToDisplay(before.substr(0, range.start)) +
                  ToDisplay(after.substr(range.start, range.after_end - range.start)) +
                  ToDisplay(before.substr(range.before_end)),
              ToDisplay(after));
  }
}

}  // namespace
}  // namespace quelbo
