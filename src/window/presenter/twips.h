#pragma once

namespace quelbo {

// A rectangle as the layout is drawn, in twips (1440 to the inch, 15 to a pixel at 96 DPI).
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Pixels for a distance from the origin at a logical DPI, rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

// Rounds the edges rather than the size, so that rectangles drawn edge to edge in twips stay
// edge to edge in pixels at any DPI.
PixelRect TwipsToPixels(const TwipsRect& rect, int dpi);

}  // namespace quelbo
