#include "page/charset_declarations.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace quelbo {
namespace {

constexpr auto kNone = Charset::kNone;
constexpr auto kGbk = Charset::kGbk;
constexpr auto kUtf8 = Charset::kUtf8;

TEST(CharsetDeclarations, FormsCasesAndNames) {
  const struct {
    std::string bytes;
    bool gbk, utf8;
    Charset declared;
  } cases[] = {
      {"<meta content=\"text/html; charset=gb2312\">", true, false, kGbk},
      {"<meta charset=\"gb2312\">", true, false, kGbk},
      {"<meta charset=GB2312>", true, false, kGbk},
      {"<meta charset=gbk>", true, false, kGbk},
      {"<meta charset='gb2312'>", true, false, kGbk},
      {"<meta charset= gb2312>", true, false, kGbk},
      {"<% Response.Charset = \"GB2312\" %>", true, false, kGbk},
      {"CHARSET\t=\t'GB18030'", true, false, kGbk},
      {"xcharset=gbkx", true, false, kGbk},
      {"<meta charset=utf-8>", false, true, kUtf8},
      {"<meta charset=\"UTF-8\" />", false, true, kUtf8},
      {"charset=Utf8", false, true, kUtf8},
      {"charset=\"\"gbk charset:utf-8 charset=utf-16 charset=big5 chars et=gbk", false, false,
       kNone},
      {"no declaration", false, false, kNone},
      {"", false, false, kNone},
      // Both: an ASCII page counts as code page 936, as before; otherwise as UTF-8.
      {"<script charset=\"gb2312\"></script><meta charset=utf-8>", true, true, kGbk},
      {"<script charset=\"gb2312\"></script><meta charset=utf-8>\xE4\xB8\xAD", true, true, kUtf8},
      // After a lone lead byte the token starts a character; after a lead byte that pairs
      // with "c" it does not (the pair is one character).
      {"\xD6 charset=gb2312", true, false, kGbk},
      {"\x81"
       "charset=gb2312",
       false, false, kNone},
      {"\x81"
       "charset=gb2312 charset=gb2312",
       true, false, kGbk},
      {"\xD6\xD0"
       "charset=gb2312",
       true, false, kGbk},
      // The XML declaration that opens a page, after a byte-order mark and blanks, and only it.
      {"<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<html>", true, false, kGbk},
      {"\xEF\xBB\xBF \r\n<?XML version='1.0' Encoding = 'utf-8' ?>", false, true, kUtf8},
      {"<p><?xml version=\"1.0\" encoding=\"gbk\"?>", false, false, kNone},
      {"<?xml-stylesheet encoding=\"gbk\"?>", false, false, kNone},
      {"<?xml version=\"1.0\"?><x encoding=\"gbk\">", false, false, kNone},
      // A byte-order mark declares UTF-8 and outranks every other declaration.
      {"\xEF\xBB\xBF<meta charset=gb2312>", true, true, kUtf8},
      {"\xEF\xBB\xBF", false, true, kUtf8},
      {" \xEF\xBB\xBF<meta charset=gb2312>", true, false, kGbk},
  };
  for (const auto& c : cases) {
    const CharsetDeclarations found = FindCharsetDeclarations(c.bytes);
    EXPECT_EQ(found.gbk, c.gbk) << c.bytes;
    EXPECT_EQ(found.utf8, c.utf8) << c.bytes;
    EXPECT_EQ(DeclaredCharset(c.bytes), c.declared) << c.bytes;
  }
}

TEST(CharsetDeclarations, FoundAtEveryOffsetAmongLookalikes) {
  // Text full of the word's first and last letters, so that the search meets many near
  // misses, with the declaration at every offset within and across search blocks.
  for (size_t offset = 0; offset < 80; ++offset) {
    const std::string before = std::string(offset, 'C') + "charse= tcharset";
    const std::string after(offset % 17, 't');
    EXPECT_TRUE(FindCharsetDeclarations(before + "charset=gb2312" + after).gbk) << offset;
    EXPECT_TRUE(FindCharsetDeclarations(before + "CharSet=\"GBK" + after).gbk) << offset;
    EXPECT_TRUE(FindCharsetDeclarations(before + "CHARSET=UTF8" + after).utf8) << offset;
    EXPECT_FALSE(FindCharsetDeclarations(before + "charset=gb231" + after).gbk) << offset;
    const std::u16string text(before.begin(), before.end());
    EXPECT_EQ(RewriteCharsetDeclarations(text + u"Charset=GBK", true), text + u"Charset=utf-8")
        << offset;
  }
}

TEST(CharsetDeclarations, EveryLabelOfEitherEncodingInAnyCaseIsRenamedWhole) {
  const std::pair<Charset, std::vector<std::string>> families[] = {
      {kGbk,
       {"chinese", "CSGB2312", "csISO58GB231280", "Gb2312", "gb_2312", "GB_2312-80", "gbK",
        "Iso-Ir-58", "X-GBK", "gb18030"}},
      {kUtf8,
       {"Unicode-1-1-UTF-8", "unicode11utf8", "UNICODE20UTF8", "utf-8", "Utf8", "x-unicode20utf8"}},
  };
  for (const auto& [charset, labels] : families) {
    for (const std::string& label : labels) {
      EXPECT_EQ(DeclaredCharset("<meta charset=" + label + ">"), charset) << label;
      EXPECT_EQ(DeclaredCharset("<?xml version=\"1.0\" encoding=\"" + label + "\"?>"), charset);
      const std::u16string name(label.begin(), label.end());
      const std::u16string renamed = charset == kGbk ? u"utf-8" : u"gb2312";
      EXPECT_EQ(
          RewriteCharsetDeclarations(
              u"<?xml encoding='" + name + u"'?><meta charset=\"" + name + u"\">", charset == kGbk),
          u"<?xml encoding='" + renamed + u"'?><meta charset=\"" + renamed + u"\">");
    }
  }
}

}  // namespace
}  // namespace quelbo
