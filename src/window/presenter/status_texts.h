#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panel/control.h"
#include "run/preview_report.h"
#include "run/run_journal.h"

// The texts the window adds to the system's own: its status bar, its preview and undo row.

namespace quelbo {

// "网站目录：" and the folder.
std::u16string SiteFolderText(std::u16string_view path);
// What the last run did to its pages: "已处理 n 页，改动 n 页，", then "跳过 n 页".
std::u16string RunSummaryText(size_t processed, size_t changed);
std::u16string SkippedCountText(size_t skipped);
// A preview, going on ("预览中…已查看 n 页，将改动 n 页，") or done ("预览完毕：将改动 n 页，").
std::u16string PreviewSummaryText(bool done, size_t processed, size_t would_change);
// The status line's message when a preview is done.
std::u16string PreviewDoneText(size_t would_change);
// An undo (or a redo, which takes an undo back), going on ("撤销中…已查看 n / N 页，"), stopped
// ("撤销已停止：已查看 n / N 页，恢复 n 页，") or done ("撤销完毕：恢复 n 页，"); then the
// pages it left alone ("未恢复 n 页").
enum class UndoProgress { kGoing, kStopped, kDone };
std::u16string UndoSummaryText(bool redo, UndoProgress progress, size_t looked_at, size_t total,
                               size_t restored);
std::u16string LeftAloneCountText(size_t left_alone);
// The undo button's caption and tip: what a press will do, and what the journal holds.
std::u16string UndoCaption(bool redo);
std::u16string UndoTip(bool redo, size_t runs, std::uint64_t bytes);
// How the status bar names a settings field: what it holds, then its control name.
std::u16string FieldDescription(Control field);
// The note on the fields the last save stored with "?"; empty for none.
std::u16string SaveNoteText(const std::vector<Control>& fields);
// The note on run folders the journal could not remove; empty for none.
std::u16string UnremovedRunsText(const RunJournal::Unremoved& runs);
// A page of the preview list: its entry, then how often each rule applied ("替换1×n").
std::u16string PreviewLine(const PreviewedPage& page);

}  // namespace quelbo
