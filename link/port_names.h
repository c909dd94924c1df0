// The tool keeps bare port numbers (the list shows them, the settings file
// stores one). On POSIX systems, port n is the entry "COM<n>" of the ports
// directory, a link to a device node, when that entry exists; otherwise a
// built-in table maps it: COM1-8 /dev/ttyS0-7, COM9-16 /dev/ttyUSB0-7,
// COM17-24 /dev/ttyACM0-7, COM25-29 /dev/rfcomm0-4. When BRISKO_PORTS_DIR is
// set, only its entries count. On Windows port n is "//./COM<n>".
#pragma once

#include <string>

namespace brisko {

// The ports the tool probes for its list.
inline constexpr int kFirstListedPort = 1;
inline constexpr int kLastListedPort = 29;

// "COM<n>": the name the user sees and the entry name in the ports directory.
std::string PortName(int portNumber);

// $BRISKO_PORTS_DIR when set, else $XDG_CONFIG_HOME/brisko/ports, else
// ~/.config/brisko/ports.
std::string PortsDirectory();

// True when BRISKO_PORTS_DIR is set: the built-in table is then not used.
bool PortsDirectoryIsPrivate();

// The device path of port n, or an empty text when n maps to nothing.
std::string DevicePathForPort(int portNumber);

}  // namespace brisko
