#pragma once

namespace quelbo {

// Makes a Noto CJK face the application font when one is installed, keeping the size, so the
// Chinese captions render in one consistent face instead of per-glyph fallbacks. Returns
// whether one was found. REQUIRES: a QGuiApplication exists.
bool UseCjkApplicationFont();

}  // namespace quelbo
