#include "page/page_decoding.h"

#include <gtest/gtest.h>

#include "page/encoding_messages.h"

namespace quelbo {
namespace {

constexpr char kGbkChinese[] = "\xD6\xD0\xCE\xC4";           // 中文, not UTF-8
constexpr char kUtf8Chinese[] = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文, also valid GBK
constexpr char kUtf8NotGbk[] = "\xE4\xB8\xAD<";              // 中<
constexpr char kNeither[] = "\xD6\xD0\x81<";
constexpr char kBom[] = "\xEF\xBB\xBF";

TEST(DecodePage, ByDeclarationValidityAndSwitches) {
  const std::u16string garbled =
      u"页面第1行声明的是UTF-8编码（charset=utf-8），按GBK读入会变成乱码，未改动";
  const struct {
    std::string bytes;
    bool read_utf8, write_utf8, detect;
    std::u16string reason;  // empty: decoded, in `utf8`
    bool utf8;
  } cases[] = {
      // Detection: the declared encoding when the bytes are valid in it, else the other one.
      {std::string("<meta charset=gbk>") + kGbkChinese, false, false, true, u"", false},
      {std::string("<meta charset=utf-8>") + kGbkChinese, true, true, true, u"", false},
      {kGbkChinese, true, true, true, u"", false},
      {std::string("<script charset=\"gb2312\">") + kUtf8NotGbk, false, false, true, u"", true},
      {std::string("<meta charset=gbk>") + kUtf8Chinese, false, false, true, u"", false},
      {kNeither, true, true, true, u"不是有效的UTF-8编码（第1行，字节偏移0），未改动", true},
      // Fixed switches: no fall-back; a converted page that would be garbled is refused.
      {kGbkChinese, true, true, false, u"不是有效的UTF-8编码（第1行，字节偏移0），未改动", true},
      {std::string("charset=utf-8\n") + kUtf8Chinese, false, true, false, garbled, false},
      {std::string("charset=gb2312\n") + kUtf8Chinese, true, false, false,
       u"页面第1行声明的是GBK编码（charset=gb2312），按UTF-8读入会变成乱码，未改动", true},
      {std::string("charset=utf-8\n") + kUtf8Chinese, false, false, false, u"", false},
      {std::string("charset=utf-8\n") + kGbkChinese, false, true, false, u"", false},
      {"charset=gb2312", true, false, false, u"", true},
      {"a\r\nb\xC3(", true, false, false, u"不是有效的UTF-8编码（第2行，字节偏移4），未改动", true},
      {"ab\n\x81<", false, true, false, u"不是有效的GBK编码（第2行，字节偏移3），未改动", false},
      // A byte-order mark outranks a meta tag; the reason names the declaration that decided.
      {std::string(kBom) + "{<meta charset=gb2312>" + kUtf8Chinese, false, true, false,
       u"页面以UTF-8字节顺序标记开头，按GBK读入会变成乱码，未改动", false},
      {std::string(kBom) + "{<meta charset=gb2312>" + kUtf8Chinese, true, false, false, u"", true},
      {std::string("<html>\n<head>\n<meta charset=\"GB_2312-80\">") + kUtf8Chinese, true, false,
       false, u"页面第3行声明的是GBK编码（charset=\"GB_2312-80\"），按UTF-8读入会变成乱码，未改动",
       true},
      {std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + kUtf8Chinese, false, true, false,
       u"页面第1行声明的是UTF-8编码（encoding=\"utf-8\"），按GBK读入会变成乱码，未改动", false},
      // So does detection's, when a page it read by a declaration is valid in neither encoding.
      {std::string("<p>\n<meta charset=gbk>") + kNeither, false, false, true,
       u"按第2行的声明（charset=gbk）读作GBK，但不是有效的GBK编码（第2行，字节偏移24），未改动",
       false},
      {std::string(kBom) + "<\x81<", true, true, true,
       u"按页面开头的UTF-8字节顺序标记读作UTF-8，但不是有效的UTF-8编码（第1行，字节偏移4），未改动",
       true},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodePage(c.bytes, {c.read_utf8, c.write_utf8, c.detect, nullptr});
    if (c.reason.empty()) {
      ASSERT_TRUE(decoded.has_value()) << c.bytes;
      EXPECT_EQ(decoded->utf8, c.utf8) << c.bytes;
    } else {
      ASSERT_FALSE(decoded.has_value()) << c.bytes;
      EXPECT_EQ(decoded.error(), c.reason) << c.bytes;
    }
  }
}

TEST(UnencodableReason, NamesTheCharacterAndItsLineInThePage) {
  const struct {
    std::u16string text;
    bool utf8;
    std::optional<std::string_view> original;
    std::u16string expected;
    Language language = kFormLanguage;
  } cases[] = {
      {u"a\r\n\u00A9b", false,
       "a\r\n\xC2\xA9"
       "b",
       u"含有GBK无法表示的字符 U+00A9 “©”（第2行），未改动"},
      // The line is the page's, though the rules removed one before it.
      {u"x\u00BB", false, "\n\n\xC2\xBB", u"含有GBK无法表示的字符 U+00BB “»”（第3行），未改动"},
      {u"x\u00BB", false, "\n\n\xC2\xBB",
       u"holds a character GBK cannot hold, U+00BB “»” on line 3, left unchanged",
       Language::kEnglish},
      {u"x\n\ny\U0001F600", false, std::nullopt,
       u"含有GBK无法表示的字符 U+1F600 “\U0001F600”（第3行），未改动"},
      {u"\u00A0", false, "x", u"替换内容含有GBK无法表示的字符 U+00A0 “\u00A0”，未改动"},
      {std::u16string(u"a") + char16_t{0xD800}, true, std::nullopt,
       u"含有无法写成UTF-8的字符 U+D800（第1行），未改动"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnencodableReason(c.text, c.utf8, c.original, true, TextsIn(c.language)),
              c.expected);
  }
}

}  // namespace
}  // namespace quelbo
