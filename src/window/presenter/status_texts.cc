#include "window/presenter/status_texts.h"

#include "base/text_codec.h"
#include "base/texts.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
namespace {

std::u16string Decimal(std::uint64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

constexpr const WindowTexts& kSaid = kWindowTexts;

std::string_view What(Control control) {
  for (const auto& [field, name] : kSaid.field_names) {
    if (field == control) return name;
  }
  return {};
}

}  // namespace

std::u16string SiteFolderText(std::u16string_view path) {
  return FilledUtf16(kSaid.site_folder, {path});
}

std::u16string RunSummaryText(size_t processed, size_t changed) {
  return FilledUtf16(kSaid.run_summary, {Decimal(processed), Decimal(changed)});
}

std::u16string SkippedCountText(size_t skipped) {
  return FilledUtf16(kSaid.skipped_count, {Decimal(skipped)});
}

std::u16string PreviewSummaryText(bool done, size_t processed, size_t would_change) {
  if (done) return FilledUtf16(kSaid.preview_summary, {Decimal(would_change)});
  return FilledUtf16(kSaid.preview_going, {Decimal(processed), Decimal(would_change)});
}

std::u16string PreviewDoneText(size_t would_change) {
  return FilledUtf16(kSaid.preview_done, {Decimal(would_change)});
}

std::u16string UndoSummaryText(bool redo, UndoProgress progress, size_t looked_at, size_t total,
                               size_t restored) {
  const std::u16string what = UndoCaption(redo);
  const std::u16string looked = FilledUtf16(kSaid.looked_at, {Decimal(looked_at), Decimal(total)});
  switch (progress) {
    case UndoProgress::kGoing:
      return FilledUtf16(kSaid.undo_going, {what, looked});
    case UndoProgress::kStopped:
      return FilledUtf16(kSaid.undo_stopped, {what, looked, Decimal(restored)});
    case UndoProgress::kDone:
      break;
  }
  return FilledUtf16(kSaid.undo_done, {what, Decimal(restored)});
}

std::u16string LeftAloneCountText(size_t left_alone) {
  return FilledUtf16(kSaid.left_alone_count, {Decimal(left_alone)});
}

std::u16string UndoCaption(bool redo) { return FromUtf8(redo ? kSaid.redo : kSaid.undo); }

std::u16string UndoTip(bool redo, size_t runs, std::uint64_t bytes) {
  const std::uint64_t tenths = (bytes + 50'000) / 100'000;  // MB to one decimal
  const std::u16string megabytes = Decimal(tenths / 10) + u"." + Decimal(tenths % 10);
  return FilledUtf16(redo ? kSaid.redo_tip : kSaid.undo_tip, {Decimal(runs), megabytes});
}

std::u16string FieldDescription(Control field) {
  const std::string_view ascii = ControlName(field);
  const std::u16string name(ascii.begin(), ascii.end());
  const std::string_view what = What(field);
  return what.empty() ? name : FilledUtf16(kSaid.field_description, {FromUtf8(what), name});
}

std::u16string SaveNoteText(const std::vector<Control>& fields) {
  if (fields.empty()) return {};
  std::u16string names;
  for (Control field : fields) {
    if (!names.empty()) names += FromUtf8(kSaid.name_separator);
    names += FieldDescription(field);
  }
  return FilledUtf16(kSaid.saved_substitutes, {names});
}

std::u16string UnremovedRunsText(const RunJournal::Unremoved& runs) {
  if (runs.runs == 0) return {};
  const Texts& texts = TextsIn(kFormLanguage);
  return FromUtf8(Filled(texts.unremoved_runs, {Counted(runs.runs, texts.run_folder), runs.first}));
}

std::u16string PreviewLine(const PreviewedPage& page) {
  std::u16string line = page.entry + u" ";
  for (size_t i = 0; i < kRewriteRuleCount; ++i) {
    if (page.counts.applied[i] == 0) continue;
    line += FilledUtf16(kSaid.rule_applied,
                        {FromUtf8(kSaid.rule_names[i]), Decimal(page.counts.applied[i])});
  }
  return line;
}

}  // namespace quelbo
