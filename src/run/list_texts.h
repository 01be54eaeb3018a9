#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small helpers for the run's list texts (lines separated by CR LF).

namespace quelbo {

inline constexpr std::u16string_view kCrLf = u"\r\n";
inline constexpr std::u16string_view kListMarker = u"###";
// Two line breaks in a row: a blank line in a list.
inline constexpr std::u16string_view kBlankLinePair = u"\r\n\r\n";
// What ends the directory queue.
inline constexpr std::u16string_view kQueueEndMarkers = u"###\r\n###";

// The number of line feeds in a list.
long long LineBreaks(std::u16string_view list);
// The number of line feeds in a list minus 3, from the list or from its count of line feeds.
long long FoundCount(std::u16string_view list);
long long FoundCountOf(long long line_breaks);

// "共找到=    " + the count + "    -行数据" + the letter.
std::u16string FoundMessage(long long count, char16_t letter);

// A directory block: the names in reverse order, each with `prefix` before it and CR LF after
// it, then "###".
std::u16string DirectoryBlock(const std::vector<std::u16string>& names, std::u16string_view prefix);

// The text before the first CR LF, or all of it.
std::u16string_view FirstLine(std::u16string_view text);

// One left-to-right pass replacing every CR LF CR LF by CR LF (three breaks in a row become
// two).
std::u16string CollapseBlankLinePairs(std::u16string text);

// Every occurrence of `c` removed.
std::u16string WithoutChar(std::u16string_view text, char16_t c);

// Decimal digits, with "-" when negative.
std::u16string DecimalText(long long value);

}  // namespace quelbo
