#pragma once

#include <string>

namespace quelbo {

// Makes the charset names in a page match the encoding it is written in. First, so that no
// converted page declares the encoding it no longer has, the page's own declarations of the
// other encoding are renamed, each label whole and whatever its case
// (RewriteCharsetDeclarations). Then reading UTF-8 and writing code page 936 turns every
// "utf-8" into "gb2312"; the opposite turns every "gb2312", then every "gbk", into "utf-8".
// Exact and case-sensitive, over the whole page. The number of names rewritten is added to
// `*rewritten` when given.
std::u16string RewriteCharsetTokens(std::u16string page, bool read_utf8, bool write_utf8,
                                    size_t* rewritten = nullptr);

}  // namespace quelbo
