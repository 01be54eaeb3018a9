#pragma once

#include <string>
#include <string_view>

namespace quelbo {

// Makes the charset names in a page match the encoding it is written in: reading UTF-8 and
// writing code page 936 turns every "utf-8" into "gb2312"; the opposite turns every "gb2312",
// then every "gbk", into "utf-8". Exact and case-sensitive, over the whole page. The number of
// names rewritten is added to `*rewritten` when given.
std::u16string RewriteCharsetTokens(std::u16string page, bool read_utf8, bool write_utf8,
                                    size_t* rewritten = nullptr);

// Whether a page's bytes, read as code page 936, contain "charset=gb2312" or the quoted form
// `charset="gb2312`. Searches the bytes without decoding them: the tokens are ASCII, and a hit
// counts only where it starts a character (a code page 936 trail byte can look like ASCII).
bool DeclaresGb2312(std::string_view page_bytes);

}  // namespace quelbo
