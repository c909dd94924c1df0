// Which adapter is behind a port, and what the system says of it: a USB
// serial adapter's own serial number, names and ids, and its driver (Linux,
// through sysfs and /dev/serial/by-id), or its device instance, friendly name,
// hardware id and driver (Windows, through SetupAPI). Read without opening
// the port. An empty identity means the system does not tell (a built-in
// port, a pseudo-terminal, Wine): then the port number alone has to do. The
// one description of an adapter for a person is made here too, for the port
// list's tips and the diagnostics report alike. One file per platform.
#pragma once

#include <string>

namespace brisko {

struct AdapterInfo {
  // Stable for one adapter wherever it is plugged in when it has a serial
  // number; empty when unknown.
  std::string identity;
  // What the system says of the adapter; each empty when it does not tell.
  std::string name;          // the USB product string; on Windows the friendly name
  std::string manufacturer;  // the USB manufacturer string, or the driver's manufacturer
  std::string vendorId;      // USB ids, four lower-case hex digits ("0403")
  std::string productId;
  std::string serial;      // the adapter's own serial number
  std::string driver;      // the tty's driver ("ftdi_sio"); on Windows the driver's service ("FTSER2K")
  std::string byIdPath;    // Linux: the /dev/serial/by-id link that leads to the device
  std::string hardwareId;  // Windows: the first hardware id ("FTDIBUS\COMPORT&VID_0403&PID_6001")
  std::string driverProvider;  // Windows: the driver package's provider and version
  std::string driverVersion;
};

// The adapter for a person: "FT232R USB UART, 0403:6001, serial A50285BI",
// the name (else the manufacturer), the USB ids and the serial number, each
// left out when the system did not tell it; empty when it told none.
std::string DescribeAdapter(const AdapterInfo& adapter);

// A port list entry's tip: the device path, the by-id name where there is
// one, and the description, one per line.
std::string PortEntryTip(const std::string& devicePath, const AdapterInfo& adapter);

#if defined(_WIN32)
// The adapter behind "COM<n>", from the present devices of the Ports class
// and of the COM port interface (where modems put theirs).
AdapterInfo ReadAdapterInfo(int portNumber);
#else
// The adapter behind a device node (links followed): the USB device found by
// walking up from <sysfsRoot>/class/tty/<node>/device to the first USB
// device, its ids, names and serial number (its identity is
// vendor:product:serial when it has a serial number), the tty's driver, and
// the entry of byIdDirectory that leads to the same node.
AdapterInfo ReadAdapterInfo(const std::string& devicePath, const std::string& sysfsRoot = "/sys",
                            const std::string& byIdDirectory = "/dev/serial/by-id");
#endif

}  // namespace brisko
