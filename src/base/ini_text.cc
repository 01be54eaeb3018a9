#include "base/ini_text.h"

#include <optional>
#include <vector>

#include "base/text_codec.h"

namespace quelbo {
namespace {

// One line of the file: its content without the line end, and the line end as found.
struct Line {
  std::string_view content;
  std::string_view ending;  // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back({bytes.substr(start), {}});
      break;
    }
    size_t content_end = lf;
    if (content_end > start && bytes[content_end - 1] == '\r') --content_end;
    lines.push_back({bytes.substr(start, content_end - start),
                     bytes.substr(content_end, lf + 1 - content_end)});
    start = lf + 1;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// Compared as text, not bytes: a GBK trail byte can look like an ASCII letter.
bool SameName(std::string_view stored_bytes, std::u16string_view wanted) {
  const std::u16string stored = DecodeGbk(stored_bytes).text;
  if (stored.size() != wanted.size()) return false;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (FoldAscii(stored[i]) != FoldAscii(wanted[i])) return false;
  }
  return true;
}

// The first "]" of `line` that is a character of its own: in GBK the byte can also be the
// second half of a double-byte character (81 5D is U+4E5A), which must not end a section name.
size_t FindClosingBracket(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (byte == ']') return i;
    if (IsGbkLeadByte(byte)) ++i;  // a lead byte takes the next byte with it
  }
  return std::string_view::npos;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view content) {
  const std::string_view line = Trim(content);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = FindClosingBracket(line);
  return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view content) {
  const std::string_view line = Trim(content);
  if (line.empty() || line.front() == ';') return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// Where a section lies among the lines: its header and the line after its last non-blank line.
struct SectionSpan {
  size_t header;
  size_t end;          // one past the last line that belongs to the section
  size_t content_end;  // one past its last non-blank line (at least header + 1)
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines,
                                       std::u16string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].content);
    if (!name || !SameName(*name, section)) continue;
    SectionSpan span{i, i + 1, i + 1};
    while (span.end < lines.size() && !SectionName(lines[span.end].content)) {
      if (!Trim(lines[span.end].content).empty()) span.content_end = span.end + 1;
      ++span.end;
    }
    return span;
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span,
                              std::u16string_view key) {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    const auto parsed = ParseKeyLine(lines[i].content);
    if (parsed && SameName(parsed->key, key)) return i;
  }
  return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The longest prefix of at most `capacity` bytes that ends on a character boundary.
std::string_view CutToCapacity(std::string_view value, size_t capacity) {
  const size_t nul = value.find('\0');
  if (nul != std::string_view::npos) value = value.substr(0, nul);
  if (value.size() <= capacity) return value;
  size_t i = 0;
  while (i < value.size()) {
    const auto byte = static_cast<unsigned char>(value[i]);
    const size_t width = (IsGbkLeadByte(byte) && i + 1 < value.size()) ? 2 : 1;
    if (i + width > capacity) break;
    i += width;
  }
  return value.substr(0, i);
}

std::u16string WithoutLineBreaks(std::u16string_view text) {
  std::u16string result;
  for (char16_t c : text) {
    if (c != u'\r' && c != u'\n') result.push_back(c);
  }
  return result;
}

}  // namespace

std::u16string IniValueIn(std::string_view bytes, std::u16string_view section,
                          std::u16string_view key, std::u16string_view default_value) {
  const std::vector<Line> lines = SplitLines(bytes);
  if (const auto span = FindSection(lines, section)) {
    if (const auto index = FindKey(lines, *span, key)) {
      const std::string_view value = ParseKeyLine(lines[*index].content)->value;
      return DecodeGbk(CutToCapacity(Unquote(value), kIniValueCapacity)).text;
    }
  }
  return DecodeGbk(CutToCapacity(EncodeGbk(default_value).bytes, kIniValueCapacity)).text;
}

std::string WithIniValue(std::string_view old_bytes, std::u16string_view section,
                         std::u16string_view key, std::u16string_view value) {
  const std::string key_bytes = EncodeGbk(WithoutLineBreaks(key)).bytes;
  const std::string value_bytes = EncodeGbk(WithoutLineBreaks(value)).bytes;
  const std::vector<Line> lines = SplitLines(old_bytes);

  std::string out;
  out.reserve(old_bytes.size() + key_bytes.size() + value_bytes.size() + 16);
  auto append_line = [&out](const Line& line) {
    out.append(line.content);
    out.append(line.ending);
  };
  auto append_key = [&](std::string_view name) {
    out.append(name);
    out.push_back('=');
    out.append(value_bytes);
    out.append("\r\n");
  };

  const auto span = FindSection(lines, section);
  if (!span) {
    for (const Line& line : lines) append_line(line);
    if (!out.empty() && out.back() != '\n') out.append("\r\n");
    out.push_back('[');
    out.append(EncodeGbk(WithoutLineBreaks(section)).bytes);
    out.append("]\r\n");
    append_key(key_bytes);
  } else if (const auto index = FindKey(lines, *span, key)) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i == *index) {
        // The key keeps its place and its spelling; only the value changes.
        append_key(ParseKeyLine(lines[i].content)->key);
      } else {
        append_line(lines[i]);
      }
    }
  } else {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i == span->content_end) append_key(key_bytes);
      append_line(lines[i]);
      if (i + 1 == span->content_end && lines[i].ending.empty()) out.append("\r\n");
    }
    if (span->content_end == lines.size()) append_key(key_bytes);
  }
  return out;
}

std::optional<std::string> WithoutIniValue(std::string_view bytes, std::u16string_view section,
                                           std::u16string_view key) {
  const std::vector<Line> lines = SplitLines(bytes);
  const auto span = FindSection(lines, section);
  const auto index = span ? FindKey(lines, *span, key) : std::nullopt;
  if (!index) return std::nullopt;
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == *index) continue;
    out.append(lines[i].content);
    out.append(lines[i].ending);
  }
  return out;
}

}  // namespace quelbo
