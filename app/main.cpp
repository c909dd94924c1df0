// brisko: configures a glider's GPS flight recorder over a serial port. With
// a command on its command line it runs that without a window (and without a
// display); otherwise the window opens.
#include <QApplication>

#include "app/command_run.h"
#include "app/logger_app.h"
#include "brisko_version.h"
#include "dialog/windows_1252.h"
#include "qt/program_icon.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  brisko::CommandLine line;
  if (const std::optional<int> status = brisko::RunCommandLine(args, brisko::kWindows1252, line)) return *status;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(brisko::kApplicationName));
  QApplication::setApplicationVersion(QString::fromLatin1(brisko::kApplicationVersion));
  QApplication::setWindowIcon(brisko::ProgramIcon());

  brisko::CLoggerApp app;
  app.InitInstance(line.traceFile);
  return 0;
}
