// Which adapter is behind a port, as far as the system tells: a USB serial
// adapter's own serial number (Linux, through sysfs) or its device instance
// (Windows). Read without opening the port. An empty identity means the
// system does not tell (a built-in port, a pseudo-terminal, Wine): then the
// port number alone has to do. One file per platform.
#pragma once

#include <string>

namespace brisko {

struct AdapterInfo {
  // Stable for one adapter wherever it is plugged in when it has a serial
  // number; empty when unknown.
  std::string identity;
};

#if defined(_WIN32)
// The adapter behind "COM<n>", from the present devices of the COM port class.
AdapterInfo ReadAdapterInfo(int portNumber);
#else
// The adapter behind a device node (links followed): the USB device found by
// walking up from <sysfsRoot>/class/tty/<node>/device to the first USB
// device, named by vendor, product and its serial number when it has one.
AdapterInfo ReadAdapterInfo(const std::string& devicePath, const std::string& sysfsRoot = "/sys");
#endif

}  // namespace brisko
