// The Windows port system with the call that opens a device named by the
// caller: CreateFileA in the tool, a fake in tests, which can answer as a port
// held by another program does (Wine does not enforce share mode 0 on
// devices, so it cannot). Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "link/serial_port.h"

namespace brisko {

using CreateFileFunction = decltype(&CreateFileA);

std::unique_ptr<PortSystem> MakeWin32PortSystem(CreateFileFunction createFile);

// The COM ports that the system's device names (QueryDosDeviceW) and
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM name; opens nothing. Incomplete when
// they name nothing beyond COM1, as under Wine, which opens "\\.\COM34"
// through a dosdevices link that neither of them shows.
PortPresence NamedWin32Ports();

}  // namespace brisko
