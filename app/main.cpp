// brisko: configures a glider's GPS flight recorder over a serial port. The
// main dialog runs modally; when it returns its window is gone, the link has
// shut down and BRISKO.INI in the working directory holds the port last used.
// There is no message loop of the program's own. With a command on its
// command line it runs that instead, without a window (and without a
// display), and ends with its exit status.
#include <QApplication>

#include "app/command_run.h"
#include "app/settings_file.h"
#include "brisko_version.h"
#include "protocol/platform.h"
#include "qt/field_validator.h"
#include "qt/program_icon.h"
#include "qt/qt_main_dialog.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The command line writes the logger's texts in the page the window shows them in.
  brisko::CommandLine line;
  if (const std::optional<int> status = brisko::RunCommandLine(args, brisko::kQtTextCodePage, line)) return *status;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(brisko::kApplicationName));
  QApplication::setApplicationVersion(QString::fromUtf8(brisko::kApplicationVersion));
  QApplication::setWindowIcon(brisko::ProgramIcon());

  brisko::SettingsFile settings;
  const brisko::MachinePlatform machine;
  brisko::QtMainDialog dialog(settings, machine.platform());
  if (!line.traceFile.empty()) dialog.TraceFromStart(line.traceFile);
  dialog.DoModal();  // its result does not matter: every ending ends the program
  return 0;
}
