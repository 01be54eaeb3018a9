#include "page/charset_declarations.h"

#include <gtest/gtest.h>

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
  for (size_t offset = 0; offset < 40; ++offset) {
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

}  // namespace
}  // namespace quelbo
