#include "window/app_font.h"

#include <QFont>
#include <QFontDatabase>
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

}  // namespace quelbo
