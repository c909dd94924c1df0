// brisko.exe: configures a glider's GPS flight recorder over a serial port.
// The main dialog runs modally; when it returns its window is gone, the link
// has shut down and BRISKO.INI in the working directory holds the port last
// used. There is no message loop of the program's own. With a command on its
// command line it runs that instead and ends with its exit status.
#include <windows.h>

#include <commctrl.h>

#include "app/arguments_win32.h"
#include "app/settings_file.h"
#include "protocol/platform.h"
#include "win32/win32_main_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A command runs without the window, printing to the console it was typed
  // in; brisko-cli.exe is the one that console waits for.
  const std::vector<std::string> args = brisko::Utf8Arguments();
  brisko::CommandLine line;
  if (!args.empty()) {
    const bool console = brisko::UseParentConsole();
    if (const std::optional<int> status = brisko::RunWindowsCommandLine(args, console, line)) return *status;
  }

  // The tooltip class and the themed look of Common Controls 6.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  brisko::SettingsFile settings;
  const brisko::MachinePlatform machine;
  brisko::Win32MainDialog dialog(settings, machine.platform());
  if (!line.traceFile.empty()) dialog.TraceFromStart(line.traceFile);
  dialog.DoModal();  // its result does not matter: every ending ends the program
  return 0;
}
