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

}  // namespace brisko
