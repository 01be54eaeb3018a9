#include "window/qt/program_icon.h"

#include <QSize>
#include <QString>
#include <QtGlobal>

// The resource lives in a static library, where nothing else would keep it in the program.
// Its initializer has a global name, so it is called from outside any namespace.
static void InitProgramIconResource() { Q_INIT_RESOURCE(program_icon); }

namespace quelbo {

QIcon ProgramIcon() {
  InitProgramIconResource();
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/quelbo-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace quelbo
