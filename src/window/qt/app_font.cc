#include "window/qt/app_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

namespace quelbo {
namespace {

// Simplified Chinese first: the captions and messages are in simplified characters.
constexpr const char* kCjkFamilies[] = {"Noto Sans CJK SC", "Noto Sans SC", "Noto Sans CJK"};

}  // namespace

bool UseCjkApplicationFont() {
  const QStringList installed = QFontDatabase::families();
  for (const char* family : kCjkFamilies) {
    const QString name = QString::fromLatin1(family);
    if (!installed.contains(name)) continue;
    QFont font = QGuiApplication::font();
    font.setFamilies({name});
    QGuiApplication::setFont(font);
    return true;
  }
  return false;
}

QFont FontFittingLines(const QFont& base, int height, int lines, int min_pixels) {
  QFont font = base;
  for (int pixels = QFontInfo(base).pixelSize(); pixels > min_pixels; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).lineSpacing() * lines <= height) return font;
  }
  font.setPixelSize(min_pixels);
  return font;
}

}  // namespace quelbo
