// The system's word that serial ports came or went: the main dialog asks for
// WM_DEVICECHANGE about COM port interfaces, and each such message becomes a
// call of LoggerDialog. An arrival (DBT_DEVICEARRIVAL), or a removal that does
// not name its port, makes the dialog look at every port again; a removal
// that names it ("COM34", DBT_DEVTYP_PORT) takes that entry out at once. Drivers that
// announce nothing are found by the dialog's quick look every second.
#pragma once

#include <windows.h>

namespace brisko {

class LoggerDialog;

// Registers `window` for the arrival and removal of COM port interfaces; the
// result goes to StopDeviceChangeNotices when the window goes.
HDEVNOTIFY StartDeviceChangeNotices(HWND window);
void StopDeviceChangeNotices(HDEVNOTIFY notices);

// Hands one WM_DEVICECHANGE to the dialog.
void OnDeviceChange(LoggerDialog& dialog, WPARAM event, LPARAM data);

}  // namespace brisko
