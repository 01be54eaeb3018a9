#include "page/charset_tokens.h"

#include <gtest/gtest.h>

namespace quelbo {
namespace {

TEST(RewriteCharsetTokens, ByReadAndWriteEncodings) {
  const std::u16string page = u"charset=utf-8 UTF-8 charset=gb2312 GB2312 gbk GBK gbkx";
  EXPECT_EQ(RewriteCharsetTokens(page, true, false),
            u"charset=gb2312 UTF-8 charset=gb2312 GB2312 gbk GBK gbkx");
  EXPECT_EQ(RewriteCharsetTokens(page, false, true),
            u"charset=utf-8 UTF-8 charset=utf-8 GB2312 utf-8 GBK utf-8x");
  EXPECT_EQ(RewriteCharsetTokens(page, true, true), page);
  EXPECT_EQ(RewriteCharsetTokens(page, false, false), page);
}

TEST(DeclaresGb2312, OnlyTheTwoExactForms) {
  const std::pair<std::string, bool> cases[] = {
      {"<meta content=\"text/html; charset=gb2312\">", true},
      {"<meta charset=\"gb2312\">", true},
      {"<meta charset=GB2312>", false},
      {"<meta charset=gbk>", false},
      {"<meta charset='gb2312'>", false},
      {"<meta charset= gb2312>", false},
      {"<meta charset=utf-8>", false},
      {"no declaration", false},
      {"", false},
      // After a lone lead byte the token starts a character; after a lead byte that pairs
      // with "c" it does not (the pair is one character).
      {"\xD6 charset=gb2312", true},
      {"\x81" "charset=gb2312", false},
      {"\x81" "charset=gb2312 charset=gb2312", true},
      {"\xD6\xD0" "charset=gb2312", true},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(DeclaresGb2312(bytes), expected) << bytes;
  }
}

TEST(DeclaresGb2312, FoundAtEveryOffsetAmongLookalikes) {
  // Text full of the declaration's first and last bytes, so that the search meets many near
  // misses, with the declaration at every offset within and across search blocks.
  for (size_t offset = 0; offset < 40; ++offset) {
    const std::string before = std::string(offset, 'c') + "charset= charset";
    const std::string after(offset % 17, '=');
    EXPECT_TRUE(DeclaresGb2312(before + "charset=gb2312" + after)) << offset;
    EXPECT_TRUE(DeclaresGb2312(before + "charset=\"gb2312" + after)) << offset;
    EXPECT_FALSE(DeclaresGb2312(before + "charset=gb231" + after)) << offset;
    EXPECT_FALSE(DeclaresGb2312(before + "charset=utf-8" + after)) << offset;
  }
}

}  // namespace
}  // namespace quelbo
