#pragma once

#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "panel/control_panel.h"
#include "platform/clock.h"
#include "window/presenter/refresh_plan.h"
#include "window/presenter/window_presenter.h"
#include "window/qt/multi_line_binding.h"

class QButtonGroup;

namespace quelbo {

class JournalBar;
class RunStatusBar;
class Session;

// The program's one window, Form1. It shows the panel model and writes the user's edits into
// it, and keeps no state of its own: every widget is named after its control and shows that
// control's model value. Model changes are shown at the next frame, all at once, however often
// they were written.
// REQUIRES: a QApplication exists; `panel` outlives the window.
class MainWindow final : public QWidget {
 public:
  // Called on a click of Command1 … Command7.
  using CommandHandler = std::function<void(Control)>;

  // The client area has its design size (8280 × 6750 twips) at the screen's logical DPI, with
  // the status bar below it; the window never gets smaller than that.
  MainWindow(ControlPanel& panel, CommandHandler on_command, QWidget* parent = nullptr);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Shows pending model changes now rather than at the next frame.
  void RefreshNow();

  struct RefreshCounters {
    std::uint64_t flushes = 0;   // frames that showed a change
    std::uint64_t controls = 0;  // controls refreshed, summed over those frames
  };
  RefreshCounters Counters() const;

  // The logical DPI the layout was computed for.
  int LayoutDpi() const { return dpi_; }

  // Binds the window to a session through its presenter: the commands go through it, the
  // status bar and the preview and undo row below the designed area show what it says.
  // REQUIRES: `session` and `clock` outlive the window, and the session's panel is the window's.
  void ShowSession(Session& session, const Clock& clock);
  WindowPresenter* presenter() { return presenter_.get(); }
  // The bottom of the designed area, in pixels; what the window adds lies below it.
  int DesignedAreaBottom() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Tab and Shift+Tab follow the controls in sight, as the user sees them.
  bool focusNextPrevChild(bool next) override;

 private:
  void CreateWidgets();
  void Connect(Control control, QWidget& widget);
  void Refresh(Control control);
  // Whether a control lies where the user cannot see it (hidden, or beyond the window's
  // edge) and has not the focus.
  bool Unseen(Control control) const;
  // Whether a run is going on now, not stopped.
  bool Running() const;
  void RefreshOptions();
  void RefreshFrame1();
  void RefreshProgressBar(QProgressBar& bar);
  // The status bar and the row below the designed area, as the presenter says now.
  void RefreshChrome();
  void FitMultiLineFields();
  // Lays out what lies below the designed area and keeps the window large enough for it.
  void PlaceBelowDesign();
  // Shows the skipped pages in place of the pending-page list, or the list again.
  void ShowSkippedPages(bool shown);

  ControlPanel& panel_;
  CommandHandler on_command_;
  const int dpi_;
  std::array<QWidget*, kControlCount> widgets_{};
  std::array<std::unique_ptr<MultiLineBinding>, kControlCount> bindings_;
  QButtonGroup* options_ = nullptr;
  RunStatusBar* status_bar_ = nullptr;
  JournalBar* journal_bar_ = nullptr;
  std::unique_ptr<WindowPresenter> presenter_;
  bool list_shown_ = false;  // the preview's list is open below the row
  SteadyClock clock_;
  QTimer refresh_timer_;
  RefreshPlan refresh_plan_;
  QTimer chrome_timer_;  // for counts the presenter holds back
  ControlPanel::ObserverId observer_ = 0;
};

}  // namespace quelbo
