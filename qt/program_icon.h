// The program icon, 32 and 16 pixels, compiled into the program as a
// resource: the window icon of every dialog.
#pragma once

#include <QIcon>

namespace brisko {

QIcon ProgramIcon();

}  // namespace brisko
