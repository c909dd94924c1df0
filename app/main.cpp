// brisko: configures a glider's GPS flight recorder over a serial port.
#include <QApplication>

#include "app/logger_app.h"
#include "brisko_version.h"
#include "qt/program_icon.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(brisko::kApplicationName));
  QApplication::setApplicationVersion(QString::fromLatin1(brisko::kApplicationVersion));
  QApplication::setWindowIcon(brisko::ProgramIcon());

  brisko::CLoggerApp app;
  app.InitInstance();
  return 0;
}
