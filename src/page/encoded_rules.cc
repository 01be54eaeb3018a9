#include "page/encoded_rules.h"

#include <string_view>

#include "base/text_codec.h"
#include "page/block_replacer.h"
#include "page/replacement_rules.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

constexpr std::array<Control, EncodedRuleCache::kRuleTextCount> kRuleTexts = {
    field::pair1Find,    field::pair1Replace, field::pair2Find,     field::pair2Replace,
    field::pair3Find,    field::pair3Replace, field::deleteText,    field::pair4Find,
    field::pair4Replace, field::block0Start,  field::block0End,     field::block0Replace,
    field::block1Start,  field::block1End,    field::block1Replace, field::block2Start,
    field::block2End,    field::block2Replace};

// A text's bytes in the encoding, or why it has none.
enum class Form { kExact, kLacking, kUnsure };

struct Encoded {
  std::string bytes;
  Form form = Form::kExact;
};

Encoded EncodeText(std::u16string_view text, bool utf8) {
  // A lone surrogate could match half of a character's pair of code units: only the UTF-16
  // path can follow that.
  if (FirstUnencodableUtf8Unit(text) != std::u16string_view::npos) return {{}, Form::kUnsure};
  if (utf8) return {EncodeUtf8(text).bytes, Form::kExact};
  EncodedBytes encoded = EncodeGbk(text);
  if (!encoded.complete) return {{}, Form::kLacking};
  // Only a text that reads back as itself matches where its characters stand in a page.
  const DecodedText back = DecodeGbk(encoded.bytes);
  if (!back.round_trips || back.text != text) return {{}, Form::kUnsure};
  return {std::move(encoded.bytes), Form::kExact};
}

}  // namespace

EncodedRules EncodeRules(const ControlPanel& panel, bool utf8) {
  EncodedRules encoded;
  encoded.usable = true;
  // A find text or marker the encoding lacks never occurs in a page that holds only characters
  // of the encoding; a replacement it lacks would make the page unwritable, which the UTF-16
  // path reports.
  auto find = [&](std::u16string_view text, bool& lacking) {
    Encoded e = EncodeText(text, utf8);
    if (e.form == Form::kUnsure) encoded.usable = false;
    if (e.form == Form::kLacking) lacking = true;
    return std::move(e.bytes);
  };
  auto replacement = [&](std::u16string_view text) {
    Encoded e = EncodeText(text, utf8);
    if (e.form != Form::kExact) encoded.usable = false;
    return std::move(e.bytes);
  };

  encoded.rules[0] = {"</li>\n", "</li>\r\n", false};
  for (size_t i = 0; i < kTextRules.size(); ++i) {
    EncodedRule& rule = encoded.rules[i + 1];
    rule.find = find(panel.Text(kTextRules[i].find), rule.never_matches);
    if (kTextRules[i].replacement) {
      rule.replacement = replacement(panel.Text(*kTextRules[i].replacement));
    }
  }

  std::array<LiteralRule, 6> literal;
  for (size_t i = 0; i < literal.size(); ++i) {
    const EncodedRule& rule = encoded.rules[i];
    if (!rule.never_matches) literal[i] = {rule.find, rule.replacement};
  }
  encoded.one_pass = PlanOnePass(literal);

  for (size_t i = 0; i < kBlockSets.size(); ++i) {
    EncodedBlockSet& set = encoded.block_sets[i];
    set.start = find(panel.Text(kBlockSets[i].start), set.never_applies);
    set.end = find(panel.Text(kBlockSets[i].end), set.never_applies);
    set.end_units = panel.Text(kBlockSets[i].end).size();
    set.replacement = replacement(panel.Text(kBlockSets[i].replacement));
  }
  return encoded;
}

const EncodedRules& EncodedRuleCache::For(const ControlPanel& panel, bool utf8) {
  Entry& entry = entries_[utf8 ? 1 : 0];
  std::array<std::uint64_t, kRuleTextCount> versions;
  for (size_t i = 0; i < kRuleTexts.size(); ++i) versions[i] = panel.TextVersion(kRuleTexts[i]);
  if (!entry.filled || entry.versions != versions) {
    entry.rules = EncodeRules(panel, utf8);
    entry.versions = versions;
    entry.filled = true;
  }
  return entry.rules;
}

}  // namespace quelbo
