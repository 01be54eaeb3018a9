#pragma once

#include <optional>
#include <string>
#include <string_view>

// The profile rules as the fuzz targets check them, written from the file format rather than
// from the reader: what a written value reads back as, which names survive a write, and how a
// line of a profile file is understood.

namespace quelbo::fuzz {

// ASCII letters compare without regard to case, every other character exactly.
bool SameIniName(std::u16string_view a, std::u16string_view b);

// Names that a write puts into a file so that a read finds them again: no line break, no blank
// (space or tab) at either end, every character with a GBK form; a key holds no "=" and starts
// with neither ";" nor "["; a section name holds no "]".
bool IsPlainKey(std::u16string_view key);
bool IsPlainSection(std::u16string_view section);

// `text` made plain by dropping what a name of that kind cannot hold.
std::u16string MakePlainKey(std::u16string_view text);
std::u16string MakePlainSection(std::u16string_view text);

// What a read gives back once `value` is stored: line breaks dropped and characters without a
// GBK form replaced by the encoder's substitute on the way out; then blanks at both ends and
// one pair of matching enclosing quotes dropped, the value cut at a NUL and to its first 255
// bytes in GBK, never inside a double-byte character.
std::u16string ExpectedReadBack(std::u16string_view value);

// The GBK bytes a write stores for a name or a value: the text without its line breaks.
std::string StoredBytes(std::u16string_view text);

// One line of a profile file (without its line end), read as text. A section line starts,
// after blanks, with "[", and its name runs to the first "]" (or the end of the line), blanks
// dropped. A key line is any other line that holds "=" and does not start with ";"; its name
// is what stands before the first "=", blanks dropped.
std::optional<std::u16string> SectionLineName(std::string_view line);
std::optional<std::u16string> KeyLineName(std::string_view line);

// The line without CR LF, LF or nothing at its end.
std::string_view LineContent(std::string_view line);

}  // namespace quelbo::fuzz
