#include "page/charset_tokens.h"

#include "page/charset_declarations.h"
#include "page/replacement_rules.h"

namespace quelbo {

std::u16string RewriteCharsetTokens(std::u16string page, bool read_utf8, bool write_utf8,
                                    size_t* rewritten) {
  if (read_utf8 == write_utf8) return page;
  // Whole labels first: the names below are parts of some (x-gbk, unicode-1-1-utf-8).
  page = RewriteCharsetDeclarations(std::move(page), write_utf8, rewritten);
  if (read_utf8) {
    page = ReplaceAll(std::move(page), u"utf-8", u"gb2312", rewritten);
  } else {
    page = ReplaceAll(std::move(page), u"gb2312", u"utf-8", rewritten);
    page = ReplaceAll(std::move(page), u"gbk", u"utf-8", rewritten);
  }
  return page;
}

}  // namespace quelbo
