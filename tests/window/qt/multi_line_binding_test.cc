#include "window/qt/multi_line_binding.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <random>
#include <string>

#include "panel/settings_fields.h"
#include "window/presenter/line_breaks.h"

namespace quelbo {
namespace {

class MultiLineBindingTest : public ::testing::Test {
 protected:
  void Show(Control control, std::u16string text) {
    control_ = control;
    panel_.SetText(control, std::move(text));
    binding_.reset();
    binding_ = std::make_unique<MultiLineBinding>(panel_, control, editor_);
  }

  // Where the user puts the cursor, in characters of the widget.
  void PlaceCursor(int position) {
    QTextCursor cursor = editor_.textCursor();
    cursor.setPosition(position);
    editor_.setTextCursor(cursor);
  }

  std::u16string Widget() const { return editor_.toPlainText().toStdU16String(); }
  std::u16string_view Model() const { return panel_.Text(control_); }

  ControlPanel panel_;
  Control control_ = field::pair2Find;
  QPlainTextEdit editor_;
  std::unique_ptr<MultiLineBinding> binding_;
};

TEST_F(MultiLineBindingTest, ATypedRuleHasCrLfBreaks) {
  Show(field::pair2Find, u"");
  QTest::keyClicks(&editor_, "<div>");
  QTest::keyClick(&editor_, Qt::Key_Return);
  QTest::keyClicks(&editor_, "</div>");
  QTest::keyClick(&editor_, Qt::Key_Enter);
  EXPECT_EQ(Model(), u"<div>\r\n</div>\r\n");
  QTest::keyClick(&editor_, Qt::Key_Backspace);
  EXPECT_EQ(Model(), u"<div>\r\n</div>");
}

TEST_F(MultiLineBindingTest, ShownTextsKeepTheirBreaksByteForByte) {
  const std::u16string texts[] = {u"a\nb\nc\n", u"a\rb\r", u"x\r\ny\nz\r\r\n", u"\n\n"};
  for (const auto& text : texts) {
    Show(field::deleteText, text);
    binding_->Refresh();
    PlaceCursor(1);
    QTest::keyClick(&editor_, Qt::Key_End);  // moving around is no edit
    binding_->Refresh();
    EXPECT_EQ(Model(), text);
    EXPECT_EQ(Widget(), ToDisplay(text));
  }
}

TEST_F(MultiLineBindingTest, AnEditChangesOnlyTheEditedRange) {
  Show(field::block0Replace, u"one\ntwo\nthree\n");
  PlaceCursor(7);  // after "two"
  QTest::keyClicks(&editor_, "X");
  QTest::keyClick(&editor_, Qt::Key_Return);
  EXPECT_EQ(Model(), u"one\ntwoX\r\n\nthree\n");

  PlaceCursor(4);  // start of "twoX": joins the first two lines
  QTest::keyClick(&editor_, Qt::Key_Backspace);
  EXPECT_EQ(Model(), u"onetwoX\r\n\nthree\n");

  QTextCursor selection = editor_.textCursor();
  selection.setPosition(1);
  selection.setPosition(10, QTextCursor::KeepAnchor);  // "netwoX", break, break, "t"
  editor_.setTextCursor(selection);
  QTest::keyClicks(&editor_, "-");
  EXPECT_EQ(Model(), u"o-hree\n");
  binding_->Refresh();
  EXPECT_EQ(Widget(), u"o-hree\n");
}

TEST_F(MultiLineBindingTest, RewrittenListsChangeOnlyTheirDifference) {
  Show(kCollectedFiles, u"###");
  int added = 0;
  QObject::connect(editor_.document(), &QTextDocument::contentsChange,
                   [&](int, int, int chars_added) { added += chars_added; });
  // As the walk collects a directory at a time, each block in front of the others.
  std::u16string block = u"d/p.html\r\nd/q.html\r\n";
  for (int i = 0; i < 20; ++i) {
    panel_.SetText(control_, block + std::u16string(Model()));
    binding_->Refresh();
  }
  EXPECT_EQ(Widget(), ToDisplay(Model()));
  EXPECT_EQ(added, 20 * 18);
}

TEST_F(MultiLineBindingTest, AnyMixOfWritesDropsEditsAndRefreshesShowsTheModel) {
  // Texts of a, CR and LF only, so that cuts fall next to and inside CR LF pairs; the user
  // types in between, also while the widget is behind the model.
  std::mt19937 random(7);
  const auto pick = [&](size_t bound) {
    return std::uniform_int_distribution<size_t>(0, bound)(random);
  };
  const auto piece = [&] {
    std::u16string text;
    for (size_t n = pick(4); n > 0; --n) text.push_back(u"a\r\n"[pick(2)]);
    return text;
  };
  Show(kPendingPages, u"a\r\na\na\ra");
  bool up_to_date = true;  // the widget shows the model as it is
  size_t held = 0;         // lines held back from: none when 0
  bool cut = false;        // the last refresh held lines back
  for (int step = 0; step < 3000; ++step) {
    const std::u16string model(Model());
    switch (pick(5)) {
      case 0: {
        const size_t at = pick(model.size());
        const size_t removed = pick(model.size() - at);
        panel_.SetText(control_, model.substr(0, at) + piece() + model.substr(at + removed));
        break;
      }
      case 1:
        panel_.DropTextPrefix(control_, pick(std::min<size_t>(model.size(), 3)));
        break;
      case 2: {  // the user, on whatever the widget shows at the moment
        PlaceCursor(static_cast<int>(pick(static_cast<size_t>(editor_.toPlainText().size()))));
        const Qt::Key keys[] = {Qt::Key_X, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete};
        QTest::keyClick(&editor_, keys[pick(3)]);
        // An edit of an up-to-date widget is the model's new text, as shown; of a cut one,
        // nothing.
        if (up_to_date && !cut) {
          ASSERT_EQ(ToDisplay(Model()), Widget()) << step;
        }
        if (cut) {
          ASSERT_EQ(Model(), model) << step;
        }
        continue;
      }
      case 4:
        held = pick(1) == 0 ? 0 : 1 + pick(3);
        binding_->HoldBackLines(held);
        continue;
      default: {
        binding_->Refresh();
        const size_t end = held == 0 ? model.size() : LinesEnd(model, held);
        ASSERT_EQ(Widget(), ToDisplay(model.substr(0, end))) << step;
        up_to_date = true;
        cut = end < model.size();
        continue;
      }
    }
    up_to_date = false;
    if (Model().size() > 60) panel_.SetText(control_, u"a\r\n");
  }
}

TEST_F(MultiLineBindingTest, AnEditAfterAPendingDropKeepsTheDrop) {
  Show(kPendingPages, u"a.htm\nb.htm\n###");
  panel_.DropTextPrefix(control_, 6);  // the run took "a.htm"; not shown yet
  PlaceCursor(12);                     // the user types in front of "###"
  QTest::keyClicks(&editor_, "c.htm");
  QTest::keyClick(&editor_, Qt::Key_Return);
  EXPECT_EQ(Model(), u"b.htm\nc.htm\r\n###");
  binding_->Refresh();
  EXPECT_EQ(Widget(), u"b.htm\nc.htm\n###");
}

TEST_F(MultiLineBindingTest, AnEditOfWhatTheRunHasTakenGivesWayToTheModel) {
  Show(kPendingPages, u"a.htm\nb.htm\n###");
  panel_.DropTextPrefix(control_, 6);
  PlaceCursor(1);
  QTest::keyClicks(&editor_, "x");
  EXPECT_EQ(Model(), u"b.htm\n###");
  binding_->Refresh();
  EXPECT_EQ(Widget(), u"b.htm\n###");

  panel_.SetText(control_, u"new.htm\n###");  // likewise a rewritten list
  PlaceCursor(0);
  QTest::keyClicks(&editor_, "y");
  EXPECT_EQ(Model(), u"new.htm\n###");
  binding_->Refresh();
  EXPECT_EQ(Widget(), u"new.htm\n###");
}

TEST_F(MultiLineBindingTest, AHundredThousandLineListIsConsumedFrontByFront) {
  constexpr int kLines = 100000;
  std::u16string list;
  for (int i = 0; i < kLines; ++i) {
    std::u16string line = u"sub/page" + QString::number(i).toStdU16String() + u".html";
    list += line + (i % 3 == 0 ? u"\n" : u"\r\n");
  }
  list += u"###";
  Show(kPendingPages, list);
  int added = 0;
  QObject::connect(editor_.document(), &QTextDocument::contentsChange,
                   [&](int, int, int chars_added) { added += chars_added; });
  // As a run does it: one line per page, the widget refreshed once per frame of pages.
  for (int i = 0; i < kLines; ++i) {
    const std::u16string_view text = Model();
    panel_.DropTextPrefix(control_, text.find(u'\n') + 1);
    if (i % 50 == 0) binding_->Refresh();
    if (i % 25000 == 0) {
      ASSERT_EQ(Widget(), ToDisplay(Model())) << i;
    }
  }
  binding_->Refresh();
  EXPECT_EQ(Model(), u"###");
  EXPECT_EQ(Widget(), u"###");
  // Only fronts were removed: the document was never rewritten whole.
  EXPECT_EQ(added, 0);
}

}  // namespace
}  // namespace quelbo
