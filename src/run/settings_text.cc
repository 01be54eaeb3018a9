#include "run/settings_text.h"

#include <array>
#include <string_view>

#include "base/text_codec.h"
#include "panel/settings_fields.h"

namespace quelbo {
namespace {

struct NamedField {
  std::string_view name;
  Control field;
  bool is_switch;
};

constexpr std::array<NamedField, 25> kFields = {{
    {"pair1Find", field::pair1Find, false},
    {"pair1Replace", field::pair1Replace, false},
    {"pair2Find", field::pair2Find, false},
    {"pair2Replace", field::pair2Replace, false},
    {"pair3Find", field::pair3Find, false},
    {"pair3Replace", field::pair3Replace, false},
    {"deleteText", field::deleteText, false},
    {"pair4Find", field::pair4Find, false},
    {"pair4Replace", field::pair4Replace, false},
    {"block0Enabled", field::block0Enabled, true},
    {"block0Start", field::block0Start, false},
    {"block0End", field::block0End, false},
    {"block0Replace", field::block0Replace, false},
    {"moreBlocksEnabled", field::moreBlocksEnabled, true},
    {"block1Start", field::block1Start, false},
    {"block1End", field::block1End, false},
    {"block1Replace", field::block1Replace, false},
    {"block2Start", field::block2Start, false},
    {"block2End", field::block2End, false},
    {"block2Replace", field::block2Replace, false},
    {"includeSubdirs", field::includeSubdirs, true},
    {"excludedDirs", field::excludedDirs, false},
    {"readUtf8", field::readUtf8, true},
    {"writeUtf8", field::writeUtf8, true},
    {"autoDetectCharset", field::autoDetectCharset, true},
}};

std::string BackslashEscaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string SettingsText(const ControlPanel& panel) {
  std::string text;
  for (const NamedField& named : kFields) {
    text.append(named.name);
    text.push_back('=');
    text += named.is_switch ? (panel.Ticked(named.field) ? "1" : "0")
                            : BackslashEscaped(ToUtf8(panel.Text(named.field)));
    text.push_back('\n');
  }
  text += "suffixChoice=" + std::to_string(panel.SuffixChoice()) + "\n";
  return text;
}

}  // namespace quelbo
