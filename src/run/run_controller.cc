#include "run/run_controller.h"

#include <array>

#include "base/text_codec.h"
#include "page/replacement_rules.h"
#include "panel/settings_fields.h"
#include "settings/settings_io.h"

namespace quelbo {
namespace {

// The steps Continue/Stop acts on, in its order; NextDirectory is not among them.
constexpr std::array<Step, 7> kToggledSteps = {
    Step::Timer1, Step::Timer2, Step::Timer3, Step::Timer4, Step::Timer6, Step::du, Step::quyi};

constexpr std::array<Control, 6> kSingleLinePairTexts = {field::pair1Find, field::pair1Replace,
                                                         field::pair3Find, field::pair3Replace,
                                                         field::pair4Find, field::pair4Replace};

}  // namespace

RunController::RunController(ControlPanel& panel, StepScheduler& scheduler,
                             const ConfigStore& store, RunReport& report, const Texts& texts)
    : panel_(panel), scheduler_(scheduler), store_(store), report_(report), texts_(texts) {}

bool RunController::StartRun(bool save) {
  if (auto saved = save ? SaveSettings(panel_, store_) : Ok(); !saved) {
    panel_.SetText(kStatusLine, SaveFailure(saved.error(), texts_, /*before_start=*/true));
    return false;
  }
  report_.Reset();
  panel_.SetText(kSkippedPages, u"");
  typed_.clear();
  if (!save) {
    typed_.push_back({field::excludedDirs, std::u16string(panel_.Text(field::excludedDirs)), {}});
    for (Control text : kSingleLinePairTexts) {
      typed_.push_back({text, std::u16string(panel_.Text(text)), {}});
    }
  }
  std::u16string excluded = StripLineBreaks(panel_.Text(field::excludedDirs));
  if (!excluded.empty()) excluded = ReplaceAll(excluded + u"|#", u"||", u"|");
  panel_.SetText(field::excludedDirs, std::move(excluded));
  for (Control text : kSingleLinePairTexts) {
    panel_.SetText(text, StripLineBreaks(panel_.Text(text)));
  }
  for (TypedText& text : typed_) text.cleaned = panel_.Text(text.field);
  scheduler_.Arm(Step::du, kNextPass);
  return true;
}

void RunController::ToggleRun() {
  if (panel_.Text(Control::Command4) == u"继续") {
    panel_.SetText(Control::Command4, u"停止");
    for (Step step : kToggledSteps) scheduler_.Enable(step);
    const std::optional<Step> in_work = page_in_work_ ? page_in_work_() : std::nullopt;
    scheduler_.Arm(in_work.value_or(Step::Timer1), kNextPass);
  } else {
    panel_.SetText(Control::Command4, u"继续");
    for (Step step : kToggledSteps) scheduler_.Disable(step);
    for (Step step : kToggledSteps) scheduler_.Disarm(step);
  }
}

void RunController::RestoreTypedTexts() {
  // A text the user changed meanwhile is the user's.
  for (const TypedText& text : typed_) {
    if (panel_.Text(text.field) == text.cleaned) panel_.SetText(text.field, text.typed);
  }
  typed_.clear();
}

void RunController::EndRun() {
  panel_.SetText(Control::Command4, u"停止");
  for (Step step : kToggledSteps) scheduler_.Enable(step);
  for (Step step : kToggledSteps) scheduler_.Disarm(step);
  scheduler_.Disarm(Step::Timer5);
}

void RunController::RerunCurrentPage() { scheduler_.Arm(Step::Timer2, kNextPass); }

}  // namespace quelbo
