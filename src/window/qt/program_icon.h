#pragma once

#include <QIcon>

namespace quelbo {

// The program's icon (data/icons), built into the program at the sizes window systems ask for.
QIcon ProgramIcon();

}  // namespace quelbo
