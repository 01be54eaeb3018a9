#pragma once

#include <QStatusBar>
#include <QString>
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
  void ShowSummary(const Summary& summary);
  // The settings fields the last save stored with "?"; none clears the note.
  void ShowSaveNote(const std::vector<Control>& fields);

  // Checked while the skipped pages are shown; enabled when there are some.
  QToolButton& SkippedButton() { return *skipped_; }

 private:
  ElidedLabel* site_;
  ElidedLabel* note_;
  QLabel* summary_;
  QToolButton* skipped_;
  // What is shown, so that showing it again costs nothing.
  std::optional<Summary> summary_shown_;
  std::vector<Control> note_fields_;
};

// How the status bar names a settings field: what it holds, then its control name.
QString FieldDescription(Control field);

}  // namespace quelbo
