#include "panel/panel_reactions.h"

#include <array>
#include <utility>

#include "panel/settings_fields.h"

namespace quelbo {
namespace {

constexpr std::array<Control, 3> kBlockSet0Fields = {field::block0Start, field::block0End,
                                                     field::block0Replace};
constexpr std::array<Control, 6> kExtraBlockSetFields = {
    field::block1Start, field::block1End, field::block1Replace,
    field::block2Start, field::block2End, field::block2Replace};

template <size_t N>
void SetAllEnabled(ControlPanel& panel, const std::array<Control, N>& fields, bool enabled) {
  for (Control control : fields) panel.SetEnabled(control, enabled);
}

}  // namespace

void ClickCommand5(ControlPanel& panel) {
  if (panel.Text(Control::Command5) == u"更多") {
    panel.SetFrame1Left(kFrame1ShownPosition.left);
    panel.SetFrame1Top(kFrame1ShownPosition.top);
    panel.SetText(Control::Command5, u"关闭");
  } else {
    panel.SetText(Control::Command5, u"更多");
    panel.SetFrame1Top(kFrame1ParkedTop);
  }
}

void ClickCommand2(ControlPanel& panel) { panel.SetFrame1Top(kFrame1ParkedTop); }

void InstallPanelReactions(ControlPanel& panel, std::function<void()> reload_extra_block_sets) {
  panel.SetReaction(field::block0Enabled, [&panel] {
    SetAllEnabled(panel, kBlockSet0Fields, panel.Ticked(field::block0Enabled));
  });
  panel.SetReaction(field::moreBlocksEnabled,
                    [&panel, reload = std::move(reload_extra_block_sets)] {
                      if (!panel.Ticked(field::moreBlocksEnabled)) {
                        SetAllEnabled(panel, kExtraBlockSetFields, false);
                        return;
                      }
                      SetAllEnabled(panel, kExtraBlockSetFields, true);
                      if (panel.Ticked(field::moreBlocksEnabled) && reload) reload();
                    });
}

}  // namespace quelbo
