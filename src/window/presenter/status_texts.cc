#include "window/presenter/status_texts.h"

#include "base/text_codec.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

std::u16string Decimal(size_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

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

std::u16string PreviewLine(const PreviewedPage& page) {
  std::u16string line = page.entry + u"  ";
  for (size_t i = 0; i < kRewriteRuleCount; ++i) {
    if (page.counts.applied[i] == 0) continue;
    line += FromUtf8(RuleLabel(static_cast<RewriteRule>(i))) + u"=" +
            Decimal(page.counts.applied[i]) + u" ";
  }
  return line;
}

}  // namespace quelbo
