#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "page/rule_independence.h"
#include "panel/control_panel.h"

// The rule texts of the panel in the bytes of one encoding, so that a page read and written in
// that encoding can be rewritten on its own bytes (byte_rewrite.h).

namespace quelbo {

struct EncodedRule {
  std::string find;
  std::string replacement;
  // The find text holds a character the encoding lacks: no page in it can hold the text.
  bool never_matches = false;
};

struct EncodedBlockSet {
  std::string start;
  std::string end;
  std::string replacement;
  size_t end_units = 0;  // the end marker's length in UTF-16 code units, which CutBlock counts
  // A marker holds a character the encoding lacks: the set never finds its block.
  bool never_applies = false;
};

struct EncodedRules {
  // Every text has an exact form (or, for find texts and markers, certainly never matches): no
  // lone surrogate anywhere, and every replacement encodes and decodes back unchanged.
  bool usable = false;
  // The rules of ApplyReplacementRules in their order: "</li>" + LF, pairs 1 to 3, the
  // deletion text, pair 4.
  std::array<EncodedRule, 6> rules;
  // Whether those rules may be applied in one pass (rule_independence.h).
  OnePassPlan one_pass;
  std::array<EncodedBlockSet, 3> block_sets;
};

// The panel's rule texts, encoded once per change of any of them (the panel's text versions
// tell), for each encoding.
class EncodedRuleCache {
 public:
  // REQUIRES: the same panel on every call, whose rule texts change only through SetText or
  // AppendText (DropTextPrefix keeps a text's version; only the pending-page list uses it).
  const EncodedRules& For(const ControlPanel& panel, bool utf8);

  static constexpr size_t kRuleTextCount = 18;  // the panel texts the rules read

 private:
  struct Entry {
    bool filled = false;
    std::array<std::uint64_t, kRuleTextCount> versions{};
    EncodedRules rules;
  };
  std::array<Entry, 2> entries_;
};

// The rule texts of `panel` in UTF-8 (`utf8`) or code page 936.
EncodedRules EncodeRules(const ControlPanel& panel, bool utf8);

}  // namespace quelbo
