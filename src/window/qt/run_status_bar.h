#pragma once

#include <QElapsedTimer>
#include <QStatusBar>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <optional>
#include <vector>

#include "panel/control.h"

class QLabel;
class QToolButton;

namespace quelbo {

class ElidedLabel;

// The bar below the form: the site folder being worked on; from a Start on, what the run did to
// its pages (processed, changed, skipped), kept until the next Start whatever the status line
// says; and a note when the last save stored "?" for characters code page 936 cannot hold. The
// skipped count is a button that shows or hides the list of skipped pages.
class RunStatusBar final : public QStatusBar {
 public:
  struct Summary {
    size_t processed = 0;
    size_t changed = 0;
    size_t skipped = 0;

    friend bool operator==(const Summary&, const Summary&) = default;
  };

  explicit RunStatusBar(QWidget* parent);

  void ShowSiteFolder(const QString& path);
  // During a run the counts change with every page: they are shown at most every
  // kSummaryMilliseconds, and the last ones always, at the latest that long after.
  void ShowSummary(const Summary& summary);
  // Shows a summary held back now.
  void FlushSummary();
  // The settings fields the last save stored with "?"; none clears the note.
  void ShowSaveNote(const std::vector<Control>& fields);

  // Checked while the skipped pages are shown; enabled when there are some.
  QToolButton& SkippedButton() { return *skipped_; }

 private:
  // A relaid and repainted status bar costs about a millisecond; at every frame of a run that
  // was a tenth of the window's time.
  static constexpr int kSummaryMilliseconds = 250;

  void Draw(const Summary& summary);

  ElidedLabel* site_;
  ElidedLabel* note_;
  QLabel* summary_;
  QToolButton* skipped_;
  // What is shown, so that showing it again costs nothing.
  std::optional<Summary> summary_shown_;
  std::optional<Summary> summary_held_;
  QElapsedTimer since_summary_;
  QTimer summary_timer_;
  std::vector<Control> note_fields_;
};

}  // namespace quelbo
