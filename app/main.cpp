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
#include "dialog/windows_1252.h"
#include "protocol/platform.h"
#include "qt/program_icon.h"
#include "qt/qt_main_dialog.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  brisko::CommandLine line;
  if (const std::optional<int> status = brisko::RunCommandLine(args, brisko::kWindows1252, line)) return *status;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(brisko::kApplicationName));
  QApplication::setApplicationVersion(QString::fromLatin1(brisko::kApplicationVersion));
  QApplication::setWindowIcon(brisko::ProgramIcon());

  brisko::SettingsFile settings;
  const brisko::MachinePlatform machine;
  brisko::QtMainDialog dialog(settings, machine.platform());
  if (!line.traceFile.empty()) dialog.TraceFromStart(line.traceFile);
  dialog.DoModal();  // its result does not matter: every ending ends the program
  return 0;
}
