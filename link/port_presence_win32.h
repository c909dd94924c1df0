// Which COM ports Windows names, from the device-name table and the registry's
// serial map, without opening any. Windows only.
#pragma once

#include "link/serial_port.h"

namespace brisko {

// The COM ports that the system's device names (QueryDosDeviceW) and
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM name; opens nothing. Incomplete when
// they name nothing beyond COM1, as under Wine, which opens "\\.\COM34"
// through a dosdevices link that neither of them shows.
PortPresence NamedWin32Ports();

}  // namespace brisko
