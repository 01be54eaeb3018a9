#include "settings/save_substitutes.h"

#include <array>

#include "base/text_codec.h"
#include "settings/config_store.h"

namespace quelbo {
namespace {

// The INI texts SaveSettings stores before and after the list files; the flags and the
// suffix are digits, which code page 936 always holds.
constexpr std::array<Control, 2> kIniTextsBeforeLists = {field::pair1Find, field::pair1Replace};
constexpr std::array<Control, 5> kIniTextsAfterLists = {field::pair3Find, field::pair3Replace,
                                                        field::pair4Find, field::pair4Replace,
                                                        field::excludedDirs};

bool NeedsSubstitutes(const ControlPanel& panel, Control field) {
  return !EncodeGbk(panel.Text(field)).complete;
}

}  // namespace

std::vector<Control> FieldsSavedWithSubstitutes(const ControlPanel& panel, SaveKind kind) {
  std::vector<Control> fields;
  const auto check = [&](Control field) {
    if (NeedsSubstitutes(panel, field)) fields.push_back(field);
  };
  if (kind == SaveKind::kEverySetting) {
    for (Control text : kIniTextsBeforeLists) check(text);
    for (const ListFileBinding& binding : kMainListFiles) check(binding.field);
  }
  if (panel.Ticked(field::moreBlocksEnabled)) {
    for (const ListFileBinding& binding : kExtraBlockSetFiles) check(binding.field);
  }
  if (kind == SaveKind::kEverySetting) {
    for (Control text : kIniTextsAfterLists) check(text);
  }
  return fields;
}

}  // namespace quelbo
