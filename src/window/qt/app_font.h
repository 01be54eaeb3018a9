#pragma once

#include <QFont>

namespace quelbo {

// Makes a Noto CJK face the application font when one is installed, keeping the size, so the
// Chinese captions render in one consistent face instead of per-glyph fallbacks. Returns
// whether one was found. REQUIRES: a QGuiApplication exists.
bool UseCjkApplicationFont();

// The font of `base`'s family at the largest pixel size, not above `base`'s own and not below
// `min_pixels`, at which `lines` lines fit in `height` pixels.
QFont FontFittingLines(const QFont& base, int height, int lines, int min_pixels);

}  // namespace quelbo
