// The ways a page is rewritten, against each other: RewriteOnOwnBytes (the rules run on the
// page's bytes, in one pass where the rules cannot meet) must give exactly RewritePageBytes's
// bytes, encodings and counts, or decline and count nothing, whatever the page and the rules;
// and on a valid page the one pass alone (ApplyRulesInOnePass, when the rule set is taken as
// independent) must give exactly the bytes and counts of ApplyReplacementRules, the rules one
// by one through UTF-16, or decline. Rule texts made of pieces of earlier ones make rule sets
// that do meet: a replacement that holds or completes a later find text, find texts that
// overlap, a deletion that joins the halves of a later one.
//
// Input, fields separated by the byte 0xFF:
//   switches  bit 0 UTF-8 (else code page 936), bit 1 detection, bit 2 block set 0 ticked,
//             bit 3 block sets 1 and 2 ticked, bit 4 the page field is text to encode (else
//             raw bytes, which may be invalid), bit 5 write in the other encoding, bit 6 line
//             breaks made CR LF, bit 7 with detection, the page read in the encoding its
//             declarations name, as the charset step reads it (else as bit 0 says)
//   page      raw bytes, or text (fuzz_support.h) encoded in the page's encoding
//   18 rule texts: pair 1 find and replacement, pair 2, pair 3, the deletion text, pair 4 find
//             and replacement, then start, end and replacement of block sets 0, 1 and 2. A
//             text whose field is 0x01, a, b is a piece of the page's own text: b % 32 code
//             units from a / 256 of the way in (possibly half a character or a surrogate pair).
//             A text whose field is 0x02, a, b is a piece of an earlier rule text: of the
//             (a % earlier texts)-th, b % 16 units from its start when b < 128, else its last
//             b % 16 units.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "fuzz_support.h"
#include "page/block_replacer.h"
#include "page/byte_rewrite.h"
#include "page/charset_declarations.h"
#include "page/one_pass_rules.h"
#include "page/page_rewrite.h"
#include "page/replacement_rules.h"
#include "page/text_search.h"
#include "panel/control_panel.h"
#include "panel/settings_fields.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxPageUnits = 1 << 12;
constexpr size_t kMaxRuleUnits = 256;
constexpr size_t kMaxGrownUnits = size_t{1} << 20;

constexpr std::array<Control, 18> kRuleControls = {
    field::pair1Find,    field::pair1Replace, field::pair2Find,     field::pair2Replace,
    field::pair3Find,    field::pair3Replace, field::deleteText,    field::pair4Find,
    field::pair4Replace, field::block0Start,  field::block0End,     field::block0Replace,
    field::block1Start,  field::block1End,    field::block1Replace, field::block2Start,
    field::block2End,    field::block2Replace};

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string out;
  for (const char16_t unit : text) {
    if (unit == u'\n') out.push_back(u'\r');
    out.push_back(unit);
  }
  return out;
}

std::u16string RuleText(std::string_view field, std::u16string_view page_text,
                        const std::vector<std::u16string>& earlier) {
  if (field.size() == 3 && field[0] == '\x01') {
    const size_t from = page_text.size() * static_cast<unsigned char>(field[1]) / 256;
    return std::u16string(page_text.substr(from, static_cast<unsigned char>(field[2]) % 32));
  }
  if (field.size() == 3 && field[0] == '\x02' && !earlier.empty()) {
    const std::u16string_view text = earlier[static_cast<unsigned char>(field[1]) % earlier.size()];
    const auto b = static_cast<unsigned char>(field[2]);
    const size_t units = std::min<size_t>(b % 16, text.size());
    return std::u16string(b < 128 ? text.substr(0, units) : text.substr(text.size() - units));
  }
  return TextFromBytes(field, kMaxRuleUnits);
}

// Whether the rules could grow the page past kMaxGrownUnits, which would make both ways slow
// (each growing rule can multiply the page): the pairs are applied here one by one, exactly, and
// each enabled block set is taken to multiply the page by its replacement's length.
bool MayGrowTooLarge(std::u16string text, const ControlPanel& panel) {
  text = ReplaceAll(std::move(text), u"</li>\n", u"</li>\r\n");
  for (const TextRuleFields& rule : kTextRules) {
    const std::u16string_view find_text = panel.Text(rule.find);
    const std::u16string_view replacement_text =
        rule.replacement ? panel.Text(*rule.replacement) : std::u16string_view();
    if (find_text.empty() || replacement_text.size() <= find_text.size()) {
      text = ReplaceAll(std::move(text), find_text, replacement_text);
      continue;
    }
    size_t count = 0;
    const TextSearcher searcher(find_text);
    for (size_t at = searcher.FindIn(text); at != std::u16string::npos;
         at = searcher.FindIn(text, at + find_text.size())) {
      ++count;
    }
    if (text.size() + count * (replacement_text.size() - find_text.size()) > kMaxGrownUnits) {
      return true;
    }
    text = ReplaceAll(std::move(text), find_text, replacement_text);
  }
  double bound = static_cast<double>(text.size());
  for (const BlockSetFields& set : kBlockSets) {
    if (panel.Ticked(set.enabled)) {
      bound *= static_cast<double>(std::max<size_t>(1, panel.Text(set.replacement).size()));
    }
  }
  return bound > static_cast<double>(kMaxGrownUnits);
}

std::string DescribeCounts(const RewriteCounts& counts) {
  std::string out;
  for (const size_t n : counts.applied) out += std::to_string(n) + " ";
  return out;
}

// The one pass against the rules one by one through UTF-16, on a page valid in its encoding.
void CheckOnePass(std::string_view page, bool utf8, const std::u16string& page_text,
                  const ControlPanel& panel, EncodedRuleCache& cache, const std::string& inputs) {
  const DecodedText decoded = utf8 ? DecodeUtf8(page) : DecodeGbk(page);
  if (!decoded.round_trips) return;
  const EncodedRules& rules = cache.For(panel, utf8);
  if (!rules.usable || !rules.one_pass.independent) return;
  RewriteCounts actual_counts;
  const OnePass pass = ApplyRulesInOnePass(page, utf8, rules, actual_counts);
  if (pass.outcome == OnePass::Outcome::kDeclined) {
    if (actual_counts != RewriteCounts{}) {
      Mismatch("counts of a page the one pass declined, " + inputs, "none",
               DescribeCounts(actual_counts));
    }
    return;
  }
  RewriteCounts expected_counts;
  const std::u16string expected_text = ApplyReplacementRules(page_text, panel, &expected_counts);
  const EncodedBytes expected = utf8 ? EncodeUtf8(expected_text) : EncodeGbk(expected_text);
  const std::string_view actual =
      pass.outcome == OnePass::Outcome::kUnchanged ? page : std::string_view(pass.bytes);
  if (!expected.complete || expected.bytes != actual) {
    Mismatch("one pass, " + inputs, DescribeBytes(expected.bytes), DescribeBytes(actual));
  }
  if (expected_counts != actual_counts) {
    Mismatch("one pass counts, " + inputs, DescribeCounts(expected_counts),
             DescribeCounts(actual_counts));
  }
}

void RunBytePath(const std::uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const std::string_view switches = reader.Next();
  const unsigned bits = switches.empty() ? 0x0Du : static_cast<unsigned char>(switches.front());
  const bool detect = (bits & 0x02) != 0;
  const bool other_output = (bits & 0x20) != 0;

  const std::string_view page_field = reader.Next();
  std::string page;
  if ((bits & 0x10) != 0) {
    std::u16string text = TextFromBytes(page_field, kMaxPageUnits);
    if ((bits & 0x40) != 0) text = WithCrLf(text);
    page = (bits & 0x01) != 0 ? EncodeUtf8(text).bytes : EncodeGbk(text).bytes;
  } else {
    page = std::string(page_field);
  }
  const bool utf8 =
      detect && (bits & 0x80) != 0 ? DeclaredCharset(page) != Charset::kGbk : (bits & 0x01) != 0;
  const PageEncodings encodings{utf8, other_output ? !utf8 : utf8, detect, nullptr};
  const std::u16string page_text = utf8 ? DecodeUtf8(page).text : DecodeGbk(page).text;

  static ControlPanel panel;
  static EncodedRuleCache cache;  // kept across inputs: each new text must be noticed
  panel.SetTicked(field::block0Enabled, (bits & 0x04) != 0);
  panel.SetTicked(field::moreBlocksEnabled, (bits & 0x08) != 0);
  std::string rules_described;
  std::vector<std::u16string> earlier;
  for (const Control control : kRuleControls) {
    std::u16string text = RuleText(reader.Next(), page_text, earlier);
    rules_described += Describe(text) + " | ";
    earlier.push_back(text);
    panel.SetText(control, std::move(text));
  }

  if (MayGrowTooLarge(page_text, panel)) return;

  RewriteCounts expected_counts;
  const auto expected = RewritePageBytes(page, encodings, panel, &expected_counts);
  RewriteCounts actual_counts;
  const auto actual = RewriteOnOwnBytes(page, encodings, panel, cache, &actual_counts);

  const std::string inputs = "page " + DescribeBytes(page) + " (" + (utf8 ? "UTF-8" : "GBK") +
                             (encodings.detect ? ", detect" : "") + ") rules " + rules_described;
  CheckOnePass(page, utf8, page_text, panel, cache, inputs);
  if (!actual) {
    if (actual_counts != RewriteCounts{}) {
      Mismatch("counts of a declined page, " + inputs, "none", DescribeCounts(actual_counts));
    }
    return;
  }
  if (!expected) {
    Mismatch("byte path on a page the UTF-16 path refuses, " + inputs, ToUtf8(expected.error()),
             DescribeBytes(actual->bytes()));
  }
  if (expected->bytes() != actual->bytes()) {
    Mismatch("bytes, " + inputs, DescribeBytes(expected->bytes()), DescribeBytes(actual->bytes()));
  }
  if (expected->read_utf8 != actual->read_utf8 || expected->write_utf8 != actual->write_utf8) {
    Mismatch("encodings, " + inputs,
             std::to_string(expected->read_utf8) + std::to_string(expected->write_utf8),
             std::to_string(actual->read_utf8) + std::to_string(actual->write_utf8));
  }
  if (expected_counts != actual_counts) {
    Mismatch("counts, " + inputs, DescribeCounts(expected_counts), DescribeCounts(actual_counts));
  }
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunBytePath(data, size);
  return 0;
}
