#include "page/charset_tokens.h"

#include <gtest/gtest.h>

namespace quelbo {
namespace {

TEST(RewriteCharsetTokens, ByReadAndWriteEncodings) {
  const std::u16string page = u"charset=utf-8 UTF-8 charset=gb2312 GB2312 gbk GBK gbkx";
  const struct {
    std::u16string page;
    bool read_utf8, write_utf8;
    std::u16string expected;
  } cases[] = {
      {page, true, false, u"charset=gb2312 UTF-8 charset=gb2312 GB2312 gbk GBK gbkx"},
      {page, false, true, u"charset=utf-8 UTF-8 charset=utf-8 GB2312 utf-8 GBK utf-8x"},
      {page, true, true, page},
      {page, false, false, page},
      // Declarations are renamed whatever their case; names outside them only as above.
      {u"<meta charset=UTF-8> UTF-8 charset = 'Utf8'", true, false,
       u"<meta charset=gb2312> UTF-8 charset = 'gb2312'"},
      {u"<meta CHARSET=\"GB2312\"> GB2312 charset=GBK;charset=gb18030", false, true,
       u"<meta CHARSET=\"utf-8\"> GB2312 charset=utf-8;charset=utf-8"},
      // A declaration already of the written family stays.
      {u"<script charset=\"GBK\"></script><meta charset=UTF-8>", true, false,
       u"<script charset=\"GBK\"></script><meta charset=gb2312>"},
      {u"charset=UTF-8", true, true, u"charset=UTF-8"},
      // Whole labels of the page's own declarations first, then the names everywhere.
      {u"<?xml version=\"1.0\" encoding=\"GB2312\"?><meta charset=x-gbk> x-gbk csgb2312", false,
       true, u"<?xml version=\"1.0\" encoding=\"utf-8\"?><meta charset=utf-8> x-utf-8 csutf-8"},
      {u"charset=gb_2312-80;charset='csiso58gb231280'", false, true,
       u"charset=utf-8;charset='utf-8'"},
      {u"\uFEFF<?xml encoding='UTF-8'?>charset=unicode-1-1-utf-8 unicode-1-1-utf-8", true, false,
       u"\uFEFF<?xml encoding='gb2312'?>charset=gb2312 unicode-1-1-gb2312"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RewriteCharsetTokens(c.page, c.read_utf8, c.write_utf8), c.expected);
  }
}

}  // namespace
}  // namespace quelbo
