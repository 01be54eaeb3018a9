#include "panel/control_panel.h"

#include <algorithm>
#include <utility>

namespace quelbo {
namespace {

constexpr std::pair<Control, std::u16string_view> kDesignTexts[] = {
    {Control::Text1, u"要查找的文字1"},
    {Control::Text10, u"替换成的文字1"},
    {Control::Text2, u"要查找的多行文字2"},
    {Control::Text3, u"替换成的多行文字2"},
    {Control::Text14, u"要查找的文字3"},
    {Control::Text17, u"替换成的文字3"},
    {Control::Text13, u"要删除的文字"},
    {Control::Text18, u"要查找的文字4"},
    {Control::Text19, u"替换成的文字4"},
    {Control::Text4, u"Text4"},
    {Control::Text5, u"Text5"},
    {Control::Text6, u"Text6"},
    {Control::Text11, u"Text11"},
    {Control::Text15, u"Text15"},
    {Control::Text16, u"Text16"},
    {Control::Text20, u"Text20"},
    {Control::Text21, u"Text21"},
    {Control::Text22, u"Text22"},
    {Control::Text9, u""},
    {Control::Check1, u"版块替换1"},
    {Control::Check2, u"utf-8读入"},
    {Control::Check3, u"子目录"},
    {Control::Check4, u"utf-8输出"},
    {Control::Check5, u"自动识别编码"},
    {Control::Check6, u"更多版块"},
    {Control::Option1, u".htm"},
    {Control::Option2, u".html"},
    {Control::Option3, u"ini"},
    {Control::Option4, u"txt"},
    {Control::Option5, u".shtml"},
    {Control::Option6, u".asp"},
    {Control::RichTextBox2, u"RichTextBox2"},
    {Control::Text7, u"Text7"},
    {Control::Text8, u"Text8"},
    {Control::list, u""},
    {Control::url, u"url"},
    {Control::Label1, u"Label1"},
    {Control::Label2, u"Label2"},
    {Control::Label3, u"取页面→"},
    {Control::Label4, u"不替换目录→"},
    {Control::Command1, u"开始"},
    {Control::Command2, u"隐藏版块"},
    {Control::Command3, u"ceshi"},
    {Control::Command4, u"继续"},
    {Control::Command5, u"更多"},
    {Control::Command6, u"保存配置"},
    {Control::Command7, u"Command7"},
    {Control::Form1, u"Quelbo - HTML批量处理5.1"},
};

bool IsBox(Control control) {
  const ControlKind kind = KindOf(control);
  return kind == ControlKind::kCheckBox || kind == ControlKind::kOption;
}

}  // namespace

ControlPanel::ControlPanel() {
  for (const auto& [control, text] : kDesignTexts) State(control).text = text;
  State(Control::Option2).ticked = true;
  State(Control::Check3).ticked = true;
}

std::u16string_view ControlPanel::Text(Control control) const {
  const ControlState& state = State(control);
  return std::u16string_view(state.text).substr(state.offset);
}

void ControlPanel::SetText(Control control, std::u16string text) {
  ControlState& state = State(control);
  state.text = std::move(text);
  state.offset = 0;
  ++state.version;
  Notify(control);
}

void ControlPanel::AppendText(Control control, std::u16string_view text) {
  ControlState& state = State(control);
  state.text.append(text);
  ++state.version;
  Notify(control);
}

void ControlPanel::PrependText(Control control, std::u16string_view text) {
  ControlState& state = State(control);
  if (text.size() <= state.offset) {
    state.offset -= text.size();
    text.copy(state.text.data() + state.offset, text.size());
  } else {
    // Room in front for as much again as the text will then hold, so that the text is copied
    // again only once it has doubled. Both parts are copied before the old buffer goes, which
    // `text` may lie in.
    const std::u16string_view kept = std::u16string_view(state.text).substr(state.offset);
    const size_t room = kept.size() + text.size();
    std::u16string grown(room + room, u'\0');
    text.copy(grown.data() + room, text.size());
    kept.copy(grown.data() + room + text.size(), kept.size());
    state.text = std::move(grown);
    state.offset = room;
  }
  ++state.version;
  Notify(control);
}

void ControlPanel::DropTextPrefix(Control control, size_t count) {
  ControlState& state = State(control);
  state.offset = std::min(state.text.size(), state.offset + count);
  if (WorthCompacting(state.offset, state.text.size())) {
    state.text.erase(0, state.offset);
    state.offset = 0;
  }
  Notify(control);
}

std::uint64_t ControlPanel::TextVersion(Control control) const { return State(control).version; }

bool ControlPanel::Enabled(Control control) const { return State(control).enabled; }

void ControlPanel::SetEnabled(Control control, bool enabled) {
  State(control).enabled = enabled;
  Notify(control);
}

bool ControlPanel::Ticked(Control control) const { return State(control).ticked; }

void ControlPanel::SetTicked(Control control, bool ticked) {
  if (!IsBox(control)) return;
  ControlState& state = State(control);
  const bool changed = state.ticked != ticked;
  if (ticked && KindOf(control) == ControlKind::kOption) {
    for (Control option : kSuffixOptions) {
      if (option != control && State(option).ticked) {
        State(option).ticked = false;
        Notify(option);
      }
    }
  }
  state.ticked = ticked;
  Notify(control);
  if (changed) RunReaction(control);
}

int ControlPanel::SuffixChoice() const {
  for (size_t i = 0; i < kSuffixOptions.size(); ++i) {
    if (State(kSuffixOptions[i]).ticked) return static_cast<int>(i) + 1;
  }
  return 0;
}

void ControlPanel::SetProgressMin(double min) {
  progress_.min = min;
  Notify(Control::ProgressBar1);
}

void ControlPanel::SetProgressMax(double max) {
  progress_.max = max;
  Notify(Control::ProgressBar1);
}

void ControlPanel::SetProgressVisible(bool visible) {
  progress_.visible = visible;
  Notify(Control::ProgressBar1);
}

bool ControlPanel::SetProgressValue(double value) {
  if (value < progress_.min || value > progress_.max) return false;
  progress_.value = value;
  Notify(Control::ProgressBar1);
  return true;
}

void ControlPanel::SetFrame1Left(int left) {
  frame1_.left = left;
  Notify(Control::Frame1);
}

void ControlPanel::SetFrame1Top(int top) {
  frame1_.top = top;
  Notify(Control::Frame1);
}

void ControlPanel::SetReaction(Control box, Reaction reaction) {
  reactions_[Index(box)] = std::move(reaction);
}

ControlPanel::ObserverId ControlPanel::AddObserver(Observer observer) {
  const ObserverId id = next_observer_id_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void ControlPanel::RemoveObserver(ObserverId id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void ControlPanel::Notify(Control control) {
  // By index: an observer may add another one while it is being told.
  for (size_t i = 0; i < observers_.size(); ++i) observers_[i].second(control);
}

void ControlPanel::RunReaction(Control control) {
  if (const Reaction& reaction = reactions_[Index(control)]) reaction();
}

}  // namespace quelbo
