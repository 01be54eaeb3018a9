// The whole program in its window: a session on a temporary site and configuration directory,
// driven through the widgets by their control names, with the scheduler on Qt's event loop.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/text_codec.h"
#include "panel/settings_fields.h"
#include "platform/ini_profile.h"
#include "run/session.h"
#include "support/temp_dir.h"
#include "support/window_items.h"
#include "window/qt/journal_bar.h"
#include "window/qt/main_window.h"
#include "window/qt/qt_step_driver.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class ProgramWindowTest : public ::testing::Test {
 public:
  ProgramWindowTest() {
    fs_.MakeDirectories(site_).value();
    session_ = std::move(Session::Create(fs_, clock_, SessionPaths{site_, config_}).value());
    window_ = std::make_unique<MainWindow>(session_->panel(),
                                           [this](Control command) { session_->Click(command); });
    window_->ShowSession(*session_, clock_);
  }

  // What the program does at start-up, once the configuration directory holds what a test
  // put there.
  void StartUp() {
    session_->LoadSettings();
    driver_ = std::make_unique<QtStepDriver>(session_->scheduler(), clock_);
    window_->show();
    window_->RefreshNow();
  }
  void Key(std::u16string_view key, std::u16string_view value) {
    fs_.MakeDirectories(config_).value();
    ASSERT_TRUE(WriteIniValue(fs_, u"HTML", key, value, config_ + "htm批处理配置.ini"));
  }
  // Root-only .htm pages in UTF-8, no detection.
  void PlainRunSettings() {
    Key(u"后缀", u"1");
    Key(u"自动识别", u"0");
    Key(u"UTF读入", u"1");
    Key(u"UTF输出", u"1");
  }

  template <typename W = QWidget>
  W* Find(Control control) {
    return window_->findChild<W*>(QString::fromLatin1(ControlName(control)));
  }
  void Click(Control control) { QTest::mouseClick(Find(control), Qt::LeftButton); }
  std::u16string Shown(Control control) {
    window_->RefreshNow();
    if (auto* label = Find<QLabel>(control)) return label->text().toStdU16String();
    if (auto* line = Find<QLineEdit>(control)) return line->text().toStdU16String();
    if (auto* button = Find<QAbstractButton>(control)) return button->text().toStdU16String();
    return Find<QPlainTextEdit>(control)->toPlainText().toStdU16String();
  }
  // Runs the event loop until `done` or a time limit.
  bool RunEventsUntil(const std::function<bool()>& done, int limit_ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    // Asked from a timer too, which fires within a step's yields: what a long step shows for a
    // while is seen.
    bool seen = false;
    QTimer asking;
    asking.callOnTimeout([&] { seen = seen || done(); });
    asking.start(1);
    while (!seen && !(seen = done())) {
      if (timer.elapsed() > limit_ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
  }
  bool RunUntilIdle() {
    return RunEventsUntil([this] { return session_->scheduler().Idle(); });
  }
  std::string Page(const std::string& name) const { return site_ + "/" + name; }

  testing::TempDir dir_;
  std::string site_ = dir_ / "site";
  std::string config_ = dir_ / "config/AAAHTML批量替换配置log/";
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  SteadyClock clock_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QtStepDriver> driver_;
};

TEST_F(ProgramWindowTest, StartUpOnAnEmptyConfigurationDirectory) {
  StartUp();
  EXPECT_EQ(Shown(Control::Command4), u"停止");
  EXPECT_EQ(Shown(Control::Text1), u"");
  EXPECT_EQ(Shown(Control::Text2), u"");
  EXPECT_EQ(Shown(Control::Text7), u"");
  EXPECT_EQ(Shown(Control::Text11), u"Text11");  // sets 1 and 2 are not loaded while off
  EXPECT_TRUE(Find<QAbstractButton>(Control::Option1)->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>(Control::Check5)->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>(Control::Check3)->isChecked());
  EXPECT_TRUE(Find(Control::Text11)->isEnabled());
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quelbo - HTML批量处理5.1"));
  EXPECT_TRUE(testing::Exists(config_ + "tihuanqian.txt"));
}

TEST_F(ProgramWindowTest, AWholeRunStartedWithCommand1RewritesThePages) {
  PlainRunSettings();
  Key(u"替换前1", u"旧");
  Key(u"替换后1", u"新");
  for (int i = 0; i < 20; ++i) WriteBytes(Page("p" + std::to_string(i) + ".htm"), "旧\xE6\x97\xA7");
  StartUp();
  Click(Control::Command1);
  ASSERT_TRUE(RunUntilIdle());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(ReadBytes(Page("p" + std::to_string(i) + ".htm")), "\xE6\x96\xB0\xE6\x96\xB0");
  }
  EXPECT_EQ(Shown(Control::Label1), u"本目录内页面全部处理完毕了");
  EXPECT_EQ(Shown(Control::url), u"");
}

// The Qt window as the shared items drive it.
class QtWindowDriver final : public testing::WindowDriver {
 public:
  explicit QtWindowDriver(ProgramWindowTest& test) : test_(test) {}
  Session& session() override { return *test_.session_; }
  QWidget* Widget(std::string_view name) {
    return test_.window_->findChild<QWidget*>(
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  }
  void Click(std::string_view name) override {
    test_.window_->RefreshNow();
    QTest::mouseClick(Widget(name), Qt::LeftButton);
  }
  void Enter(std::string_view name) override {
    test_.window_->RefreshNow();
    Widget(name)->setFocus();
    QTest::keyClick(Widget(name), Qt::Key_Return);
  }
  bool Enabled(std::string_view name) override {
    test_.window_->RefreshNow();
    return Widget(name)->isEnabled();
  }
  std::u16string Shown(std::string_view name) override {
    test_.window_->RefreshNow();
    QWidget* widget = Widget(name);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
      return edit->toPlainText().toStdU16String();
    return widget->property("text").toString().toStdU16String();
  }
  size_t PreviewRows() override {
    test_.window_->RefreshNow();
    return static_cast<size_t>(
        test_.window_->findChild<QListWidget*>(QStringLiteral("previewPages"))->count());
  }
  bool RunUntil(const std::function<bool()>& done) override { return test_.RunEventsUntil(done); }

 private:
  ProgramWindowTest& test_;
};

TEST(ProgramWindowItems, EveryNumberedItemThroughTheRealControls) {
  for (const testing::WindowItem& item : testing::WindowItems()) {
    struct Fixture : ProgramWindowTest {
      void TestBody() override {}
    } fixture;
    fixture.PlainRunSettings();
    fixture.Key(u"替换前1", u"a");
    fixture.Key(u"替换后1", u"b");
    fixture.StartUp();
    QtWindowDriver driver(fixture);
    testing::PlayWindowItem(driver, item, fixture.site_);
  }
}

TEST_F(ProgramWindowTest, BelowTheDesignedAreaNothingOverlapsAndThePreviewGrowsTheWindow) {
  PlainRunSettings();
  StartUp();
  auto* row = window_->findChild<QWidget*>(QStringLiteral("journalBar"));
  auto* status_bar = window_->findChild<QWidget*>(QStringLiteral("statusBar"));
  auto* undo = window_->findChild<QWidget*>(QStringLiteral("undoButton"));
  window_->resize(400, 300);  // as small as it lets itself be
  EXPECT_LE(undo->mapTo(window_.get(), QPoint(0, undo->height())).y(), status_bar->y());
  window_->resize(window_->width() + 40, window_->height() + 50);  // enlarged by the user
  const QSize enlarged = window_->size();
  QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("previewButton")), Qt::LeftButton);
  ASSERT_TRUE(RunUntilIdle());
  window_->RefreshNow();
  EXPECT_EQ(window_->size(), enlarged + QSize(0, JournalBar::kListHeight));
  auto* list = window_->findChild<QWidget*>(QStringLiteral("previewArea"));
  EXPECT_TRUE(list->isVisible());
  EXPECT_LE(list->mapTo(window_.get(), QPoint(0, list->height())).y(), status_bar->y());
  EXPECT_LE(row->geometry().bottom(), status_bar->geometry().top());
}

TEST_F(ProgramWindowTest, ContinueBeforeAnyStartEndsAtOnce) {
  StartUp();
  Click(Control::Command4);  // Stop
  Click(Control::Command4);  // Continue
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Shown(Control::Label1), u"本目录内页面全部处理完毕了");
}

TEST_F(ProgramWindowTest, ListTextsWithBareLineFeedsAreSavedBackAsTheyWere) {
  PlainRunSettings();
  fs_.MakeDirectories(config_).value();
  WriteBytes(config_ + "tihuanqian.txt", "line one\nline two\r\n");
  StartUp();
  EXPECT_EQ(Shown(Control::Text2), u"line one\nline two");
  Click(Control::Command1);  // saves every setting, then runs
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadBytes(config_ + "tihuanqian.txt"), "line one\nline two\r\n");
}

TEST_F(ProgramWindowTest, ATypedMultiLineRuleIsStoredWithCrLf) {
  PlainRunSettings();
  StartUp();
  auto* text13 = Find<QPlainTextEdit>(field::deleteText);
  text13->setFocus();
  QTest::keyClicks(text13, "ad");
  QTest::keyClick(text13, Qt::Key_Return);
  QTest::keyClicks(text13, "end");
  EXPECT_EQ(session_->panel().Text(field::deleteText), u"ad\r\nend");
  Click(Control::Command1);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadBytes(config_ + "shanchu.txt"), "ad\r\nend\r\n");
}

TEST_F(ProgramWindowTest, TheStatusBarKeepsTheRunSummaryAndShowsTheSkippedPagesInPlace) {
  PlainRunSettings();
  Key(u"替换前1", u"x");
  Key(u"替换后1", u"y");
  WriteBytes(Page("bad.htm"), "\xD6\xD0");  // not UTF-8
  WriteBytes(Page("good.htm"), "x");
  WriteBytes(Page("same.htm"), "z");
  StartUp();
  const auto bar_text = [this](const char* name) {
    window_->RefreshNow();
    return window_->findChild<QWidget*>(name)->property("text").toString().toStdU16String();
  };
  EXPECT_EQ(window_->findChild<QWidget*>("siteFolder")->toolTip().toStdString(),
            "网站目录：" + session_->root_path());
  EXPECT_TRUE(window_->findChild<QWidget*>("runSummary")->isHidden());  // no run yet
  Click(Control::Command1);
  ASSERT_TRUE(RunUntilIdle());
  session_->panel().SetText(kStatusLine, u"okle");  // whatever the status line says later
  window_->RefreshNow();
  EXPECT_EQ(bar_text("runSummary"), u"已处理 2 页，改动 1 页，");
  EXPECT_EQ(bar_text("skippedCount"), u"跳过 1 页");
  EXPECT_EQ(ReadBytes(Page("bad.htm")), "\xD6\xD0");

  auto* skipped = Find<QPlainTextEdit>(kSkippedPages);
  EXPECT_TRUE(skipped->isReadOnly());
  QTest::mouseClick(window_->findChild<QWidget*>("skippedCount"), Qt::LeftButton);
  EXPECT_EQ(skipped->geometry(), Find(kPendingPages)->geometry());
  EXPECT_TRUE(Find(kPendingPages)->isHidden());
  EXPECT_TRUE(Shown(kSkippedPages).starts_with(u"bad.htm：")) << ToUtf8(Shown(kSkippedPages));

  // The next Start brings the pending-page list back.
  WriteBytes(Page("bad.htm"), "x");
  Click(Control::Command1);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Find(kPendingPages)->isHidden());
  EXPECT_EQ(bar_text("skippedCount"), u"跳过 0 页");
}

TEST_F(ProgramWindowTest, EnterOnAFocusedStartButtonStartsARun) {
  PlainRunSettings();
  StartUp();
  const std::pair<Qt::Key, Qt::KeyboardModifiers> enters[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
  for (const auto& [key, modifiers] : enters) {
    const auto runs = session_->report().runs();
    Find(Control::Command1)->setFocus();
    QTest::keyClick(Find(Control::Command1), key, modifiers);
    EXPECT_EQ(session_->report().runs(), runs + 1) << key;
    ASSERT_TRUE(RunUntilIdle());
  }
}

TEST_F(ProgramWindowTest, ASaveThatStoresQuestionMarksNamesTheFieldsInTheStatusBar) {
  PlainRunSettings();
  StartUp();
  auto* note = window_->findChild<QWidget*>("saveNote");
  session_->panel().SetText(field::pair2Find, u"茶\U0001F375");
  session_->panel().SetText(field::excludedDirs, u"café|ĳ");
  Click(Control::Command1);
  EXPECT_EQ(ReadBytes(config_ + "tihuanqian.txt"), "\xB2\xE8?\r\n");
  EXPECT_EQ(note->toolTip(),
            "替换前2（Text2）、不替换目录（Text9） 含GBK无法保存的字符，已存为“?”");
  EXPECT_FALSE(note->isHidden());
  ASSERT_TRUE(RunUntilIdle());
  session_->panel().SetText(field::pair2Find, u"茶");
  session_->panel().SetText(field::excludedDirs, u"");
  Click(Control::Command1);
  EXPECT_TRUE(note->isHidden());
  ASSERT_TRUE(RunUntilIdle());
}

TEST_F(ProgramWindowTest, ClosingTheWindowStopsTheRunAndSavesNothing) {
  PlainRunSettings();
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  for (int i = 0; i < 300; ++i) WriteBytes(Page("p" + std::to_string(i) + ".htm"), "a");
  StartUp();
  Click(Control::Command1);
  ASSERT_TRUE(RunEventsUntil([this] { return session_->report().processed() >= 5; }));
  const std::string ini = ReadBytes(config_ + "htm批处理配置.ini");
  window_->close();
  driver_->Stop();  // what the program does when its last window closes
  const size_t at_close = session_->report().processed();
  QTest::qWait(50);
  EXPECT_EQ(session_->report().processed(), at_close);
  EXPECT_EQ(ReadBytes(config_ + "htm批处理配置.ini"), ini);
}

}  // namespace
}  // namespace quelbo
