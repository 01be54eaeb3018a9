#pragma once

#include <QMetaObject>
#include <cstdint>
#include <string>
#include <string_view>

#include "panel/control_panel.h"

class QPlainTextEdit;

namespace quelbo {

// Keeps one QPlainTextEdit showing a model text and writes the user's edits back. Showing never
// changes the model text: its CR LF, bare LF and bare CR breaks all show as one break, and a
// user's edit replaces only the edited range of the model text (new breaks as CR LF).
//
// The binding remembers the model text the widget shows, and a refresh changes only the part
// of the document that differs: when the model text only lost its front (DropTextPrefix keeps
// its version) it removes that front without comparing anything; otherwise it keeps the common
// front and back. Laying out text is what costs, so a long list consumed line by line, or
// grown a block at a time, never costs its whole length per frame.
// REQUIRES: `panel` and `editor` outlive the binding.
class MultiLineBinding {
 public:
  MultiLineBinding(ControlPanel& panel, Control control, QPlainTextEdit& editor);
  MultiLineBinding(const MultiLineBinding&) = delete;
  MultiLineBinding& operator=(const MultiLineBinding&) = delete;
  ~MultiLineBinding();

  // Brings the widget up to date with the model.
  void Refresh();

  // Unless `from` is 0, refreshes put only the model's first `from` lines in the document,
  // twice as many each time the user scrolls to their end: a run's list of a hundred thousand
  // pages then costs what a few screens cost to lay out, where laying out all of it took a
  // tenth of the run. The scroll bar measures the lines put in. An edit made while lines are
  // held back gives way to the model, which is never cut.
  void HoldBackLines(size_t from);
  // Whether the document shows fewer lines than the model has.
  bool HoldsLinesBack() const { return cut_; }

 private:
  std::u16string_view Shown() const;
  void Reset(std::u16string_view model);
  void DropShownPrefix(size_t count);
  void ShowChanges(std::u16string_view model);
  void Adopt(std::u16string_view model);
  void OnContentsChange(int position, int chars_removed, int chars_added);
  void OnScrolled(int value);

  ControlPanel& panel_;
  const Control control_;
  QPlainTextEdit& editor_;
  QMetaObject::Connection connection_;
  QMetaObject::Connection scroll_connection_;

  // The model text the document shows, from shown_offset_ on; the offset makes dropping a
  // front amortised constant, as in the model.
  std::u16string shown_;
  size_t shown_offset_ = 0;
  size_t display_length_ = 0;  // characters in the document
  std::uint64_t shown_version_ = 0;
  // False when the shown text and the model have parted in a way a prefix drop cannot mend.
  bool in_sync_ = false;
  // Set while the binding itself writes the document, so that it does not read its own
  // writes as the user's.
  bool writing_ = false;
  // Lines beyond line_limit_ are held back (none when it is 0): held_from_, or more after the
  // user scrolled. cut_ while the document shows fewer lines than the model has.
  size_t held_from_ = 0;
  size_t line_limit_ = 0;
  bool cut_ = false;
};

}  // namespace quelbo
