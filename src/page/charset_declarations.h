#pragma once

#include <string>
#include <string_view>

// Charset declarations as pages write them: "charset", optional blanks, "=", optional blanks,
// an optional single or double quote, then a charset name, all without regard to ASCII case
// and wherever the text stands (a meta tag, an ASP header, a script tag, plain text). Names of
// the code page 936 family: gb2312, gbk, gb18030; of UTF-8: utf-8, utf8. The name only has to
// start there, so "gb2312" in "charset=gb2312x" counts too.

namespace quelbo {

enum class Charset { kNone, kGbk, kUtf8 };

// Which families a page's bytes declare, the bytes read as code page 936: a declaration counts
// only where it starts a character (a code page 936 trail byte can look like ASCII).
struct CharsetDeclarations {
  bool gbk = false;
  bool utf8 = false;
};
CharsetDeclarations FindCharsetDeclarations(std::string_view page_bytes);

// The encoding a page says it is in. A page that declares both (a UTF-8 page that loads an
// outside script with charset=gb2312, say) counts as UTF-8 when it holds any byte beyond ASCII,
// since its bytes then tell the two apart; an ASCII page that declares both counts as code page
// 936, as any page naming gb2312 always has.
Charset DeclaredCharset(std::string_view page_bytes);

// Whether every byte is ASCII.
bool IsAscii(std::string_view bytes);

// Renames every declaration of the other family to the one the page is written in: its name
// becomes "utf-8" (`to_utf8`) or "gb2312", whatever case it had. One pass; the text comes back
// unchanged when no declaration names the other family.
std::u16string RewriteCharsetDeclarations(std::u16string page, bool to_utf8,
                                          size_t* rewritten_names = nullptr);

}  // namespace quelbo
