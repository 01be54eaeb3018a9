#include <algorithm>
#include <vector>

#include "base/text_codec.h"
#include "run/preview_report.h"

namespace quelbo {
namespace {

constexpr size_t kContext = 3;
// Past this many cells the middle of a diff is shown as one replaced stretch rather than
// aligned line by line, so a preview of a huge page stays quick.
constexpr size_t kAlignLimit = size_t{4} << 20;

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// One line of the diff: ' ' kept, '-' removed, '+' added.
struct DiffLine {
  char kind;
  std::string_view text;
};

// The lines between the common head and tail, aligned by their longest common subsequence.
void AlignMiddle(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
                 size_t head, size_t a_end, size_t b_end, std::vector<DiffLine>& out) {
  const size_t n = a_end - head;
  const size_t m = b_end - head;
  if (n * m > kAlignLimit) {
    for (size_t i = head; i < a_end; ++i) out.push_back({'-', a[i]});
    for (size_t j = head; j < b_end; ++j) out.push_back({'+', b[j]});
    return;
  }
  // lcs[i][j]: the common length of a[head+i..] and b[head+j..].
  std::vector<unsigned> lcs((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> unsigned& { return lcs[i * (m + 1) + j]; };
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m; j-- > 0;) {
      at(i, j) =
          a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    }
  }
  size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && a[head + i] == b[head + j]) {
      out.push_back({' ', a[head + i]});
      ++i, ++j;
    } else if (i < n && (j == m || at(i + 1, j) >= at(i, j + 1))) {
      out.push_back({'-', a[head + i++]});
    } else {
      out.push_back({'+', b[head + j++]});
    }
  }
}

void AppendLine(std::string& out, char kind, std::string_view text) {
  out.push_back(kind);
  out.append(text);
  if (text.empty() || text.back() != '\n') out.append("\n\\ No newline at end of file\n");
}

}  // namespace

std::string PageDiff(std::u16string_view entry, std::string_view old_bytes,
                     std::string_view new_bytes, PageEncodings encodings) {
  const std::string old_text =
      ToUtf8((encodings.read_utf8 ? DecodeUtf8(old_bytes) : DecodeGbk(old_bytes)).text);
  const std::string new_text =
      ToUtf8((encodings.write_utf8 ? DecodeUtf8(new_bytes) : DecodeGbk(new_bytes)).text);
  if (old_text == new_text) return {};
  const auto a = SplitLines(old_text);
  const auto b = SplitLines(new_text);

  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  size_t a_end = a.size(), b_end = b.size();
  while (a_end > head && b_end > head && a[a_end - 1] == b[b_end - 1]) --a_end, --b_end;

  std::vector<DiffLine> lines;
  for (size_t i = 0; i < head; ++i) lines.push_back({' ', a[i]});
  AlignMiddle(a, b, head, a_end, b_end, lines);
  for (size_t i = a_end; i < a.size(); ++i) lines.push_back({' ', a[i]});

  const std::string name = ToUtf8(entry);
  std::string out = "--- a/" + name + "\n+++ b/" + name + "\n";
  // Hunks: runs of changes with up to kContext kept lines around them, merged when close.
  size_t a_line = 1, b_line = 1;  // numbers of the next old and new line
  size_t i = 0;
  while (i < lines.size()) {
    size_t change = i;
    while (change < lines.size() && lines[change].kind == ' ') ++change;
    if (change == lines.size()) break;
    const size_t start = change - std::min(kContext, change - i);
    for (size_t k = i; k < start; ++k) ++a_line, ++b_line;
    size_t end = change;
    size_t kept_run = 0;
    while (end < lines.size() && kept_run <= 2 * kContext) {
      kept_run = lines[end].kind == ' ' ? kept_run + 1 : 0;
      ++end;
    }
    if (kept_run > kContext) end -= kept_run - kContext;
    size_t a_count = 0, b_count = 0;
    for (size_t k = start; k < end; ++k) {
      if (lines[k].kind != '+') ++a_count;
      if (lines[k].kind != '-') ++b_count;
    }
    out += "@@ -" + std::to_string(a_count ? a_line : a_line - 1) + "," + std::to_string(a_count) +
           " +" + std::to_string(b_count ? b_line : b_line - 1) + "," + std::to_string(b_count) +
           " @@\n";
    for (size_t k = start; k < end; ++k) AppendLine(out, lines[k].kind, lines[k].text);
    a_line += a_count;
    b_line += b_count;
    i = end;
  }
  return out;
}

}  // namespace quelbo
