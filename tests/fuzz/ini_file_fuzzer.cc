// Profile reads and writes on whatever bytes a profile file may hold. A read finds a key exactly
// where the file format says it is; a write changes one line, adds one line after the last
// non-blank line of the section, or appends the section, and leaves every other line and every
// other key's value as it was; the value written then reads back.
//
// Input: section, key and value, each followed by the byte 0xFF, then the file's bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ini_model.h"
#include "platform/ini_profile.h"
#include "base/text_codec.h"
#include "support/memory_file_system.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxNameUnits = 40;
constexpr size_t kMaxValueUnits = 600;
constexpr size_t kMaxSectionsCompared = 6;
constexpr size_t kMaxKeysCompared = 8;
// No stored value holds a line feed, so this default is never mistaken for one.
constexpr std::u16string_view kDefault = u"\n<默认>";
const std::string kPath = "site.ini";
const std::string kOldPath = "old.ini";

using Lines = std::vector<std::string_view>;

// Lines with their line ends, split after each LF.
Lines SplitLines(std::string_view bytes) {
  Lines lines;
  while (!bytes.empty()) {
    const size_t lf = bytes.find('\n');
    const size_t length = lf == std::string_view::npos ? bytes.size() : lf + 1;
    lines.push_back(bytes.substr(0, length));
    bytes.remove_prefix(length);
  }
  return lines;
}

bool IsBlankLine(std::string_view line) {
  return LineContent(line).find_first_not_of(" \t\r") == std::string_view::npos;
}

bool IsSectionLine(std::string_view line) { return SectionLineName(LineContent(line)).has_value(); }

bool IsSectionLineOf(std::string_view line, std::u16string_view section) {
  const auto name = SectionLineName(LineContent(line));
  return name && SameIniName(*name, section);
}

bool IsKeyLineOf(std::string_view line, std::u16string_view key) {
  const auto name = KeyLineName(LineContent(line));
  return name && SameIniName(*name, key);
}

// Where the first section of the name lies: its header line and one past its last line.
struct Span {
  size_t header;
  size_t end;
};

std::optional<Span> FindSection(const Lines& lines, std::u16string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!IsSectionLineOf(lines[i], section)) continue;
    size_t end = i + 1;
    while (end < lines.size() && !IsSectionLine(lines[end])) ++end;
    return Span{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const Lines& lines, const Span& span, std::u16string_view key) {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    if (IsKeyLineOf(lines[i], key)) return i;
  }
  return std::nullopt;
}

struct Call {
  std::u16string section;
  std::u16string key;
  std::u16string value;
  std::string old_bytes;
};

std::string Describe(const Call& call) {
  return "section " + fuzz::Describe(call.section) + ", key " + fuzz::Describe(call.key) +
         ", value " + fuzz::Describe(call.value) + ", file " + DescribeBytes(call.old_bytes);
}

// A read of an arbitrary file: the default exactly when the format puts no such key in the
// file; otherwise, for a short well-formed value, that value without blanks and quotes.
void CheckRead(testing::MemoryFileSystem& fs, const Call& call) {
  const std::u16string actual = ReadIniValue(fs, call.section, call.key, kDefault, kOldPath);
  if (actual.size() > kIniValueCapacity) {
    Mismatch("read of at most 255 bytes: " + Describe(call), "at most 255 units",
             fuzz::Describe(actual));
  }
  const Lines lines = SplitLines(call.old_bytes);
  const auto span = FindSection(lines, call.section);
  const auto index = span ? FindKey(lines, *span, call.key) : std::nullopt;
  if (!index) {
    if (actual != kDefault) {
      Mismatch("read of a key the file does not hold: " + Describe(call), fuzz::Describe(kDefault),
               fuzz::Describe(actual));
    }
    return;
  }
  const std::string_view content = LineContent(lines[*index]);
  std::string_view value = content.substr(content.find('=') + 1);
  value.remove_prefix(std::min(value.find_first_not_of(" \t\r"), value.size()));
  value = value.substr(0, value.find_last_not_of(" \t\r") + 1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  value = value.substr(0, value.find('\0'));
  const DecodedText decoded = DecodeGbk(value);
  if (!decoded.well_formed) return;
  // A long value is cut to its first 255 bytes, or 254 where the 255th byte begins a
  // double-byte character: to the longer of the two that reads as a beginning of the value.
  std::u16string expected = decoded.text;
  if (value.size() > kIniValueCapacity) {
    for (const size_t cut : {kIniValueCapacity, kIniValueCapacity - 1}) {
      const DecodedText part = DecodeGbk(value.substr(0, cut));
      if (part.well_formed && decoded.text.starts_with(part.text)) {
        expected = part.text;
        break;
      }
    }
  }
  if (actual != expected) {
    Mismatch("read of a key the file holds: " + Describe(call), fuzz::Describe(expected),
             fuzz::Describe(actual));
  }
}

// The write changed the file in one of the three ways a write may.
void CheckWriteShape(const Call& call, std::string_view new_bytes) {
  const Lines old_lines = SplitLines(call.old_bytes);
  const Lines new_lines = SplitLines(new_bytes);
  size_t prefix = 0;
  while (prefix < old_lines.size() && prefix < new_lines.size() &&
         old_lines[prefix] == new_lines[prefix]) {
    ++prefix;
  }
  size_t suffix = 0;
  while (prefix + suffix < old_lines.size() && prefix + suffix < new_lines.size() &&
         old_lines[old_lines.size() - 1 - suffix] == new_lines[new_lines.size() - 1 - suffix]) {
    ++suffix;
  }
  const Lines removed(old_lines.begin() + static_cast<std::ptrdiff_t>(prefix),
                      old_lines.end() - static_cast<std::ptrdiff_t>(suffix));
  Lines added(new_lines.begin() + static_cast<std::ptrdiff_t>(prefix),
              new_lines.end() - static_cast<std::ptrdiff_t>(suffix));

  const std::string value_part = "=" + StoredBytes(call.value) + "\r\n";
  const std::string key_line = StoredBytes(call.key) + value_part;
  const auto span = FindSection(old_lines, call.section);
  const auto key_index = span ? FindKey(old_lines, *span, call.key) : std::nullopt;
  auto fail = [&](std::string_view expected) {
    Mismatch("lines changed by a write: " + Describe(call), expected,
             "new file " + DescribeBytes(new_bytes));
  };

  if (key_index) {
    // The key's first line in the section is rewritten in place; nothing else changes.
    const bool in_place = removed.size() == 1 && added.size() == 1 && prefix == *key_index;
    const bool unchanged = removed.empty() && added.empty();
    if (!in_place && !unchanged) fail("only the key's line changed");
    const std::string_view line = in_place ? added[0] : new_lines[*key_index];
    const size_t equals = line.find('=');
    const std::u16string name = DecodeGbk(line.substr(0, equals)).text;
    if (equals == std::string_view::npos || !SameIniName(name, call.key) ||
        line.substr(equals) != value_part) {
      fail("the key's line holding the key and the value");
    }
    return;
  }

  // A last line without a line end gets one when a line is added after it.
  const bool last_line_ended = !removed.empty() && removed.size() == 1 &&
                               prefix + 1 == old_lines.size() && !added.empty() &&
                               added[0] == std::string(removed[0]) + "\r\n";
  if (last_line_ended) added.erase(added.begin());
  if (!removed.empty() && !last_line_ended) fail("no line of the file removed or changed");
  const size_t at = last_line_ended ? prefix + 1 : prefix;

  if (span) {
    // A new key goes after the last non-blank line of the section.
    if (added.size() != 1 || added[0] != key_line) fail("one key line added");
    auto placed_at = [&](size_t line) {
      return line > span->header && line <= span->end &&
             (line == span->header + 1 || !IsBlankLine(old_lines[line - 1])) &&
             std::all_of(old_lines.begin() + static_cast<std::ptrdiff_t>(line),
                         old_lines.begin() + static_cast<std::ptrdiff_t>(span->end), IsBlankLine);
    };
    // A line added next to copies of itself could have gone in before any of them.
    bool placed = placed_at(at);
    for (size_t line = at; !placed && line > 0 && old_lines[line - 1] == key_line; --line) {
      placed = placed_at(line - 1);
    }
    if (!placed) fail("the key line after the last non-blank line of its section");
    return;
  }
  // A missing section is appended at the end of the file.
  const std::string header = "[" + StoredBytes(call.section) + "]\r\n";
  if (at != old_lines.size() || added.size() != 2 || added[0] != header || added[1] != key_line) {
    fail("the section line and the key line appended at the end");
  }
}

// Reads of every other key the two files name give the same value before and after.
void CheckOtherKeysKept(testing::MemoryFileSystem& fs, const Call& call) {
  std::vector<std::u16string> sections{call.section};
  std::vector<std::u16string> keys{call.key};
  auto add = [](std::vector<std::u16string>& names, std::u16string name, size_t limit) {
    if (names.size() >= limit) return;
    for (const auto& known : names) {
      if (SameIniName(known, name)) return;
    }
    names.push_back(std::move(name));
  };
  for (const std::string_view line : SplitLines(call.old_bytes)) {
    if (auto name = SectionLineName(LineContent(line))) {
      add(sections, std::move(*name), kMaxSectionsCompared);
    } else if (auto key = KeyLineName(LineContent(line))) {
      add(keys, std::move(*key), kMaxKeysCompared);
    }
  }
  for (const auto& section : sections) {
    for (const auto& key : keys) {
      if (SameIniName(section, call.section) && SameIniName(key, call.key)) continue;
      const std::u16string before = ReadIniValue(fs, section, key, kDefault, kOldPath);
      const std::u16string after = ReadIniValue(fs, section, key, kDefault, kPath);
      if (before != after) {
        Mismatch("value of [" + fuzz::Describe(section) + "] " + fuzz::Describe(key) +
                     " kept by a write of " + Describe(call),
                 fuzz::Describe(before), fuzz::Describe(after));
      }
    }
  }
}

void RunIniFile(const std::uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  Call call;
  call.section = TextFromBytes(reader.Next(), kMaxNameUnits);
  call.key = TextFromBytes(reader.Next(), kMaxNameUnits);
  call.value = TextFromBytes(reader.Next(), kMaxValueUnits);
  call.old_bytes = std::string(reader.Rest());

  testing::MemoryFileSystem fs;
  fs.Put(kOldPath, call.old_bytes);
  fs.Put(kPath, call.old_bytes);
  CheckRead(fs, call);
  if (!WriteIniValue(fs, call.section, call.key, call.value, kPath)) {
    Mismatch("write into an existing file: " + Describe(call), "success", "failure");
  }
  const std::string new_bytes = *fs.Find(kPath);
  CheckWriteShape(call, new_bytes);
  if (!IsPlainSection(call.section) || !IsPlainKey(call.key)) return;

  const std::u16string expected = ExpectedReadBack(call.value);
  const std::u16string actual = ReadIniValue(fs, call.section, call.key, kDefault, kPath);
  if (actual != expected) {
    Mismatch(
        "read back after a write into " + Describe(call) + "; new file " + DescribeBytes(new_bytes),
        fuzz::Describe(expected), fuzz::Describe(actual));
  }
  CheckOtherKeysKept(fs, call);
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunIniFile(data, size);
  return 0;
}
