#include "panel/control.h"

namespace quelbo {
namespace {

struct ControlInfo {
  std::string_view name;
  ControlKind kind;
};

using K = ControlKind;

constexpr std::array<ControlInfo, kControlCount> kControls = {{
    {"Text1", K::kSingleLineText},   {"Text10", K::kSingleLineText},
    {"Text2", K::kMultiLineText},    {"Text3", K::kMultiLineText},
    {"Text14", K::kSingleLineText},  {"Text17", K::kSingleLineText},
    {"Text13", K::kMultiLineText},   {"Text18", K::kSingleLineText},
    {"Text19", K::kSingleLineText},  {"Text4", K::kMultiLineText},
    {"Text5", K::kMultiLineText},    {"Text6", K::kMultiLineText},
    {"Text11", K::kMultiLineText},   {"Text15", K::kMultiLineText},
    {"Text16", K::kMultiLineText},   {"Text20", K::kMultiLineText},
    {"Text21", K::kMultiLineText},   {"Text22", K::kMultiLineText},
    {"Text9", K::kSingleLineText},   {"Check1", K::kCheckBox},
    {"Check2", K::kCheckBox},        {"Check3", K::kCheckBox},
    {"Check4", K::kCheckBox},        {"Check5", K::kCheckBox},
    {"Check6", K::kCheckBox},        {"Option1", K::kOption},
    {"Option2", K::kOption},         {"Option3", K::kOption},
    {"Option4", K::kOption},         {"Option5", K::kOption},
    {"Option6", K::kOption},         {"RichTextBox2", K::kMultiLineText},
    {"Text7", K::kMultiLineText},    {"Text8", K::kSingleLineText},
    {"list", K::kMultiLineText},     {"url", K::kSingleLineText},
    {"skippedPages", K::kMultiLineText},
    {"Label1", K::kLabel},           {"Label2", K::kLabel},
    {"Label3", K::kLabel},           {"Label4", K::kLabel},
    {"ProgressBar1", K::kProgressBar}, {"Command1", K::kCommand},
    {"Command2", K::kCommand},       {"Command3", K::kCommand},
    {"Command4", K::kCommand},       {"Command5", K::kCommand},
    {"Command6", K::kCommand},       {"Command7", K::kCommand},
    {"Frame1", K::kFrame},           {"Form1", K::kForm},
}};

}  // namespace

std::string_view ControlName(Control control) { return kControls[Index(control)].name; }

ControlKind KindOf(Control control) { return kControls[Index(control)].kind; }

}  // namespace quelbo
