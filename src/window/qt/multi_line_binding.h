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

 private:
  std::u16string_view Shown() const;
  void Reset(std::u16string_view model);
  void DropShownPrefix(size_t count);
  void ShowChanges(std::u16string_view model);
  void Adopt(std::u16string_view model);
  void OnContentsChange(int position, int chars_removed, int chars_added);

  ControlPanel& panel_;
  const Control control_;
  QPlainTextEdit& editor_;
  QMetaObject::Connection connection_;

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
};

}  // namespace quelbo
