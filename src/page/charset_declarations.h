#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where a page says which encoding it is in:
// - a UTF-8 byte-order mark (EF BB BF) at its very start;
// - a charset declaration, wherever it stands (a meta tag, an ASP header, a script tag, plain
//   text): "charset", optional blanks, "=", optional blanks, an optional single or double
//   quote, then a label;
// - the XML declaration that opens the page (after a byte-order mark and blanks, if any):
//   "<?xml" and, before its ">", "encoding" followed by what follows "charset" above.
// Words and labels are matched without regard to ASCII case. The labels are those browsers
// take for the two encodings: for code page 936 chinese, csgb2312, csiso58gb231280, gb2312,
// gb_2312, gb_2312-80, gbk, iso-ir-58, x-gbk and gb18030; for UTF-8 unicode-1-1-utf-8,
// unicode11utf8, unicode20utf8, utf-8, utf8 and x-unicode20utf8. A label only has to start
// there (so "gb2312" in "charset=gb2312x" counts too); of two that start there, the longer
// one is taken (gb_2312-80, not gb_2312).

namespace quelbo {

enum class Charset { kNone, kGbk, kUtf8 };

enum class DeclarationForm { kByteOrderMark, kCharset, kXmlEncoding };

// One declaration in a page: which family it names and where it stands.
struct Declaration {
  Charset charset = Charset::kNone;  // kNone: no declaration
  DeclarationForm form = DeclarationForm::kCharset;
  size_t at = 0;      // where the mark, "charset" or "encoding" starts
  size_t length = 0;  // from `at` through the label and its closing quote
  size_t label_at = 0;
  size_t label_length = 0;
};

// Which families a page's bytes declare, the bytes read as code page 936 (a declaration counts
// only where it starts a character: a code page 936 trail byte can look like ASCII), and the
// first declaration of each family (a byte-order mark first of all).
struct CharsetDeclarations {
  bool gbk = false;
  bool utf8 = false;
  Declaration first_gbk;
  Declaration first_utf8;
};
CharsetDeclarations FindCharsetDeclarations(std::string_view page_bytes);

// The declaration that decides the encoding a page says it is in. A page that declares both
// families (a UTF-8 page that loads an outside script with charset=gb2312, say) counts as UTF-8
// when it holds any byte beyond ASCII, since its bytes then tell the two apart; an ASCII page
// that declares both counts as code page 936, as any page naming gb2312 always has. So a
// byte-order mark, the first UTF-8 declaration of a page that cannot be ASCII, outranks every
// other declaration: only UTF-8 pages begin with one. Its charset is kNone when the page
// declares neither.
Declaration DecidingDeclaration(std::string_view page_bytes);
Charset DeclaredCharset(std::string_view page_bytes);

// Whether every byte is ASCII.
bool IsAscii(std::string_view bytes);

// Where a label stands in a page's text: `length` code units from `at`.
struct LabelSpan {
  size_t at = 0;
  size_t length = 0;
};

// The labels of the charset declarations and of the opening XML declaration in `page` that
// name `family`, in increasing order and not overlapping; each span covers the whole label
// (the longest that starts there), not its quotes. REQUIRES: `family` is not kNone.
std::vector<LabelSpan> DeclaredLabels(std::u16string_view page, Charset family);

// Renames the page's own declarations of the other family to the one it is written in: each
// label that DeclaredLabels finds for the other family is replaced whole by "utf-8"
// (`to_utf8`) or "gb2312", and nothing else changes. The text comes back unchanged (the same
// buffer) when there is none. The number of labels replaced is added to `*rewritten_names`.
std::u16string RewriteCharsetDeclarations(std::u16string page, bool to_utf8,
                                          size_t* rewritten_names = nullptr);

}  // namespace quelbo
