// ReplaceAll, CutBlock, ApplyBlockSets and ApplyReplacementRules against the plain step-by-step
// versions in reference_rules.h. Long runs of one or two characters (see the repeat byte of
// fuzz_support.h) drive the text search onto its linear-time fallback.
//
// Input, fields separated by the byte 0xFF: switches (first byte: bit 0 ticks block set 0,
// bit 1 sets 1 and 2; an empty field ticks both), the page, then start marker, end marker and
// replacement of block sets 0, 1 and 2. The same texts also serve as the replacement rules.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "page/block_replacer.h"
#include "page/replacement_rules.h"
#include "panel/control_panel.h"
#include "panel/settings_fields.h"
#include "reference_rules.h"

namespace quelbo::fuzz {
namespace {

constexpr size_t kMaxPageUnits = 1 << 12;
constexpr size_t kMaxRuleUnits = 512;
// A page that the rules grow past this many units is not compared: the slow versions would
// take seconds on it (see reference_rules.h).
constexpr size_t kMaxGrownPageUnits = 1 << 14;

struct BlockControls {
  Control start;
  Control end;
  Control replacement;
};

constexpr std::array<BlockControls, 3> kBlockControls = {{
    {field::block0Start, field::block0End, field::block0Replace},
    {field::block1Start, field::block1End, field::block1Replace},
    {field::block2Start, field::block2End, field::block2Replace},
}};

constexpr std::array<Control, 5> kFindControls = {
    field::pair1Find, field::pair2Find, field::pair3Find, field::deleteText, field::pair4Find};
// The deletion has no replacement field; its slot is never read.
constexpr std::array<Control, 5> kReplacementControls = {field::pair1Replace, field::pair2Replace,
                                                         field::pair3Replace, field::pair1Replace,
                                                         field::pair4Replace};

std::string Inputs(std::u16string_view page, std::u16string_view a, std::u16string_view b) {
  return "page " + Describe(page) + ", " + Describe(a) + ", " + Describe(b);
}

void Expect(std::string_view what, const std::u16string& expected, const std::u16string& actual) {
  if (expected != actual) Mismatch(what, Describe(expected), Describe(actual));
}

void CheckReplaceAll(std::u16string_view page, std::u16string_view find,
                     std::u16string_view replacement) {
  Expect("ReplaceAll of " + Inputs(page, find, replacement),
         ReferenceReplaceAll(page, find, replacement),
         ReplaceAll(std::u16string(page), find, replacement));
}

void CheckCutBlock(std::u16string_view page, std::u16string_view start, std::u16string_view end) {
  const bool start_found = InStr(page, start) > 0;
  const bool end_found = InStr(page, end) > 0;
  // Only a start marker that occurs, or no marker at all, gives a defined block.
  if (!start_found && end_found) {
    (void)CutBlock(page, start, end);
    return;
  }
  Expect("CutBlock of " + Inputs(page, start, end), ReferenceCutBlock(page, start, end),
         CutBlock(page, start, end));
}

std::string DescribeSets(const std::array<BlockSetTexts, 3>& sets) {
  std::string out;
  for (const BlockSetTexts& set : sets) {
    out += std::string(set.enabled ? " on " : " off ") + Describe(set.start) + " " +
           Describe(set.end) + " " + Describe(set.replacement) + ";";
  }
  return out;
}

void RunBlockRules(const std::uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const std::string_view switches = reader.Next();
  const unsigned char switch_bits =
      switches.empty() ? 0x3 : static_cast<unsigned char>(switches.front());
  const std::u16string page = TextFromBytes(reader.Next(), kMaxPageUnits);
  std::array<BlockSetTexts, 3> sets;
  for (size_t i = 0; i < sets.size(); ++i) {
    sets[i].enabled = (switch_bits & (i == 0 ? 0x1 : 0x2)) != 0;
    sets[i].start = TextFromBytes(reader.Next(), kMaxRuleUnits);
    sets[i].end = TextFromBytes(reader.Next(), kMaxRuleUnits);
    sets[i].replacement = TextFromBytes(reader.Next(), kMaxRuleUnits);
  }

  CheckReplaceAll(page, sets[0].start, sets[0].replacement);
  CheckReplaceAll(page, sets[0].end, sets[1].start);
  for (const BlockSetTexts& set : sets) CheckCutBlock(page, set.start, set.end);

  static ControlPanel panel;
  panel.SetTicked(field::block0Enabled, sets[0].enabled);
  panel.SetTicked(field::moreBlocksEnabled, sets[1].enabled);
  for (size_t i = 0; i < sets.size(); ++i) {
    panel.SetText(kBlockControls[i].start, sets[i].start);
    panel.SetText(kBlockControls[i].end, sets[i].end);
    panel.SetText(kBlockControls[i].replacement, sets[i].replacement);
  }
  if (const auto expected = ReferenceApplyBlockSets(page, sets, kMaxGrownPageUnits)) {
    Expect("ApplyBlockSets of page " + Describe(page) + " with" + DescribeSets(sets), *expected,
           ApplyBlockSets(page, panel));
  }

  // The same texts as replacement rules: pair 1 finds set 0's start marker, and so on.
  RuleTexts rules;
  rules.find = {sets[0].start, sets[0].end, sets[1].start, sets[1].end, sets[2].start};
  rules.replacement = {sets[0].replacement, sets[1].replacement, sets[2].replacement, u"",
                       sets[2].end};
  for (size_t i = 0; i < rules.find.size(); ++i) {
    panel.SetText(kFindControls[i], rules.find[i]);
    if (i != 3) panel.SetText(kReplacementControls[i], rules.replacement[i]);
  }
  if (const auto expected = ReferenceApplyReplacementRules(page, rules, kMaxGrownPageUnits)) {
    Expect("ApplyReplacementRules of page " + Describe(page) + " with" + DescribeSets(sets),
           *expected, ApplyReplacementRules(page, panel));
  }
}

}  // namespace
}  // namespace quelbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  quelbo::fuzz::RunBlockRules(data, size);
  return 0;
}
