// StripTrailingBreak and StripLineBreaks against their step-by-step versions, and the way a
// list file's text comes back: a field saved with its CR LF appended reloads unchanged.
//
// Input: one text (see fuzz_support.h for how bytes become text).

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "page/replacement_rules.h"
#include "base/text_codec.h"
#include "platform/text_file.h"
#include "reference_rules.h"
#include "settings/stored_values.h"
#include "support/memory_file_system.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxTextUnits = 1 << 14;

void Expect(std::string_view what, std::u16string_view text, const std::u16string& expected,
            const std::u16string& actual) {
  if (expected != actual) {
    Mismatch(std::string(what) + " of " + Describe(text), Describe(expected), Describe(actual));
  }
}

void RunLineBreaks(const std::uint8_t* data, size_t size) {
  const std::u16string text =
      TextFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), kMaxTextUnits);

  Expect("StripTrailingBreak", text, ReferenceStripTrailingBreak(text), StripTrailingBreak(text));
  Expect("StripLineBreaks", text, ReferenceStripLineBreaks(text), StripLineBreaks(text));

  // A save appends CR LF; the load takes it off again, so a field that does not itself end in a
  // line break, and whose every character has a GBK form, survives the list file.
  testing::MemoryFileSystem fs;
  const std::string path = "list.txt";
  if (!WriteTextFile(fs, text, path)) Mismatch("list file write", "success", "failure");
  const EncodedBytes encoded = EncodeGbk(text);
  if (*fs.Find(path) != encoded.bytes + "\r\n") {
    Mismatch("list file bytes of " + Describe(text), DescribeBytes(encoded.bytes + "\r\n"),
             DescribeBytes(*fs.Find(path)));
  }
  const auto loaded = ReadTextFile(fs, path);
  if (!loaded) Mismatch("list file read", "success", "failure");
  if (encoded.complete && !text.ends_with(u'\r') && !text.ends_with(u'\n')) {
    Expect("list file save and load", text, text, StripTrailingBreak(*loaded));
  }
  // Cleaning is idempotent: a cleaned text has no break and no space at either end.
  const std::u16string cleaned = StripLineBreaks(text);
  Expect("StripLineBreaks twice", text, cleaned, StripLineBreaks(cleaned));
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunLineBreaks(data, size);
  return 0;
}
