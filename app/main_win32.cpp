// brisko.exe: configures a glider's GPS flight recorder over a serial port.
// The main dialog runs modally; when it returns its window is gone, the link
// has shut down and BRISKO.INI in the working directory holds the port last
// used. There is no message loop of the program's own.
#include <windows.h>

#include <commctrl.h>

#include "app/settings_file.h"
#include "protocol/platform.h"
#include "win32/win32_main_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The tooltip class and the themed look of Common Controls 6.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  brisko::SettingsFile settings;
  const brisko::MachinePlatform machine;
  brisko::Win32MainDialog dialog(settings, machine.platform());
  dialog.DoModal();  // its result does not matter: every ending ends the program
  return 0;
}
