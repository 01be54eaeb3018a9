// Profile writes followed by reads, starting from no file: every value written reads back as
// the profile rules say, whatever else was written before or after it.
//
// Input: records of section, key and value, the fields separated by the byte 0xFF. Names are
// made plain (see ini_model.h); an empty section field stands for "HTML".

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ini_model.h"
#include "platform/ini_profile.h"
#include "support/memory_file_system.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxWrites = 24;
constexpr size_t kMaxNameUnits = 40;
constexpr size_t kMaxValueUnits = 600;
constexpr std::u16string_view kDefault = u"<默认>";
const std::string kPath = "htm批处理配置.ini";

struct Stored {
  std::u16string section;
  std::u16string key;
  std::u16string value;
};

std::string Where(const Stored& entry) {
  return "[" + Describe(entry.section) + "] " + Describe(entry.key);
}

void CheckRead(testing::MemoryFileSystem& fs, const Stored& entry, std::string_view when) {
  const std::u16string expected = ExpectedReadBack(entry.value);
  const std::u16string actual = ReadIniValue(fs, entry.section, entry.key, kDefault, kPath);
  if (actual != expected) {
    Mismatch(std::string(when) + ": read of " + Where(entry) + " after writing " +
                 Describe(entry.value) + "; file " + DescribeBytes(*fs.Find(kPath)),
             Describe(expected), Describe(actual));
  }
}

void CheckEveryLineEndsInCrLf(const std::string& bytes) {
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos || lf == start || bytes[lf - 1] != '\r') {
      Mismatch("every line written ends in CR LF, file " + DescribeBytes(bytes), "CR LF",
               DescribeBytes(bytes.substr(start)));
    }
    start = lf + 1;
  }
}

void RunIniRoundTrip(const std::uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  testing::MemoryFileSystem fs;
  std::vector<Stored> stored;

  for (size_t n = 0; n < kMaxWrites && !reader.AtEnd(); ++n) {
    const std::u16string section_text = TextFromBytes(reader.Next(), kMaxNameUnits);
    Stored entry{section_text.empty() ? u"HTML" : MakePlainSection(section_text),
                 MakePlainKey(TextFromBytes(reader.Next(), kMaxNameUnits)),
                 TextFromBytes(reader.Next(), kMaxValueUnits)};

    const bool new_key = std::none_of(stored.begin(), stored.end(), [&](const Stored& s) {
      return SameIniName(s.section, entry.section) && SameIniName(s.key, entry.key);
    });
    if (new_key) {
      const std::u16string before = ReadIniValue(fs, entry.section, entry.key, kDefault, kPath);
      if (before != kDefault) {
        Mismatch("read of " + Where(entry) + " before any write of it", Describe(kDefault),
                 Describe(before));
      }
    }
    if (!WriteIniValue(fs, entry.section, entry.key, entry.value, kPath)) {
      Mismatch("write of " + Where(entry), "success", "failure");
    }
    CheckRead(fs, entry, "just written");
    std::erase_if(stored, [&](const Stored& s) {
      return SameIniName(s.section, entry.section) && SameIniName(s.key, entry.key);
    });
    stored.push_back(std::move(entry));
  }

  for (const Stored& entry : stored) CheckRead(fs, entry, "after all writes");
  if (const std::string* bytes = fs.Find(kPath)) CheckEveryLineEndsInCrLf(*bytes);
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunIniRoundTrip(data, size);
  return 0;
}
