#include "qt/program_icon.h"

// Resources of a static library are registered by hand, outside any namespace.
static void RegisterIconResources() { Q_INIT_RESOURCE(brisko_icons); }

namespace brisko {

QIcon ProgramIcon() {
  static const bool registered = (RegisterIconResources(), true);
  (void)registered;
  QIcon icon;
  icon.addFile(QStringLiteral(":/brisko/brisko-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/brisko/brisko-16.png"), QSize(16, 16));
  return icon;
}

}  // namespace brisko
