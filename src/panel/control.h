#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quelbo {

// Every named element of the window, by its control name.
enum class Control : std::uint8_t {
  // Replacement rules.
  Text1, Text10, Text2, Text3, Text14, Text17, Text13, Text18, Text19,
  // Block set 0, and block sets 1 and 2 on the block-set panel.
  Text4, Text5, Text6, Text11, Text15, Text16, Text20, Text21, Text22,
  // Run options.
  Text9, Check1, Check2, Check3, Check4, Check5, Check6,
  Option1, Option2, Option3, Option4, Option5, Option6,
  // Run state.
  RichTextBox2, Text7, Text8, list, url,
  // The pages the last run left untouched, one per line with the reason (read-only).
  skippedPages,
  // Status, labels and commands.
  Label1, Label2, Label3, Label4, ProgressBar1,
  Command1, Command2, Command3, Command4, Command5, Command6, Command7,
  Frame1, Form1,
  kCount
};

inline constexpr size_t kControlCount = static_cast<size_t>(Control::kCount);

enum class ControlKind {
  kSingleLineText,
  kMultiLineText,  // also the plain-text areas RichTextBox2 and list
  kCheckBox,
  kOption,  // one of the exclusive suffix group
  kLabel,
  kCommand,
  kProgressBar,
  kFrame,
  kForm,
};

std::string_view ControlName(Control control);
ControlKind KindOf(Control control);

inline constexpr size_t Index(Control control) { return static_cast<size_t>(control); }

// The six suffix options in the order of their numbers 1 to 6.
inline constexpr std::array<Control, 6> kSuffixOptions = {
    Control::Option1, Control::Option2, Control::Option3,
    Control::Option4, Control::Option5, Control::Option6};

}  // namespace quelbo
