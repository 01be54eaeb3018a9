#include "window/presenter/window_layout.h"

#include <array>
#include <utility>

namespace quelbo {
namespace {

using C = Control;

// Left column 120 … 5655, right column 5760 … 8175. Text2 reaches below 1750 and Text13 below
// 5485 so that the shown block-set panel covers exactly the fields it is meant to cover.
constexpr int kLeft = 120;
constexpr int kColumnWidth = 5535;
constexpr int kHalfWidth = 2700;
constexpr int kSecondHalf = kLeft + kColumnWidth - kHalfWidth;
constexpr int kRight = 5760;
constexpr int kRightWidth = 2415;
constexpr int kLineHeight = 300;

// Bottom rows, across both columns.
constexpr int kRow1 = 5520;
constexpr int kRow2 = 5880;
constexpr int kRow3 = 6240;
constexpr int kRowHeight = 330;

// Outside the client area: the working lists and the auxiliary buttons.
constexpr int kOutside = 8400;

constexpr std::pair<Control, TwipsRect> kFormPlacements[] = {
    {C::ProgressBar1, {kLeft, 30, kColumnWidth, 90}},
    {C::Label1, {kLeft, 150, 3300, 255}},
    {C::url, {3480, 135, 2175, kLineHeight}},
    {C::Text1, {kLeft, 465, kHalfWidth, kLineHeight}},
    {C::Text10, {kSecondHalf, 465, kHalfWidth, kLineHeight}},
    {C::Text2, {kLeft, 795, kColumnWidth, 1050}},
    {C::Text3, {kLeft, 1875, kColumnWidth, 600}},
    {C::Text4, {kLeft, 2505, kHalfWidth, 540}},
    {C::Text5, {kSecondHalf, 2505, kHalfWidth, 540}},
    {C::Text6, {kLeft, 3075, kColumnWidth, 540}},
    {C::Text14, {kLeft, 3645, kHalfWidth, kLineHeight}},
    {C::Text17, {kSecondHalf, 3645, kHalfWidth, kLineHeight}},
    {C::Text18, {kLeft, 3975, kHalfWidth, kLineHeight}},
    {C::Text19, {kSecondHalf, 3975, kHalfWidth, kLineHeight}},
    {C::Text13, {kLeft, 4305, kColumnWidth, 1200}},
    {C::RichTextBox2, {kRight, 30, kRightWidth, 5265}},
    {C::Label3, {kRight, 5310, kRightWidth, 210}},
    {C::Option4, {kLeft, kRow1, 780, kRowHeight}},
    {C::Option1, {960, kRow1, 900, kRowHeight}},
    {C::Option5, {1920, kRow1, 1020, kRowHeight}},
    {C::Check5, {3000, kRow1, 1680, kRowHeight}},
    {C::Check3, {4740, kRow1, 1500, kRowHeight}},
    {C::Command1, {6360, kRow1, 1815, kRowHeight}},
    {C::Option3, {kLeft, kRow2, 780, kRowHeight}},
    {C::Option2, {960, kRow2, 900, kRowHeight}},
    {C::Option6, {1920, kRow2, 1020, kRowHeight}},
    {C::Check2, {3000, kRow2, 1680, kRowHeight}},
    {C::Check4, {4740, kRow2, 1500, kRowHeight}},
    {C::Command4, {6360, kRow2, 1815, kRowHeight}},
    {C::Label4, {kLeft, kRow3 + 45, 1320, 255}},
    {C::Text9, {1500, kRow3, 3120, kRowHeight}},
    {C::Check1, {4740, kRow3, 1500, kRowHeight}},
    {C::Command5, {6360, kRow3, 1815, kRowHeight}},
    {C::Command7, {8295, kRow1, 1215, kRowHeight}},
    {C::Text7, {kOutside, 120, 2400, 1200}},
    {C::Text8, {kOutside, 1380, 2400, kLineHeight}},
    {C::Label2, {kOutside, 1740, 2400, 255}},
    {C::Command3, {kOutside, 2055, 1215, 360}},
    {C::list, {10920, 120, 2400, 2880}},
    {C::skippedPages, {kOutside, 2520, 2400, 2775}},
};

// Relative to Frame1 (5535 × 3735).
constexpr int kFrameMargin = 60;
constexpr int kFrameHalf = 2670;
constexpr int kFrameSecondHalf = kFrameMargin + kFrameHalf + 75;
constexpr int kFrameInner = kFrame1WidthTwips - 2 * kFrameMargin;

constexpr std::pair<Control, TwipsRect> kFramePlacements[] = {
    {C::Text11, {kFrameMargin, kFrameMargin, kFrameHalf, 720}},
    {C::Text15, {kFrameSecondHalf, kFrameMargin, kFrameHalf, 720}},
    {C::Text16, {kFrameMargin, 840, kFrameInner, 720}},
    {C::Text20, {kFrameMargin, 1620, kFrameHalf, 720}},
    {C::Text21, {kFrameSecondHalf, 1620, kFrameHalf, 720}},
    {C::Text22, {kFrameMargin, 2400, kFrameInner, 720}},
    {C::Check6, {kFrameMargin, 3240, 1800, 375}},
    {C::Command6, {2280, 3240, 1500, 375}},
    {C::Command2, {3975, 3240, 1500, 375}},
};

constexpr std::array<Placement, kControlCount> BuildPlacements() {
  std::array<Placement, kControlCount> placements{};
  for (const auto& [control, rect] : kFormPlacements) placements[Index(control)] = {rect, false};
  for (const auto& [control, rect] : kFramePlacements) placements[Index(control)] = {rect, true};
  placements[Index(C::Frame1)] = {{0, 0, kFrame1WidthTwips, kFrame1HeightTwips}, false};
  placements[Index(C::Form1)] = {{0, 0, kClientWidthTwips, kClientHeightTwips}, false};
  return placements;
}

constexpr std::array<Placement, kControlCount> kPlacements = BuildPlacements();

}  // namespace

Placement DesignPlacement(Control control) { return kPlacements[Index(control)]; }

std::optional<Rgb> DesignTextColour(Control control) {
  switch (control) {
    case C::Text4:
    case C::Text5:
    case C::Text6:
      return Rgb{255, 0, 255};
    case C::Text11:
    case C::Text15:
    case C::Text16:
      return Rgb{0, 0, 255};
    case C::Text20:
    case C::Text21:
    case C::Text22:
      return Rgb{192, 64, 0};
    case C::Label1:
      return Rgb{255, 0, 0};
    default:
      return std::nullopt;
  }
}

}  // namespace quelbo
