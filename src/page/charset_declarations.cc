#include "page/charset_declarations.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text_codec.h"

namespace quelbo {
namespace {

constexpr std::string_view kWord = "charset";

struct CharsetName {
  std::string_view name;
  Charset charset;
};
constexpr CharsetName kNames[] = {
    {"gb2312", Charset::kGbk}, {"gbk", Charset::kGbk},   {"gb18030", Charset::kGbk},
    {"utf-8", Charset::kUtf8}, {"utf8", Charset::kUtf8},
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

// A declaration whose "charset" starts at a given position, and where its name lies.
struct Declaration {
  Charset charset = Charset::kNone;
  size_t name_at = 0;
  size_t name_length = 0;
};

template <typename Char>
Declaration ParseDeclaration(std::basic_string_view<Char> text, size_t at) {
  if (!StartsWithIgnoringCase(text, at, kWord)) return {};
  size_t i = SkipBlanks(text, at + kWord.size());
  if (i == text.size() || Unit(text[i]) != '=') return {};
  i = SkipBlanks(text, i + 1);
  if (i < text.size() && (Unit(text[i]) == '"' || Unit(text[i]) == '\'')) ++i;
  for (const CharsetName& name : kNames) {
    if (StartsWithIgnoringCase(text, i, name.name)) return {name.charset, i, name.name.size()};
  }
  return {};
}

// The next position at or after `from` where "charset" may start: its first and last letters
// are there, in either case. Blocks of positions are filtered at once; the caller checks the
// rest of the word.
size_t NextCandidate(std::string_view text, size_t from) {
  constexpr size_t kLast = kWord.size() - 1;
  if (from > text.size() || text.size() - from < kWord.size()) return std::string_view::npos;
  const size_t end = text.size() - kLast;  // one past the last possible start
  size_t i = from;
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
  for (size_t at = NextCandidate(page_bytes, 0); at != std::string_view::npos;
       at = NextCandidate(page_bytes, at + 1)) {
    const Charset charset = ParseDeclaration(page_bytes, at).charset;
    bool& seen = charset == Charset::kGbk ? found.gbk : found.utf8;
    // A family already seen needs no boundary check, which keeps a page of declarations linear.
    if (charset == Charset::kNone || seen || !StartsCharacter(page_bytes, at)) continue;
    seen = true;
    if (found.gbk && found.utf8) break;
  }
  return found;
}

Charset DeclaredCharset(std::string_view page_bytes) {
  const CharsetDeclarations found = FindCharsetDeclarations(page_bytes);
  if (found.gbk && found.utf8) return IsAscii(page_bytes) ? Charset::kGbk : Charset::kUtf8;
  if (found.gbk) return Charset::kGbk;
  if (found.utf8) return Charset::kUtf8;
  return Charset::kNone;
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

std::u16string RewriteCharsetDeclarations(std::u16string page, bool to_utf8, size_t* rewritten_names) {
  const Charset other = to_utf8 ? Charset::kGbk : Charset::kUtf8;
  const std::u16string_view name = to_utf8 ? u"utf-8" : u"gb2312";
  const std::u16string_view text = page;
  std::u16string rewritten;
  size_t copied = 0;  // text before this is in `rewritten`
  for (size_t at = NextCandidate(text, 0); at != std::u16string_view::npos;
       at = NextCandidate(text, at + 1)) {
    const Declaration declaration = ParseDeclaration(text, at);
    if (declaration.charset != other) continue;
    if (copied == 0) rewritten.reserve(text.size() + 16);
    rewritten.append(text.substr(copied, declaration.name_at - copied));
    rewritten.append(name);
    if (rewritten_names != nullptr) ++*rewritten_names;
    copied = declaration.name_at + declaration.name_length;
    at = copied - 1;
  }
  if (copied == 0) return page;
  rewritten.append(text.substr(copied));
  return rewritten;
}

}  // namespace quelbo
