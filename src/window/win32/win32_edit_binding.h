#pragma once

#include <cstdint>
#include <string>

#include "panel/control_panel.h"
#include "window/win32/windows_api.h"

namespace quelbo {

// Keeps one EDIT control showing a model text and writes the user's edits back. A multi-line
// EDIT breaks lines at CR LF only, so it is given every line break (CR LF, bare LF, bare CR)
// as CR LF; showing never changes the model text, and a user's edit replaces only the edited
// range of it (new breaks as CR LF). A refresh replaces only the part of the control's text
// that differs, so a long list taken line by line from its top is not laid out whole at each
// frame, and the user's selection and scroll position stay where they were.
// REQUIRES: `panel` outlives the binding; `edit` is an EDIT control.
class EditBinding {
 public:
  EditBinding(ControlPanel& panel, Control control, HWND edit, bool multi_line);
  EditBinding(const EditBinding&) = delete;
  EditBinding& operator=(const EditBinding&) = delete;

  // Brings the control up to date with the model.
  void Refresh();
  // The control's text changed (EN_CHANGE).
  void OnChange();

 private:
  void Replace(size_t start, size_t end, const std::u16string& text);

  ControlPanel& panel_;
  const Control control_;
  const HWND edit_;
  const bool multi_line_;
  std::u16string shown_model_;  // the model text the control shows
  std::u16string shown_edit_;   // the control's text
  // The model text's version when shown: unchanged while the model only loses its front.
  std::uint64_t shown_version_ = 0;
  bool writing_ = false;  // set while the binding writes, so it ignores its own writes
};

// What the control's text is read as, in UTF-16.
std::u16string WindowText(HWND window);

}  // namespace quelbo
