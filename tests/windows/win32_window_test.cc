// The Windows window driven from inside the process through its controls, found by their
// control names: messages as the system sends them on a click or a key, texts read back from
// the controls. A session on a temporary site and configuration directory, the scheduler on
// the message loop.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "panel/settings_fields.h"
#include "platform/ini_profile.h"
#include "run/session.h"
#include "support/temp_dir.h"
#include "support/window_cases.h"
#include "support/window_items.h"
#include "window/presenter/twips.h"
#include "window/win32/win32_journal_bar.h"
#include "window/win32/win32_main_window.h"
// After <windows.h>, which the window brings.
#include <commctrl.h>

#include "window/win32/win32_message_loop.h"
#include "window/win32/win32_step_driver.h"

namespace quelbo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class Win32WindowTest : public ::testing::Test {
 public:
  Win32WindowTest() {
    fs_.MakeDirectories(site_).value();
    session_ = std::move(Session::Create(fs_, clock_, SessionPaths{site_, config_}).value());
    window_ = std::make_unique<Win32MainWindow>(
        session_->panel(), [this](Control command) { session_->Click(command); });
    window_->ShowSession(*session_, clock_);
    win32::SetMessageFilter([this](const MSG& message) { return window_->HandleKey(message); });
  }
  ~Win32WindowTest() override { win32::SetMessageFilter({}); }

  // What the program does at start-up, once the configuration directory holds what a test
  // put there.
  void StartUp() {
    session_->LoadSettings();
    driver_ = std::make_unique<Win32StepDriver>(session_->scheduler(), clock_);
    window_->RefreshNow();
    window_->Show(SW_SHOW);
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
  void WritePages(int count, std::string_view content) {
    for (int i = 0; i < count; ++i) WriteBytes(NumberedPage(i), content);
  }

  HWND Find(Control control) { return window_->Find(ControlName(control)); }
  void Click(Control control) { ::SendMessageW(Find(control), BM_CLICK, 0, 0); }
  bool Checked(Control control) {
    return ::SendMessageW(Find(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  std::u16string Shown(Control control) {
    window_->RefreshNow();
    return WindowText(Find(control));
  }
  // A key pressed on the focused control, through the program's message loop.
  void Press(WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    if (shift) keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    MSG message{::GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
    win32::Dispatch(message);
    ::SetKeyboardState(std::array<BYTE, 256>{}.data());
  }
  // Typed at the end of the field's text.
  void Type(Control control, std::u16string_view text) {
    ::SetFocus(Find(control));
    const auto end = static_cast<WPARAM>(::GetWindowTextLengthW(Find(control)));
    ::SendMessageW(Find(control), EM_SETSEL, end, static_cast<LPARAM>(end));
    for (char16_t unit : text) ::SendMessageW(Find(control), WM_CHAR, unit, 1);
  }
  Control ControlOfFocus() {
    for (size_t i = 0; i < kControlCount; ++i) {
      if (window_->Find(static_cast<Control>(i)) == ::GetFocus()) return static_cast<Control>(i);
    }
    return Control::Form1;
  }
  // Where a control lies in its parent, in pixels.
  PixelRect PlaceOf(Control control) {
    RECT rect;
    ::GetWindowRect(Find(control), &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(Find(control)), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }
  // Runs the message loop, a message at a time, until `done` or a time limit. The limit only
  // stops a hung test: under Wine each page's flush reaches the disk, and a run of the items'
  // 1,000 pages took from 10 to more than 20 s on a slow disk.
  bool RunUntil(const std::function<bool()>& done, ULONGLONG limit_ms = 60000) {
    const ULONGLONG end = ::GetTickCount64() + limit_ms;
    // Asked from a timer too, which fires within a step's yields: what a long step shows for a
    // while is seen.
    static bool seen;
    static const std::function<bool()>* asked;
    seen = false;
    asked = &done;
    const UINT_PTR asking = ::SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) {
      seen = seen || (*asked)();
    });
    struct KillTimer {
      UINT_PTR id;
      ~KillTimer() { ::KillTimer(nullptr, id); }
    } killed_at_return{asking};
    MSG message;
    while (!seen && !(seen = done())) {
      if (::GetTickCount64() > end) return false;
      if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::Dispatch(message);
      } else {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      }
    }
    return true;
  }
  bool RunUntilIdle() {
    return RunUntil([this] { return session_->scheduler().Idle(); });
  }
  std::string Page(const std::string& name) const { return site_ + "/" + name; }
  std::string NumberedPage(int number) const {
    std::string path = site_;  // appended piece by piece: g++ 12 misjudges a chain of +
    path += "/p";
    path += std::to_string(number);
    path += ".htm";
    return path;
  }

  testing::TempDir dir_;
  std::string site_ = dir_ / "site";
  std::string config_ = dir_ / "config/AAAHTML批量替换配置log/";
  std::unique_ptr<FileSystem> machine_fs_ = NewMachineFileSystem();
  FileSystem& fs_ = *machine_fs_;
  SteadyClock clock_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<Win32MainWindow> window_;
  std::unique_ptr<Win32StepDriver> driver_;
};

TEST_F(Win32WindowTest, StartUpOnAnEmptyConfigurationDirectory) {
  StartUp();
  EXPECT_EQ(Shown(Control::Command4), u"停止");
  EXPECT_EQ(Shown(Control::Text1), u"");
  EXPECT_EQ(Shown(Control::Text2), u"");
  EXPECT_EQ(Shown(Control::Text7), u"");
  EXPECT_EQ(Shown(Control::Text9), u"");  // empty from the start, not the control's name
  EXPECT_EQ(Shown(Control::Text11), u"Text11");  // sets 1 and 2 are not loaded while off
  EXPECT_EQ(Shown(Control::Label4), u"不替换目录→");
  EXPECT_TRUE(Checked(Control::Option1));
  EXPECT_FALSE(Checked(Control::Option2));
  EXPECT_TRUE(Checked(Control::Check5));
  EXPECT_FALSE(Checked(Control::Check3));
  EXPECT_TRUE(::IsWindowEnabled(Find(Control::Text11)));
  EXPECT_EQ(Shown(Control::Form1), u"Quelbo - HTML批量处理5.1");
  EXPECT_TRUE(testing::Exists(config_ + "tihuanqian.txt"));
  // The client area has its design size at the window's DPI, the status bar below it.
  RECT client;
  ::GetClientRect(window_->hwnd(), &client);
  const PixelRect design = TwipsToPixels({0, 0, 8280, 6750}, window_->Dpi());
  EXPECT_EQ(client.right, design.width);
  EXPECT_EQ(client.bottom, design.height + ::MulDiv(30, window_->Dpi(), 96) +
                               window_->status_bar().Height());  // the preview and undo row
  // Block set 0's fields show two whole lines, as drawn; the edit control shows only whole ones.
  for (Control field : {Control::Text4, Control::Text5, Control::Text6}) {
    RECT shown{};
    ::SendMessageW(Find(field), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
    HDC dc = ::GetDC(Find(field));
    ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Find(field), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::ReleaseDC(Find(field), dc);
    EXPECT_GE(shown.bottom - shown.top, 2 * metrics.tmHeight) << ControlName(field);
  }
}

TEST_F(Win32WindowTest, AWholeRunFromCommand1RewritesThePagesAndSumsItUp) {
  PlainRunSettings();
  Key(u"替换前1", u"旧");
  Key(u"替换后1", u"新");
  WritePages(20, "旧\xE6\x97\xA7");
  WriteBytes(Page("bad.htm"), "\xD6\xD0");  // not UTF-8: skipped
  StartUp();
  Click(Control::Command1);
  ASSERT_TRUE(RunUntilIdle());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(ReadBytes(NumberedPage(i)), "\xE6\x96\xB0\xE6\x96\xB0");
  }
  EXPECT_EQ(ReadBytes(Page("bad.htm")), "\xD6\xD0");
  EXPECT_EQ(Shown(Control::Label1), u"本目录内页面全部处理完毕了");
  EXPECT_EQ(Shown(Control::url), u"");
  EXPECT_EQ(window_->status_bar().PartText(1), u"已处理 20 页，改动 20 页，");
  EXPECT_EQ(window_->status_bar().PartText(2), u"跳过 1 页");
  // A note longer than the bar leaves the counts in sight and the folder a quarter of the bar.
  const HWND bar = window_->status_bar().hwnd();
  window_->status_bar().Show({u"site", u"已处理 20 页，改动 20 页，", u"跳过 1 页", true,
                              std::u16string(300, u'长')});
  RECT whole, summary;
  ::GetClientRect(bar, &whole);
  ::SendMessageW(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&summary));
  EXPECT_GE(summary.left, whole.right / 4);

  // A click on the skipped count shows the skipped pages where the pending pages were.
  ::SendMessageW(window_->status_bar().skipped_button(), BM_CLICK, 0, 0);
  window_->RefreshNow();
  EXPECT_EQ(PlaceOf(kSkippedPages), PlaceOf(kPendingPages));
  EXPECT_FALSE(::IsWindowVisible(Find(kPendingPages)));
  EXPECT_TRUE(Shown(kSkippedPages).starts_with(u"bad.htm"));
}

// The Windows window as the shared items drive it.
class Win32WindowDriver final : public testing::WindowDriver {
 public:
  explicit Win32WindowDriver(Win32WindowTest& test) : test_(test) {}
  Session& session() override { return *test_.session_; }
  HWND Control(std::string_view name) {
    if (name == "skippedCount") return test_.window_->status_bar().skipped_button();
    if (HWND row = test_.window_->journal_bar()->Find(name)) return row;
    return test_.window_->Find(name);
  }
  void Click(std::string_view name) override {
    test_.window_->RefreshNow();
    ::SendMessageW(Control(name), BM_CLICK, 0, 0);
  }
  void Enter(std::string_view name) override {
    test_.window_->RefreshNow();
    ::SetFocus(Control(name));
    test_.Press(VK_RETURN);
  }
  bool Enabled(std::string_view name) override {
    test_.window_->RefreshNow();
    return ::IsWindowEnabled(Control(name)) != FALSE;
  }
  std::u16string Shown(std::string_view name) override {
    test_.window_->RefreshNow();
    if (name == "runSummary") return test_.window_->status_bar().PartText(1);
    return WindowText(Control(name));
  }
  size_t PreviewRows() override {
    test_.window_->RefreshNow();
    return static_cast<size_t>(
        ::SendMessageW(test_.window_->journal_bar()->Find("previewPages"), LB_GETCOUNT, 0, 0));
  }
  bool RunUntil(const std::function<bool()>& done) override { return test_.RunUntil(done); }

 private:
  Win32WindowTest& test_;
};

TEST(Win32WindowItems, EveryNumberedItemThroughTheRealControls) {
  for (const testing::WindowItem& item : testing::WindowItems()) {
    struct Fixture : Win32WindowTest {
      void TestBody() override {}
    } fixture;
    fixture.PlainRunSettings();
    fixture.Key(u"替换前1", u"a");
    fixture.Key(u"替换后1", u"b");
    fixture.StartUp();
    Win32WindowDriver driver(fixture);
    testing::PlayWindowItem(driver, item, fixture.site_);
  }
}

TEST_F(Win32WindowTest, ClosingTheWindowStopsTheRunAndSavesNothing) {
  PlainRunSettings();
  Key(u"替换前1", u"a");
  Key(u"替换后1", u"b");
  WritePages(40, "a");
  StartUp();
  window_->OnClose([this] { driver_->Stop(); });  // as the program does
  Click(Control::Command1);
  ASSERT_TRUE(RunUntil([this] { return session_->panel().ProgressBar().value >= 5; }));
  const std::string ini = ReadBytes(config_ + "htm批处理配置.ini");
  ::SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(window_->hwnd()));
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the program ends
  const size_t at_close = session_->report().processed();
  RunUntil([] { return false; }, 50);
  EXPECT_EQ(session_->report().processed(), at_close);
  EXPECT_EQ(ReadBytes(config_ + "htm批处理配置.ini"), ini);
}

TEST_F(Win32WindowTest, BlockSetPanelFollowsCommand5AndCommand2) {
  StartUp();
  RECT before;
  ::GetWindowRect(window_->hwnd(), &before);
  for (const testing::PanelPress& press : testing::kPanelPresses) {
    Click(press.button);
    EXPECT_EQ(Shown(Control::Command5), press.caption);
    EXPECT_EQ(PlaceOf(Control::Frame1),
              TwipsToPixels(press.shown ? testing::kFrame1Shown : testing::kFrame1Parked,
                            window_->Dpi()));
  }
  RECT after;
  ::GetWindowRect(window_->hwnd(), &after);
  EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(Win32WindowTest, Check1AndCheck6EnableTheirFieldsAndCheck6ReloadsItsOwn) {
  fs_.MakeDirectories(config_).value();
  WriteBytes(config_ + "bankuaikaishi.txt", "start\r\n");
  StartUp();
  WriteBytes(config_ + "bankuaitihuan1.txt", "stored\r\n");
  const std::u16string text4 = Shown(Control::Text4);
  Type(field::block1Replace, u"edited");
  EXPECT_EQ(session_->panel().Text(field::block1Replace), u"Text16edited");
  const Control sets[][3] = {{Control::Text4, Control::Text5, Control::Text6},
                             {Control::Text11, Control::Text16, Control::Text22}};
  const Control boxes[] = {field::block0Enabled, field::moreBlocksEnabled};
  for (int set = 0; set < 2; ++set) {
    for (bool ticked : {true, false, true}) {
      Click(boxes[set]);
      window_->RefreshNow();
      EXPECT_EQ(Checked(boxes[set]), ticked);
      for (Control field : sets[set]) {
        EXPECT_EQ(::IsWindowEnabled(Find(field)) != FALSE, ticked) << ControlName(field);
      }
    }
  }
  EXPECT_EQ(Shown(field::block1Replace), u"stored");
  EXPECT_EQ(Shown(Control::Text4), text4);  // block set 0's texts are not touched
}

TEST_F(Win32WindowTest, ATypedMultiLineRuleIsStoredWithCrLfAndTabLeavesTheField) {
  PlainRunSettings();
  StartUp();
  Type(field::deleteText, u"ad\rend");  // Enter types a CR; the field breaks the line
  EXPECT_EQ(session_->panel().Text(field::deleteText), u"ad\r\nend");
  Press(VK_TAB);
  EXPECT_NE(::GetFocus(), Find(field::deleteText));
  EXPECT_EQ(::GetFocus(), Find(Control::Option1));  // the chosen option, in the next row
  Press(VK_TAB, /*shift=*/true);
  EXPECT_EQ(::GetFocus(), Find(field::deleteText));
  EXPECT_EQ(session_->panel().Text(field::deleteText), u"ad\r\nend");
  // Enter on the focused Start button saves every setting and runs.
  ::SetFocus(Find(Control::Command1));
  Press(VK_RETURN);
  EXPECT_EQ(session_->report().runs(), 1u);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadBytes(config_ + "shanchu.txt"), "ad\r\nend\r\n");
}

TEST_F(Win32WindowTest, AnEditOfThePendingPagesKeepsWhatTheRunTookSinceTheLastFrame) {
  StartUp();
  session_->panel().SetText(kPendingPages, u"a.htm\r\nb.htm\nc.htm");
  EXPECT_EQ(Shown(kPendingPages), u"a.htm\r\nb.htm\r\nc.htm");  // each break as the field shows it
  session_->panel().DropTextPrefix(kPendingPages, 7);           // taken by the run, not yet shown
  Type(kPendingPages, u"x");
  EXPECT_EQ(session_->panel().Text(kPendingPages), u"b.htm\nc.htmx");
  EXPECT_EQ(Shown(kPendingPages), u"b.htm\r\nc.htmx");
}

TEST_F(Win32WindowTest, TabVisitsTheControlsInSightAsTheScreenShowsThem) {
  StartUp();
  const auto tab_round = [this](Control from) {
    std::vector<std::string_view> visited;
    ::SetFocus(Find(from));
    for (int i = 0; i < 60; ++i) {
      Press(VK_TAB);
      std::string_view name = ControlName(ControlOfFocus());
      for (std::string_view row : {"previewButton", "undoButton", "journalSwitch"}) {
        if (window_->journal_bar()->Find(row) == ::GetFocus()) name = row;
      }
      if (std::find(visited.begin(), visited.end(), name) != visited.end()) break;
      visited.push_back(name);
    }
    return visited;
  };
  using Names = std::vector<std::string_view>;
  session_->panel().SetTicked(Control::Option2, true);  // as in the Qt window's test
  window_->RefreshNow();
  // Below the form, the row's buttons in sight (撤销 waits for a run to take back).
  const auto with_row = [](const auto& round) {
    Names names = {"previewButton", "journalSwitch"};
    names.insert(names.end(), std::begin(round), std::end(round));
    return names;
  };
  EXPECT_EQ(tab_round(Control::Command5), with_row(testing::kTabRoundPanelParked));
  Click(Control::Command5);
  window_->RefreshNow();
  EXPECT_EQ(tab_round(Control::Command5), with_row(testing::kTabRoundPanelShown));
}

}  // namespace
}  // namespace quelbo
