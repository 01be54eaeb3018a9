#pragma once

#include <QStatusBar>
#include <QString>

#include "window/presenter/window_presenter.h"

class QLabel;

namespace quelbo {

class CommandButton;
class ElidedLabel;

// The bar below the form, as the presenter words it: the site folder (or, while the status
// line holds a message too long for it, that message, whole in its tip), the save note, the
// run's counts, and the skipped count, a button that shows or hides the skipped pages.
class RunStatusBar final : public QStatusBar {
 public:
  explicit RunStatusBar(QWidget* parent);

  void Show(const StatusBarView& view);
  // A status-line message that does not fit the status line; empty for none.
  void ShowMessage(const QString& message);

  // Checked while the skipped pages are shown; enabled when there are some.
  CommandButton& SkippedButton() { return *skipped_; }

 private:
  ElidedLabel* site_;
  ElidedLabel* message_;
  ElidedLabel* note_;
  QLabel* summary_;
  CommandButton* skipped_;
  StatusBarView shown_;
};

}  // namespace quelbo
