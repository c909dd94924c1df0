#include "app/logger_app.h"

#include "app/settings_file.h"
#include "ui/logger_dialog.h"

namespace brisko {

std::string SettingsFile::ReadPortNumber() { return ReadSettingsFile(); }

void SettingsFile::WritePortNumber(const std::string& portNumber) { WriteSettingsFile(portNumber); }

bool CLoggerApp::InitInstance() {
  SettingsFile settings;
  CLoggerDlg dialog(settings);
  dialog.DoModal();  // its result does not matter: every ending ends the program
  return false;
}

}  // namespace brisko
