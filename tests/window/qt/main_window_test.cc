#include "window/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <string>
#include <vector>

#include "panel/panel_reactions.h"
#include "panel/settings_fields.h"
#include "support/window_cases.h"
#include "window/presenter/progress_ticks.h"
#include "window/presenter/twips.h"
#include "window/presenter/window_layout.h"

namespace quelbo {
namespace {

QString NameOf(Control control) { return QString::fromLatin1(ControlName(control)); }

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    InstallPanelReactions(panel_, [this] { ++reloads_; });
  }

  template <typename W = QWidget>
  W* Find(Control control) {
    return window_.findChild<W*>(NameOf(control));
  }

  void Click(Control control) { QTest::mouseClick(Find(control), Qt::LeftButton); }

  QRect PixelsOf(const TwipsRect& rect) {
    const PixelRect px = TwipsToPixels(rect, window_.LayoutDpi());
    return {px.left, px.top, px.width, px.height};
  }

  ControlPanel panel_;
  int reloads_ = 0;
  std::vector<Control> commands_;
  MainWindow window_{panel_, [this](Control command) {
                       commands_.push_back(command);
                       if (command == Control::Command5) ClickCommand5(panel_);
                       if (command == Control::Command2) ClickCommand2(panel_);
                     }};
};

bool HasKind(QWidget* widget, ControlKind kind) {
  switch (kind) {
    case ControlKind::kSingleLineText:
      return qobject_cast<QLineEdit*>(widget) != nullptr;
    case ControlKind::kMultiLineText:
      return qobject_cast<QPlainTextEdit*>(widget) != nullptr;
    case ControlKind::kCheckBox:
      return qobject_cast<QCheckBox*>(widget) != nullptr;
    case ControlKind::kOption:
      return qobject_cast<QRadioButton*>(widget) != nullptr;
    case ControlKind::kLabel:
      return qobject_cast<QLabel*>(widget) != nullptr;
    case ControlKind::kCommand:
      return qobject_cast<QPushButton*>(widget) != nullptr;
    case ControlKind::kProgressBar:
      return qobject_cast<QProgressBar*>(widget) != nullptr;
    case ControlKind::kFrame:
      return qobject_cast<QFrame*>(widget) != nullptr;
    case ControlKind::kForm:
      return false;
  }
  return false;
}

TEST_F(MainWindowTest, EveryControlHasExactlyOneWidgetOfItsKind) {
  EXPECT_EQ(window_.objectName(), "Form1");
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (control == Control::Form1) continue;
    const auto found = window_.findChildren<QWidget*>(NameOf(control));
    ASSERT_EQ(found.size(), 1) << ControlName(control);
    EXPECT_TRUE(HasKind(found.front(), KindOf(control))) << ControlName(control);
    EXPECT_TRUE(found.front()->isEnabled()) << ControlName(control);
    EXPECT_FALSE(found.front()->isHidden()) << ControlName(control);
  }
  QStringList on_panel;
  for (QObject* child : Find(Control::Frame1)->children()) {
    if (child->isWidgetType()) on_panel << child->objectName();
  }
  on_panel.sort();
  EXPECT_EQ(on_panel, QStringList({"Check6", "Command2", "Command6", "Text11", "Text15", "Text16",
                                   "Text20", "Text21", "Text22"}));
  const QStringList multi_line = {"Text2",  "Text3",  "Text4",        "Text5", "Text6",
                                  "Text13", "Text11", "RichTextBox2", "Text7", "list"};
  for (const QString& name : multi_line) {
    auto* edit = window_.findChild<QPlainTextEdit*>(name);
    ASSERT_NE(edit, nullptr) << name.toStdString();
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name.toStdString();
  }
}

TEST_F(MainWindowTest, ShowsTheModelsCaptionsTextsAndStates) {
  EXPECT_EQ(window_.windowTitle(), u"Quelbo - HTML批量处理5.1");
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    QWidget* widget = Find(control);
    std::u16string shown;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
      shown = ToU16(button->text());
    else if (auto* label = qobject_cast<QLabel*>(widget))
      shown = ToU16(label->text());
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
      shown = ToU16(line->text());
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
      shown = ToU16(edit->toPlainText());
    else
      continue;
    EXPECT_EQ(shown, panel_.Text(control)) << ControlName(control);
  }
  EXPECT_TRUE(Find<QCheckBox>(Control::Check3)->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(Control::Check1)->isChecked());
  EXPECT_TRUE(Find<QRadioButton>(Control::Option2)->isChecked());

  panel_.SetText(Control::Command4, u"停止");
  panel_.SetText(kStatusLine, u"<b>页面替换中。。。</b>");
  EXPECT_EQ(Find<QPushButton>(Control::Command4)->text(), u"继续");  // not before the frame
  window_.RefreshNow();
  EXPECT_EQ(Find<QPushButton>(Control::Command4)->text(), u"停止");
  EXPECT_EQ(Find<QLabel>(kStatusLine)->text(), u"<b>页面替换中。。。</b>");
  EXPECT_EQ(Find<QLabel>(kStatusLine)->textFormat(), Qt::PlainText);
}

TEST_F(MainWindowTest, TextColoursTellTheBlockSetsApartAndTheStatusLineIsRed) {
  const QColor magenta(255, 0, 255), blue(0, 0, 255), orange(192, 64, 0);
  const std::pair<Control, QColor> coloured[] = {
      {Control::Text4, magenta}, {Control::Text5, magenta}, {Control::Text6, magenta},
      {Control::Text11, blue},   {Control::Text15, blue},   {Control::Text16, blue},
      {Control::Text20, orange}, {Control::Text21, orange}, {Control::Text22, orange},
  };
  for (const auto& [control, colour] : coloured) {
    EXPECT_EQ(Find(control)->palette().color(QPalette::Active, QPalette::Text), colour)
        << ControlName(control);
  }
  EXPECT_EQ(Find(kStatusLine)->palette().color(QPalette::Active, QPalette::WindowText),
            QColor(255, 0, 0));
  const QColor system = QApplication::palette().color(QPalette::Active, QPalette::Text);
  EXPECT_EQ(Find(Control::Text1)->palette().color(QPalette::Active, QPalette::Text), system);
  EXPECT_EQ(Find(Control::Text2)->palette().color(QPalette::Active, QPalette::Text), system);
  // A switched-off block set is greyed out like any disabled field.
  EXPECT_NE(Find(Control::Text4)->palette().color(QPalette::Disabled, QPalette::Text), magenta);
}

TEST_F(MainWindowTest, LayoutKeepsTheDesignRowsAndColumns) {
  const QRect client = PixelsOf({0, 0, 8280, 6750});
  EXPECT_EQ(window_.size().width(), client.width());
  EXPECT_EQ(window_.findChild<QWidget*>("statusBar")->geometry().top(), client.height());
  const QRect left_column = PixelsOf({120, 0, 5535, 6750});
  const QRect right_column = PixelsOf({5760, 0, 2415, 6750});
  const Control left[] = {Control::ProgressBar1, Control::Label1, Control::url,    Control::Text1,
                          Control::Text10,       Control::Text2,  Control::Text3,  Control::Text4,
                          Control::Text5,        Control::Text6,  Control::Text14, Control::Text17,
                          Control::Text18,       Control::Text19, Control::Text13};
  for (Control control : left) {
    EXPECT_TRUE(left_column.contains(Find(control)->geometry())) << ControlName(control);
  }
  for (Control control : {Control::RichTextBox2, Control::Label3}) {
    EXPECT_TRUE(right_column.contains(Find(control)->geometry())) << ControlName(control);
  }
  EXPECT_EQ(Find(Control::RichTextBox2)->geometry().bottom() + 1,
            PixelsOf({0, 0, 0, 5295}).height());
  const int bottom_rows = PixelsOf({0, 0, 0, 5520}).height();
  for (Control control : {Control::Option1, Control::Option2, Control::Option3, Control::Option4,
                          Control::Option5, Control::Option6, Control::Check1, Control::Check2,
                          Control::Check3, Control::Check4, Control::Check5, Control::Command1,
                          Control::Command4, Control::Command5, Control::Text9, Control::Label4}) {
    const QRect rect = Find(control)->geometry();
    EXPECT_GE(rect.top(), bottom_rows) << ControlName(control);
    EXPECT_TRUE(client.contains(rect)) << ControlName(control);
  }
  for (Control control : {Control::Text7, Control::Text8, Control::list, Control::Label2,
                          Control::Command3, Control::Command7, Control::Frame1}) {
    EXPECT_FALSE(client.intersects(Find(control)->geometry())) << ControlName(control);
  }
  EXPECT_EQ(Find(Control::Frame1)->geometry(), PixelsOf({9120, 3120, 5535, 3735}));
}

TEST_F(MainWindowTest, BlockSetPanelFollowsCommand5AndCommand2) {
  const QSize size = window_.size();
  for (const testing::PanelPress& press : testing::kPanelPresses) {
    Click(press.button);
    window_.RefreshNow();
    EXPECT_EQ(ToU16(Find<QPushButton>(Control::Command5)->text()), press.caption);
    EXPECT_EQ(Find(Control::Frame1)->geometry(),
              PixelsOf(press.shown ? testing::kFrame1Shown : testing::kFrame1Parked));
    EXPECT_EQ(window_.size(), size);
  }
  EXPECT_EQ(commands_.size(), std::size(testing::kPanelPresses));
}

TEST_F(MainWindowTest, ShownPanelLiesOverTheFieldsItCovers) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  Click(Control::Command5);
  window_.RefreshNow();
  QWidget* frame = Find(Control::Frame1);
  const auto top_widget_at = [&](Control control) {
    return window_.childAt(Find(control)->geometry().center());
  };
  for (Control covered : {Control::Text3, Control::Text4, Control::Text6, Control::Text18}) {
    QWidget* top = top_widget_at(covered);
    EXPECT_TRUE(top == frame || frame->isAncestorOf(top)) << ControlName(covered);
  }
  for (Control visible : {Control::Text1, Control::Command5, Control::ProgressBar1}) {
    QWidget* top = top_widget_at(visible);
    EXPECT_TRUE(top == Find(visible) || Find(visible)->isAncestorOf(top)) << ControlName(visible);
  }
  window_.hide();
}

TEST_F(MainWindowTest, CheckBoxesWriteTheModelAndTheirReactionsEnableTheBlockSets) {
  Click(field::block0Enabled);
  EXPECT_TRUE(panel_.Ticked(field::block0Enabled));
  Click(field::block0Enabled);
  window_.RefreshNow();
  for (Control control : {Control::Text4, Control::Text5, Control::Text6}) {
    EXPECT_FALSE(Find(control)->isEnabled()) << ControlName(control);
    EXPECT_EQ(Find<QPlainTextEdit>(control)->toPlainText(), NameOf(control));
  }
  Click(field::block0Enabled);
  window_.RefreshNow();
  EXPECT_TRUE(Find(Control::Text5)->isEnabled());

  Click(field::moreBlocksEnabled);
  EXPECT_EQ(reloads_, 1);
  Click(field::moreBlocksEnabled);
  window_.RefreshNow();
  EXPECT_FALSE(Find<QCheckBox>(field::moreBlocksEnabled)->isChecked());
  for (Control control : {Control::Text11, Control::Text15, Control::Text16, Control::Text20,
                          Control::Text21, Control::Text22}) {
    EXPECT_FALSE(Find(control)->isEnabled()) << ControlName(control);
  }
  EXPECT_EQ(reloads_, 1);

  // A box ticked by the model (start-up, charset detection) shows ticked.
  panel_.SetTicked(field::readUtf8, true);
  window_.RefreshNow();
  EXPECT_TRUE(Find<QCheckBox>(field::readUtf8)->isChecked());
}

TEST_F(MainWindowTest, OptionsAreOneGroupWithTheModel) {
  Click(Control::Option5);
  EXPECT_EQ(panel_.SuffixChoice(), 5);
  window_.RefreshNow();
  EXPECT_FALSE(Find<QRadioButton>(Control::Option2)->isChecked());

  panel_.SetTicked(Control::Option5, false);  // the model may have no option chosen
  window_.RefreshNow();
  for (Control option : kSuffixOptions) {
    EXPECT_FALSE(Find<QRadioButton>(option)->isChecked()) << ControlName(option);
  }
  panel_.SetTicked(Control::Option3, true);
  window_.RefreshNow();
  EXPECT_TRUE(Find<QRadioButton>(Control::Option3)->isChecked());
  Click(Control::Option1);
  EXPECT_EQ(panel_.SuffixChoice(), 1);
  EXPECT_FALSE(Find<QRadioButton>(Control::Option3)->isChecked());
}

TEST_F(MainWindowTest, SingleLineEditsWriteTheModelAndModelWritesDoNotEchoBack) {
  auto* excluded = Find<QLineEdit>(field::excludedDirs);
  QTest::keyClicks(excluded, "img|css");
  EXPECT_EQ(panel_.Text(field::excludedDirs), u"img|css");

  int notices = 0;
  const auto id = panel_.AddObserver([&](Control) { ++notices; });
  panel_.SetText(field::excludedDirs, u"img|css|#");
  panel_.SetText(field::pair2Find, u"a\nb");
  panel_.SetText(Control::Command4, u"停止");
  panel_.SetTicked(field::writeUtf8, true);
  const int written = notices;
  window_.RefreshNow();
  EXPECT_EQ(notices, written);
  panel_.RemoveObserver(id);
  EXPECT_EQ(excluded->text(), u"img|css|#");
  EXPECT_EQ(panel_.Text(field::pair2Find), u"a\nb");

  // A long value is shown whole, so that an edit cannot cut it.
  panel_.SetText(field::excludedDirs, std::u16string(40000, u'd'));
  window_.RefreshNow();
  QTest::keyClick(excluded, Qt::Key_End);
  QTest::keyClicks(excluded, "|");
  EXPECT_EQ(panel_.Text(field::excludedDirs), std::u16string(40000, u'd') + u"|");
}

TEST_F(MainWindowTest, ProgressBarFollowsTheModelAndAnEmptyRangeShowsNothing) {
  auto* bar = Find<QProgressBar>(Control::ProgressBar1);
  panel_.SetProgressMax(6);
  panel_.SetProgressValue(3);
  window_.RefreshNow();
  EXPECT_EQ(bar->value(), kProgressTicks / 2);
  for (double max : {0.0, -1.0, -3.0}) {
    panel_.SetProgressMin(0);
    panel_.SetProgressMax(max);
    window_.RefreshNow();
    EXPECT_EQ(bar->value(), 0) << max;
  }
  panel_.SetProgressVisible(false);
  window_.RefreshNow();
  EXPECT_TRUE(bar->isHidden());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(MainWindowTest, AMovingProgressBarIsPaintedWithTheFrameNotAtOnce) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  auto* bar = Find<QProgressBar>(Control::ProgressBar1);
  panel_.SetProgressMax(100);
  PaintCounter counter(*bar);
  for (int value : {10, 55, 90}) {
    counter.paints = 0;
    panel_.SetProgressValue(value);
    window_.RefreshNow();
    EXPECT_EQ(counter.paints, 0) << value;
    EXPECT_EQ(bar->value(), kProgressTicks * value / 100) << value;
    QTest::qWait(2 * static_cast<int>(RefreshPlan::kFrame.count()));
    EXPECT_GE(counter.paints, 1) << value;
  }
}

TEST_F(MainWindowTest, StatusLineBurstsAreShownOncePerFrame) {
  const auto before = window_.Counters();
  for (int i = 0; i < 5000; ++i) {
    panel_.SetText(kStatusLine, u"entry" + std::u16string(1, char16_t(u'0' + i % 10)));
    panel_.SetProgressValue(i % 100);
  }
  EXPECT_EQ(window_.Counters().flushes, before.flushes);
  QTest::qWait(3 * static_cast<int>(RefreshPlan::kFrame.count()));
  const auto after = window_.Counters();
  EXPECT_EQ(after.flushes - before.flushes, 1u);
  EXPECT_EQ(after.controls - before.controls, 2u);
  EXPECT_EQ(Find<QLabel>(kStatusLine)->text(), "entry9");
}

TEST_F(MainWindowTest, AWorkingListBeyondTheEdgeIsShownOnceTheWindowGrowsToIt) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  auto* list = Find<QPlainTextEdit>(Control::list);
  panel_.SetText(Control::list, u"d1/a.htm");
  QTest::qWait(3 * static_cast<int>(RefreshPlan::kFrame.count()));
  EXPECT_EQ(list->toPlainText(), "");
  window_.resize(list->geometry().right() + 1, window_.height());
  EXPECT_EQ(list->toPlainText(), "d1/a.htm");
}

TEST_F(MainWindowTest, TabAndShiftTabLeaveEveryMultiLineFieldWithItsTextUnchanged) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  Click(Control::Command5);  // the block-set panel in sight
  for (size_t i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (KindOf(control) != ControlKind::kMultiLineText) continue;
    auto* field = Find<QPlainTextEdit>(control);
    const std::u16string before(panel_.Text(control));
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
      field->setFocus();
      QTest::keyClick(QApplication::focusWidget(), key);
      EXPECT_FALSE(field->hasFocus()) << ControlName(control) << " " << key;
      EXPECT_EQ(panel_.Text(control), before) << ControlName(control);
      EXPECT_EQ(ToU16(field->toPlainText()), before) << ControlName(control);
    }
  }
}

TEST_F(MainWindowTest, TabVisitsTheControlsInSightAsTheScreenShowsThem) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  const auto tab_round = [this](Control from) {
    QStringList visited;
    Find(from)->setFocus();
    for (int i = 0; i < 60; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      const QString name = QApplication::focusWidget()->objectName();
      if (visited.contains(name)) break;
      visited << name;
    }
    return visited;
  };
  const auto names = [](const auto& round) {
    QStringList list;
    for (std::string_view name : round) {
      list << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    return list;
  };
  EXPECT_EQ(tab_round(Control::Command5), names(testing::kTabRoundPanelParked));
  Find(Control::Text1)->setFocus();
  QTest::keyClick(Find(Control::Text1), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), Find(Control::url));

  // The shown panel takes the place of the fields it covers.
  Click(Control::Command5);
  window_.RefreshNow();
  EXPECT_EQ(tab_round(Control::Command5), names(testing::kTabRoundPanelShown));
}

TEST_F(MainWindowTest, TheFormAndTheStatusBarAreNeverCut) {
  EXPECT_FALSE(window_.windowIcon().isNull());
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  window_.resize(400, 300);
  const QRect form = PixelsOf({0, 0, 8280, 6750});
  auto* bar = window_.findChild<QWidget*>("statusBar");
  EXPECT_GE(window_.width(), form.width());
  EXPECT_EQ(bar->geometry(), QRect(0, form.height(), form.width(), bar->height()));
  EXPECT_EQ(window_.height(), form.height() + bar->height());
  EXPECT_TRUE(window_.rect().contains(Find(Control::Command1)->geometry()));
}

}  // namespace
}  // namespace quelbo
