#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "panel/control.h"
#include "run/preview_report.h"

// The texts of the window's status bar and preview list, shared by its bindings to the window
// systems.

namespace quelbo {

// "网站目录：" and the folder.
std::u16string SiteFolderText(std::u16string_view path);
// What the last run did to its pages: "已处理 n 页，改动 n 页，", then "跳过 n 页".
std::u16string RunSummaryText(size_t processed, size_t changed);
std::u16string SkippedCountText(size_t skipped);
// How the status bar names a settings field: what it holds, then its control name.
std::u16string FieldDescription(Control field);
// The note on the fields the last save stored with "?"; empty for none.
std::u16string SaveNoteText(const std::vector<Control>& fields);
// A page of the preview list: its entry, then how often each rule applied ("rule=n").
std::u16string PreviewLine(const PreviewedPage& page);

}  // namespace quelbo
