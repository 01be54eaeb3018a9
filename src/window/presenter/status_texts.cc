#include "window/presenter/status_texts.h"

#include "base/text_codec.h"
#include "base/texts.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

std::u16string Decimal(std::uint64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

// How the preview list names a rule, as the window names its fields.
constexpr std::u16string_view kRuleNames[kRewriteRuleCount] = {
    u"编码名", u"li换行", u"替换1", u"替换2", u"替换3",
    u"删除",   u"替换4",  u"版块1", u"版块2", u"版块3"};

std::u16string_view What(Control control) {
  using namespace field;
  switch (control) {
    case pair1Find:
      return u"替换前1";
    case pair1Replace:
      return u"替换后1";
    case pair2Find:
      return u"替换前2";
    case pair2Replace:
      return u"替换后2";
    case pair3Find:
      return u"替换前3";
    case pair3Replace:
      return u"替换后3";
    case pair4Find:
      return u"替换前4";
    case pair4Replace:
      return u"替换后4";
    case deleteText:
      return u"删除内容";
    case excludedDirs:
      return u"不替换目录";
    case block0Start:
      return u"版块1开始";
    case block0End:
      return u"版块1结束";
    case block0Replace:
      return u"版块1替换";
    case block1Start:
      return u"版块2开始";
    case block1End:
      return u"版块2结束";
    case block1Replace:
      return u"版块2替换";
    case block2Start:
      return u"版块3开始";
    case block2End:
      return u"版块3结束";
    case block2Replace:
      return u"版块3替换";
    default:
      return {};
  }
}

}  // namespace

std::u16string SiteFolderText(std::u16string_view path) {
  return u"网站目录：" + std::u16string(path);
}

std::u16string RunSummaryText(size_t processed, size_t changed) {
  return u"已处理 " + Decimal(processed) + u" 页，改动 " + Decimal(changed) + u" 页，";
}

std::u16string SkippedCountText(size_t skipped) { return u"跳过 " + Decimal(skipped) + u" 页"; }

std::u16string PreviewSummaryText(bool done, size_t processed, size_t would_change) {
  if (done) return u"预览完毕：将改动 " + Decimal(would_change) + u" 页，";
  return u"预览中…已查看 " + Decimal(processed) + u" 页，将改动 " + Decimal(would_change) +
         u" 页，";
}

std::u16string PreviewDoneText(size_t would_change) {
  return u"预览完毕：将改动 " + Decimal(would_change) + u" 页";
}

std::u16string UndoSummaryText(bool redo, UndoProgress progress, size_t looked_at, size_t total,
                               size_t restored) {
  const std::u16string what = redo ? u"重做" : u"撤销";
  const std::u16string looked =
      u"已查看 " + Decimal(looked_at) + u" / " + Decimal(total) + u" 页，";
  switch (progress) {
    case UndoProgress::kGoing:
      return what + u"中…" + looked;
    case UndoProgress::kStopped:
      return what + u"已停止：" + looked + u"恢复 " + Decimal(restored) + u" 页，";
    case UndoProgress::kDone:
      break;
  }
  return what + u"完毕：恢复 " + Decimal(restored) + u" 页，";
}

std::u16string LeftAloneCountText(size_t left_alone) {
  return u"未恢复 " + Decimal(left_alone) + u" 页";
}

std::u16string UndoCaption(bool redo) { return redo ? u"重做" : u"撤销"; }

std::u16string UndoTip(bool redo, size_t runs, std::uint64_t bytes) {
  const std::uint64_t tenths = (bytes + 50'000) / 100'000;  // MB to one decimal
  return std::u16string(redo ? u"重做上一次撤销掉的运行" : u"撤销上一次运行") + u"（撤销记录：" +
         Decimal(runs) + u" 次运行，" + Decimal(tenths / 10) + u"." + Decimal(tenths % 10) +
         u" MB）";
}

std::u16string FieldDescription(Control field) {
  const std::string_view ascii = ControlName(field);
  const std::u16string name(ascii.begin(), ascii.end());
  const std::u16string_view what = What(field);
  return what.empty() ? name : std::u16string(what) + u"（" + name + u"）";
}

std::u16string SaveNoteText(const std::vector<Control>& fields) {
  if (fields.empty()) return {};
  std::u16string names;
  for (Control field : fields) {
    if (!names.empty()) names += u"、";
    names += FieldDescription(field);
  }
  return names + u" 含GBK无法保存的字符，已存为“?”";
}

std::u16string UnremovedRunsText(const RunJournal::Unremoved& runs) {
  if (runs.runs == 0) return {};
  const Texts& texts = TextsIn(Language::kChinese);
  return FromUtf8(Filled(texts.unremoved_runs, {Counted(runs.runs, texts.run_folder), runs.first}));
}

std::u16string PreviewLine(const PreviewedPage& page) {
  std::u16string line = page.entry + u" ";
  for (size_t i = 0; i < kRewriteRuleCount; ++i) {
    if (page.counts.applied[i] == 0) continue;
    line += u" " + std::u16string(kRuleNames[i]) + u"×" + Decimal(page.counts.applied[i]);
  }
  return line;
}

}  // namespace quelbo
