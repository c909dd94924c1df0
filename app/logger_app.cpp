#include "app/logger_app.h"

#include "app/settings_file.h"
#include "protocol/platform.h"
#include "qt/qt_main_dialog.h"

namespace brisko {

void CLoggerApp::InitInstance(const std::string& tracePath) {
  SettingsFile settings;
  const MachinePlatform machine;
  QtMainDialog dialog(settings, machine.platform());
  if (!tracePath.empty()) dialog.TraceFromStart(tracePath);
  dialog.DoModal();  // its result does not matter: every ending ends the program
}

}  // namespace brisko
