#include "page/charset_declarations.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text_codec.h"

namespace quelbo {
namespace {

constexpr std::string_view kWord = "charset";
constexpr std::string_view kXmlStart = "<?xml";
constexpr std::string_view kXmlWord = "encoding";

struct CharsetLabel {
  std::string_view name;
  Charset charset;
};
constexpr CharsetLabel kLabels[] = {
    {"chinese", Charset::kGbk},
    {"csgb2312", Charset::kGbk},
    {"csiso58gb231280", Charset::kGbk},
    {"gb18030", Charset::kGbk},
    {"gb2312", Charset::kGbk},
    {"gb_2312", Charset::kGbk},
    {"gb_2312-80", Charset::kGbk},
    {"gbk", Charset::kGbk},
    {"iso-ir-58", Charset::kGbk},
    {"x-gbk", Charset::kGbk},
    {"unicode-1-1-utf-8", Charset::kUtf8},
    {"unicode11utf8", Charset::kUtf8},
    {"unicode20utf8", Charset::kUtf8},
    {"utf-8", Charset::kUtf8},
    {"utf8", Charset::kUtf8},
    {"x-unicode20utf8", Charset::kUtf8},
};

unsigned Unit(char c) { return static_cast<unsigned char>(c); }
unsigned Unit(char16_t c) { return c; }

template <typename Char>
unsigned LowerAscii(Char c) {
  const unsigned unit = Unit(c);
  return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
}

template <typename Char>
bool StartsWithIgnoringCase(std::basic_string_view<Char> text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (LowerAscii(text[at + i]) != Unit(word[i])) return false;
  }
  return true;
}

template <typename Char>
size_t SkipBlanks(std::basic_string_view<Char> text, size_t at) {
  while (at < text.size() && (Unit(text[at]) == ' ' || Unit(text[at]) == '\t')) ++at;
  return at;
}

bool IsXmlBlank(unsigned unit) {
  return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

size_t ByteOrderMarkSize(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}
size_t ByteOrderMarkSize(std::u16string_view text) {
  return !text.empty() && text.front() == u'\uFEFF' ? 1 : 0;
}

// The longest label that starts at `at`: its family and length (kNone: none does).
template <typename Char>
std::pair<Charset, size_t> LabelAt(std::basic_string_view<Char> text, size_t at) {
  std::pair<Charset, size_t> longest{Charset::kNone, 0};
  for (const CharsetLabel& known : kLabels) {
    if (known.name.size() > longest.second && StartsWithIgnoringCase(text, at, known.name)) {
      longest = {known.charset, known.name.size()};
    }
  }
  return longest;
}

// The declaration whose word ("charset" or "encoding") stands from `at` to `value_at`: the
// label after "=", blanks and a quote; the declaration stretches from the word through the
// label and its closing quote.
template <typename Char>
Declaration DeclarationWithValue(std::basic_string_view<Char> text, size_t at, size_t value_at,
                                 DeclarationForm form) {
  size_t i = SkipBlanks(text, value_at);
  if (i == text.size() || Unit(text[i]) != '=') return {};
  i = SkipBlanks(text, i + 1);
  const unsigned quote = i < text.size() ? Unit(text[i]) : 0;
  const bool quoted = quote == '"' || quote == '\'';
  if (quoted) ++i;
  const auto [charset, label_length] = LabelAt(text, i);
  if (charset == Charset::kNone) return {};
  size_t end = i + label_length;
  if (quoted && end < text.size() && Unit(text[end]) == quote) ++end;
  return {charset, form, at, end - at, i, label_length};
}

template <typename Char>
Declaration CharsetDeclarationAt(std::basic_string_view<Char> text, size_t at) {
  if (!StartsWithIgnoringCase(text, at, kWord)) return {};
  return DeclarationWithValue(text, at, at + kWord.size(), DeclarationForm::kCharset);
}

// The encoding declared by the XML declaration that opens the text, after a byte-order mark
// and blanks. Its characters are ASCII, so in code page 936 bytes they all start characters.
template <typename Char>
Declaration XmlEncoding(std::basic_string_view<Char> text) {
  size_t i = ByteOrderMarkSize(text);
  while (i < text.size() && IsXmlBlank(Unit(text[i]))) ++i;
  if (!StartsWithIgnoringCase(text, i, kXmlStart)) return {};
  i += kXmlStart.size();
  if (i == text.size() || !IsXmlBlank(Unit(text[i]))) return {};
  for (; i < text.size() && Unit(text[i]) != '>'; ++i) {
    if (IsXmlBlank(Unit(text[i])) && StartsWithIgnoringCase(text, i + 1, kXmlWord)) {
      return DeclarationWithValue(text, i + 1, i + 1 + kXmlWord.size(),
                                  DeclarationForm::kXmlEncoding);
    }
  }
  return {};
}

#if defined(__x86_64__) && defined(__GNUC__)
// From `i` on, the first block of 32 positions before `end` in which "charset" may start, or
// where fewer than 32 positions are left: NextCandidate's filter, twice as wide.
__attribute__((target("avx2"))) size_t SkipBlocksWithoutCandidateAvx2(const char* text, size_t i,
                                                                       size_t end) {
  constexpr size_t kLast = kWord.size() - 1;
  const __m256i case_bit = _mm256_set1_epi8(0x20);
  const __m256i first = _mm256_set1_epi8('c');
  const __m256i last = _mm256_set1_epi8('t');
  for (; i + 32 <= end; i += 32) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + kLast));
    const __m256i both = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(head, case_bit), first),
                                          _mm256_cmpeq_epi8(_mm256_or_si256(tail, case_bit), last));
    if (!_mm256_testz_si256(both, both)) break;
  }
  return i;
}
#endif

// The next position at or after `from` where "charset" may start: its first and last letters
// are there, in either case. Blocks of positions are filtered at once; the caller checks the
// rest of the word.
size_t NextCandidate(std::string_view text, size_t from) {
  constexpr size_t kLast = kWord.size() - 1;
  if (from > text.size() || text.size() - from < kWord.size()) return std::string_view::npos;
  const size_t end = text.size() - kLast;  // one past the last possible start
  size_t i = from;
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) i = SkipBlocksWithoutCandidateAvx2(text.data(), i, end);
#endif
#if defined(__SSE2__)
  const __m128i case_bit = _mm_set1_epi8(0x20);
  const __m128i first = _mm_set1_epi8('c');
  const __m128i last = _mm_set1_epi8('t');
  for (; i + 16 <= end; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + kLast));
    const int mask =
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(head, case_bit), first),
                                        _mm_cmpeq_epi8(_mm_or_si128(tail, case_bit), last)));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < end; ++i) {
    if ((Unit(text[i]) | 0x20) == 'c' && (Unit(text[i + kLast]) | 0x20) == 't') return i;
  }
  return std::string_view::npos;
}

size_t NextCandidate(std::u16string_view text, size_t from) {
  constexpr size_t kLast = kWord.size() - 1;
  if (from > text.size() || text.size() - from < kWord.size()) return std::u16string_view::npos;
  const size_t end = text.size() - kLast;
  size_t i = from;
#if defined(__SSE2__)
  const __m128i case_bit = _mm_set1_epi16(0x20);
  const __m128i first = _mm_set1_epi16('c');
  const __m128i last = _mm_set1_epi16('t');
  for (; i + 8 <= end; i += 8) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + kLast));
    const int mask =
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(head, case_bit), first),
                                        _mm_cmpeq_epi16(_mm_or_si128(tail, case_bit), last)));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
  }
#endif
  for (; i < end; ++i) {
    if ((Unit(text[i]) | 0x20) == 'c' && (Unit(text[i + kLast]) | 0x20) == 't') return i;
  }
  return std::u16string_view::npos;
}

// Whether `at` starts a character. Bytes below 0x40 are never part of a double-byte character,
// so decoding can restart right after the last one of them before `at`.
bool StartsCharacter(std::string_view bytes, size_t at) {
  size_t i = at;
  while (i > 0 && static_cast<unsigned char>(bytes[i - 1]) >= 0x40) --i;
  while (i < at) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool pair = IsGbkLeadByte(byte) && i + 1 < bytes.size() &&
                      IsGbkTrailByte(static_cast<unsigned char>(bytes[i + 1]));
    i += pair ? 2 : 1;
  }
  return i == at;
}

}  // namespace

CharsetDeclarations FindCharsetDeclarations(std::string_view page_bytes) {
  CharsetDeclarations found;
  const auto note = [&found](const Declaration& declaration) {
    const bool gbk = declaration.charset == Charset::kGbk;
    if (gbk ? found.gbk : found.utf8) return;
    (gbk ? found.gbk : found.utf8) = true;
    (gbk ? found.first_gbk : found.first_utf8) = declaration;
  };
  if (ByteOrderMarkSize(page_bytes) != 0) {
    note({Charset::kUtf8, DeclarationForm::kByteOrderMark, 0, 3, 0, 0});
  }
  if (const Declaration xml = XmlEncoding(page_bytes); xml.charset != Charset::kNone) note(xml);
  for (size_t at = NextCandidate(page_bytes, 0); at != std::string_view::npos;
       at = NextCandidate(page_bytes, at + 1)) {
    if (found.gbk && found.utf8) break;
    const Declaration declaration = CharsetDeclarationAt(page_bytes, at);
    if (declaration.charset == Charset::kNone) continue;
    // A family already seen needs no boundary check, which keeps a page of declarations linear.
    if (declaration.charset == Charset::kGbk ? found.gbk : found.utf8) continue;
    if (StartsCharacter(page_bytes, at)) note(declaration);
  }
  return found;
}

Declaration DecidingDeclaration(std::string_view page_bytes) {
  const CharsetDeclarations found = FindCharsetDeclarations(page_bytes);
  if (found.gbk && found.utf8) return IsAscii(page_bytes) ? found.first_gbk : found.first_utf8;
  return found.gbk ? found.first_gbk : found.first_utf8;
}

Charset DeclaredCharset(std::string_view page_bytes) {
  return DecidingDeclaration(page_bytes).charset;
}

bool IsAscii(std::string_view bytes) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    if (_mm_movemask_epi8(block) != 0) return false;
  }
#endif
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

std::vector<LabelSpan> DeclaredLabels(std::u16string_view page, Charset family) {
  std::vector<LabelSpan> spans;
  for (size_t at = NextCandidate(page, 0); at != std::u16string_view::npos;
       at = NextCandidate(page, at + 1)) {
    const Declaration declaration = CharsetDeclarationAt(page, at);
    if (declaration.charset != family) continue;
    spans.push_back({declaration.label_at, declaration.label_length});
    at = spans.back().at + spans.back().length - 1;
  }
  // The XML declaration's label lies between two of the others at most: neither kind of label
  // holds the "=" that comes before the other.
  if (const Declaration xml = XmlEncoding(page); xml.charset == family) {
    const LabelSpan span{xml.label_at, xml.label_length};
    spans.insert(std::ranges::upper_bound(spans, span.at, {}, &LabelSpan::at), span);
  }
  return spans;
}

std::u16string RewriteCharsetDeclarations(std::u16string page, bool to_utf8,
                                          size_t* rewritten_names) {
  const std::vector<LabelSpan> spans =
      DeclaredLabels(page, to_utf8 ? Charset::kGbk : Charset::kUtf8);
  if (spans.empty()) return page;
  const std::u16string_view name = to_utf8 ? u"utf-8" : u"gb2312";
  const std::u16string_view text = page;
  std::u16string rewritten;
  rewritten.reserve(text.size() + spans.size() * name.size());
  size_t copied = 0;  // text before this is in `rewritten`
  for (const LabelSpan& span : spans) {
    rewritten.append(text.substr(copied, span.at - copied)).append(name);
    copied = span.at + span.length;
  }
  rewritten.append(text.substr(copied));
  if (rewritten_names != nullptr) *rewritten_names += spans.size();
  return rewritten;
}

}  // namespace quelbo
