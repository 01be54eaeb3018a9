#include "micro/sample_page.h"

#include "panel/settings_fields.h"

namespace quelbo::bench {
namespace {

// Common characters, all of them in GB2312, so that a sample page also fits code page 936.
constexpr std::u16string_view kHanzi =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下"
    u"过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两"
    u"体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线"
    u"内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并"
    u"提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见"
    u"计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七"
    u"海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场";

constexpr std::u16string_view kFooterStart = u"<!-- footer begin -->";
constexpr std::u16string_view kFooterEnd = u"<!-- footer end -->";
constexpr std::u16string_view kAdStart = u"<!-- ad begin -->";
constexpr std::u16string_view kAdEnd = u"<!-- ad end -->";
constexpr std::u16string_view kSidebarStart = u"<!-- sidebar begin -->";
constexpr std::u16string_view kSidebarEnd = u"<!-- sidebar end -->";

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

 private:
  std::uint64_t state_;
};

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

void AppendParagraph(std::u16string& page, Random& random) {
  page += u"<p>";
  const size_t clauses = 2 + random.Below(5);
  for (size_t c = 0; c < clauses; ++c) {
    const size_t length = 6 + random.Below(20);
    for (size_t i = 0; i < length; ++i) page += kHanzi[random.Below(kHanzi.size())];
    page += c + 1 < clauses ? u'，' : u'。';
  }
  page += u"</p>\r\n";
}

void AppendNavigation(std::u16string& page, Random& random) {
  page += kPair4Find;
  page += u"\r\n";
  for (int i = 0; i < 8; ++i) {
    page += u"<li><a href=\"";
    page += kPair1Find;
    page += u"/section" + Ascii(std::to_string(random.Below(40))) + u"/index.htm\">";
    page += kHanzi.substr(random.Below(kHanzi.size() - 4), 4);
    page += u"</a></li>\n";
  }
  page += u"</ul>\r\n";
}

}  // namespace

std::u16string Repeated(char16_t unit, size_t units) { return std::u16string(units, unit); }

std::u16string SamplePage(size_t units, Declared charset, std::uint64_t seed) {
  Random random(seed);
  std::u16string page;
  page.reserve(units + 4096);
  page += u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n";
  page += u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  page += charset == Declared::kGb2312 ? u"gb2312" : u"utf-8";
  page += u"\">\r\n";
  page += kDeleteText;
  page += u"\r\n<title>示例页面</title>\r\n";
  page += kPair2Find;
  page += u"\r\n</head>\r\n<body>\r\n";
  page += kSidebarStart;
  page += u"\r\n<div class=\"sidebar\">旧的侧栏</div>\r\n";
  page += kSidebarEnd;
  page += u"\r\n";
  const std::u16string ad = std::u16string(kAdStart) +
                            u"\r\n<div class=\"ad\"><a href=\"http://ads.example.net/c?id=" +
                            Ascii(std::to_string(random.Below(100))) +
                            u"\">广告招商</a></div>\r\n" + std::u16string(kAdEnd) + u"\r\n";
  for (size_t section = 0; page.size() < units; ++section) {
    AppendNavigation(page, random);
    for (int i = 0; i < 12; ++i) AppendParagraph(page, random);
    page += ad;
    if (section % 32 == 31) {
      page += u"<p class=\"notice\">";
      page += kPair3Find;
      page += u" 示例网</p>\r\n";
    }
  }
  page += kFooterStart;
  page += u"\r\n<div class=\"footer\">";
  page += kPair3Find;
  page += u" 旧公司 版权所有</div>\r\n";
  page += kFooterEnd;
  page += u"\r\n</body>\r\n</html>\r\n";
  return page;
}

void ApplySiteRules(ControlPanel& panel) {
  panel.SetText(field::pair1Find, std::u16string(kPair1Find));
  panel.SetText(field::pair1Replace, std::u16string(kPair1Replace));
  panel.SetText(field::pair2Find, std::u16string(kPair2Find));
  panel.SetText(field::pair2Replace, std::u16string(kPair2Replace));
  panel.SetText(field::pair3Find, std::u16string(kPair3Find));
  panel.SetText(field::pair3Replace, std::u16string(kPair3Replace));
  panel.SetText(field::deleteText, std::u16string(kDeleteText));
  panel.SetText(field::pair4Find, std::u16string(kPair4Find));
  panel.SetText(field::pair4Replace, std::u16string(kPair4Replace));
  panel.SetText(field::block0Start, std::u16string(kFooterStart));
  panel.SetText(field::block0End, std::u16string(kFooterEnd));
  panel.SetText(field::block0Replace,
                u"<!-- footer 2024 -->\r\n<div class=\"footer\">版权所有 示例网 Copyright "
                u"2024</div>\r\n<!-- /footer 2024 -->");
  panel.SetText(field::block1Start, std::u16string(kAdStart));
  panel.SetText(field::block1End, std::u16string(kAdEnd));
  panel.SetText(field::block1Replace, u"<!-- ad slot -->");
  panel.SetText(field::block2Start, std::u16string(kSidebarStart));
  panel.SetText(field::block2End, std::u16string(kSidebarEnd));
  panel.SetText(field::block2Replace,
                u"<div id=\"sidebar\"><a href=\"/about.htm\">关于我们</a></div>");
  panel.SetTicked(field::block0Enabled, true);
  panel.SetTicked(field::moreBlocksEnabled, true);
  panel.SetTicked(field::autoDetectCharset, true);
}

}  // namespace quelbo::bench
