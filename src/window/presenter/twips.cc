#include "window/presenter/twips.h"

#include <cmath>

namespace quelbo {
namespace {

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect TwipsToPixels(const TwipsRect& rect, int dpi) {
  const int left = TwipsToPixels(rect.left, dpi);
  const int top = TwipsToPixels(rect.top, dpi);
  return {left, top, TwipsToPixels(rect.left + rect.width, dpi) - left,
          TwipsToPixels(rect.top + rect.height, dpi) - top};
}

}  // namespace quelbo
