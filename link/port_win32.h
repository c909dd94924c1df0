// The Windows port system over a table of the Win32 calls it makes: the
// system's own in the tool, scripted fakes in tests, which can answer as a
// port held by another program or an unplugged adapter's driver does (Wine
// enforces neither share mode 0 on devices nor any driver's way of failing).
// Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "link/serial_port.h"

namespace brisko {

struct Win32SerialCalls {
  decltype(&CreateFileA) createFile;
  decltype(&CloseHandle) closeHandle;
  decltype(&SetupComm) setupComm;
  decltype(&GetCommState) getCommState;
  decltype(&SetCommState) setCommState;
  decltype(&SetCommTimeouts) setCommTimeouts;
  decltype(&ReadFile) readFile;
  decltype(&WriteFile) writeFile;
  decltype(&ClearCommError) clearCommError;
  decltype(&PurgeComm) purgeComm;
  decltype(&GetTickCount) getTickCount;  // how long a port has been silent
};

// The system's own calls.
const Win32SerialCalls& SystemSerialCalls();

std::unique_ptr<PortSystem> MakeWin32PortSystem(const Win32SerialCalls& calls);

}  // namespace brisko
