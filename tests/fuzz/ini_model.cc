#include "ini_model.h"

#include <unordered_map>
#include <vector>

#include "platform/ini_profile.h"
#include "base/text_codec.h"

namespace quelbo::fuzz {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// The text cut into code points: a surrogate pair is one piece, any other unit another.
std::vector<std::u16string_view> CodePoints(std::u16string_view text) {
  std::vector<std::u16string_view> pieces;
  for (size_t i = 0; i < text.size();) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    const size_t length = pair ? 2 : 1;
    pieces.push_back(text.substr(i, length));
    i += length;
  }
  return pieces;
}

// The GBK form of one code point; remembered, since every value is taken apart this way.
const EncodedBytes& GbkForm(std::u16string_view code_point) {
  static auto* const forms = new std::unordered_map<std::u16string, EncodedBytes>;
  auto found = forms->find(std::u16string(code_point));
  if (found == forms->end()) {
    found = forms->emplace(code_point, EncodeGbk(code_point)).first;
  }
  return found->second;
}

bool HasGbkForm(std::u16string_view code_point) { return GbkForm(code_point).complete; }

bool AllHaveGbkForms(std::u16string_view text) {
  for (const auto piece : CodePoints(text)) {
    if (!HasGbkForm(piece)) return false;
  }
  return true;
}

bool HasBlankEnd(std::u16string_view text) {
  return !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
}

std::u16string WithoutLineBreaks(std::u16string_view text) {
  std::u16string result;
  for (const char16_t c : text) {
    if (!IsLineBreak(c)) result.push_back(c);
  }
  return result;
}

std::u16string_view TrimText(std::u16string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == u'\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == u'\r')) text.remove_suffix(1);
  return text;
}

// Whatever a name of either kind cannot hold, then the blanks at its ends.
std::u16string PlainBase(std::u16string_view text, char16_t forbidden) {
  std::u16string result;
  for (const auto piece : CodePoints(text)) {
    if (piece.size() == 1 && (IsLineBreak(piece[0]) || piece[0] == forbidden)) continue;
    if (HasGbkForm(piece)) result.append(piece);
  }
  while (!result.empty() && IsBlank(result.back())) result.pop_back();
  size_t first = 0;
  while (first < result.size() && IsBlank(result[first])) ++first;
  return result.substr(first);
}

}  // namespace

bool SameIniName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

bool IsPlainKey(std::u16string_view key) {
  if (key.find_first_of(u"\r\n=") != std::u16string_view::npos || HasBlankEnd(key)) return false;
  if (!key.empty() && (key.front() == u';' || key.front() == u'[')) return false;
  return AllHaveGbkForms(key);
}

bool IsPlainSection(std::u16string_view section) {
  if (section.find_first_of(u"\r\n]") != std::u16string_view::npos || HasBlankEnd(section)) {
    return false;
  }
  return AllHaveGbkForms(section);
}

std::u16string MakePlainKey(std::u16string_view text) {
  std::u16string key = PlainBase(text, u'=');
  size_t first = 0;
  while (first < key.size() && (key[first] == u';' || key[first] == u'[' || IsBlank(key[first]))) {
    ++first;
  }
  return key.substr(first);
}

std::u16string MakePlainSection(std::u16string_view text) { return PlainBase(text, u']'); }

std::u16string ExpectedReadBack(std::u16string_view value) {
  // The stored value character by character, each as the bytes a write gives it; a character
  // without a GBK form gets the encoder's substitute, except that an invisible one (U+00AD,
  // U+200B, U+FEFF and the like) leaves nothing, as if it had not been there.
  const std::u16string written = WithoutLineBreaks(value);
  std::vector<std::string> stored;
  for (const auto piece : CodePoints(written)) {
    if (const std::string& bytes = GbkForm(piece).bytes; !bytes.empty()) stored.push_back(bytes);
  }
  auto is_blank = [](const std::string& c) { return c == " " || c == "\t"; };
  size_t first = 0;
  size_t last = stored.size();  // one past
  while (first < last && is_blank(stored[first])) ++first;
  while (last > first && is_blank(stored[last - 1])) --last;
  if (last - first >= 2 && (stored[first] == "\"" || stored[first] == "'") &&
      stored[last - 1] == stored[first]) {
    ++first;
    --last;
  }

  std::string bytes;
  for (size_t i = first; i < last; ++i) {
    if (stored[i] == std::string_view("\0", 1)) break;
    if (bytes.size() + stored[i].size() > kIniValueCapacity) break;
    bytes += stored[i];
  }
  return DecodeGbk(bytes).text;
}

std::string StoredBytes(std::u16string_view text) {
  return EncodeGbk(WithoutLineBreaks(text)).bytes;
}

std::string_view LineContent(std::string_view line) {
  if (line.ends_with("\r\n")) return line.substr(0, line.size() - 2);
  if (line.ends_with('\n')) return line.substr(0, line.size() - 1);
  return line;
}

std::optional<std::u16string> SectionLineName(std::string_view line) {
  const std::u16string text = DecodeGbk(line).text;
  const std::u16string_view trimmed = TrimText(text);
  if (trimmed.empty() || trimmed.front() != u'[') return std::nullopt;
  const size_t close = trimmed.find(u']');
  const std::u16string_view name =
      trimmed.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
  return std::u16string(TrimText(name));
}

std::optional<std::u16string> KeyLineName(std::string_view line) {
  if (SectionLineName(line)) return std::nullopt;
  const std::u16string text = DecodeGbk(line).text;
  const std::u16string_view trimmed = TrimText(text);
  if (trimmed.empty() || trimmed.front() == u';') return std::nullopt;
  const size_t equals = trimmed.find(u'=');
  if (equals == std::u16string_view::npos) return std::nullopt;
  return std::u16string(TrimText(trimmed.substr(0, equals)));
}

}  // namespace quelbo::fuzz
